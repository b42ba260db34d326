#include "SerialPeers.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace {

bool Exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& terminal, int stdio, const std::string& folder,
            const std::string& log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (stdio >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdio, 0);
        posix_spawn_file_actions_adddup2(&actions, stdio, 1);
    } else if (!terminal.empty()) {
        posix_spawn_file_actions_addopen(&actions, 0, terminal.c_str(), O_RDWR | O_NOCTTY, 0);
        posix_spawn_file_actions_adddup2(&actions, 0, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, log.empty() ? "/dev/null" : log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

// Waits for pid up to ms; its status as a shell gives it, or -1.
int Reap(pid_t pid, int ms, double* processorSeconds = nullptr)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + milliseconds(ms);
    for (;;) {
        int status = 0;
        rusage usage{};
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) {
            if (processorSeconds != nullptr)
                *processorSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                                  + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 || steady_clock::now() >= end)
            return -1;
        usleep(10000);
    }
}

} // namespace

int OpenRawTerminal(const std::string& terminal)
{
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios settings{};
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

namespace {

bool WriteAll(int fd, const char* data, size_t length)
{
    while (length > 0) {
        // A peer that has exited closes its socket: the write must fail, not raise SIGPIPE.
        ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK)
            n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= size_t(n);
    }
    return true;
}

} // namespace

// --- SocatLink -------------------------------------------------------------------

SocatLink::SocatLink(const std::string& folder)
    : m_a(folder + "/a")
    , m_b(folder + "/b")
{
    m_pid = Spawn({"socat", "pty,rawer,link=" + m_a, "pty,rawer,link=" + m_b}, "", -1, "", "");
    for (int i = 0; i < 500 && m_pid > 0 && !(Exists(m_a) && Exists(m_b)); ++i)
        usleep(10000);
    m_up = m_pid > 0 && Exists(m_a) && Exists(m_b);
    if (m_up) {
        m_held[0] = ::open(m_a.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        m_held[1] = ::open(m_b.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
}

SocatLink::~SocatLink()
{
    for (int fd : m_held)
        if (fd >= 0)
            ::close(fd);
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        Reap(m_pid, 5000);
    }
}

// --- PeerProcess -----------------------------------------------------------------

PeerProcess::PeerProcess(const std::vector<std::string>& argv, const std::string& terminal, const std::string& folder,
                         const std::string& log)
    : m_pid(Spawn(argv, terminal, -1, folder, log))
{
}

PeerProcess::PeerProcess(const std::vector<std::string>& argv, int stdio, const std::string& folder,
                         const std::string& log)
    : m_pid(Spawn(argv, "", stdio, folder, log))
{
}

PeerProcess::~PeerProcess()
{
    Stop();
}

int PeerProcess::Wait(int ms)
{
    if (m_status < 0 && m_pid > 0)
        m_status = Reap(m_pid, ms, &m_processorSeconds);
    return m_status;
}

void PeerProcess::Signal(int signal)
{
    if (m_pid > 0 && m_status < 0)
        kill(m_pid, signal);
}

void PeerProcess::Stop()
{
    if (Wait(0) >= 0 || m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    if (Wait(5000) < 0) {
        kill(m_pid, SIGKILL);
        Wait(5000);
    }
}

// --- Helpers ---------------------------------------------------------------------

void DrainTerminal(const std::string& terminal)
{
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    tcflush(fd, TCIOFLUSH);
    ::close(fd);
}

bool HaveProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string paths = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        const size_t end = paths.find(':', start);
        const std::string dir = paths.substr(start, end - start);
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

// --- Relay -----------------------------------------------------------------------

Relay::Relay(const std::string& a, const std::string& b, long flipAtoB, long flipBtoA)
    : Relay(OpenRawTerminal(a), OpenRawTerminal(b), flipAtoB, flipBtoA)
{
}

Relay::Relay(int a, int b, long flipAtoB, long flipBtoA)
    : m_a(a)
    , m_b(b)
{
    if (pipe2(m_stop, O_CLOEXEC) != 0)
        m_stop[0] = m_stop[1] = -1;
    m_thread = std::thread([this, flipAtoB, flipBtoA] { Run(flipAtoB, flipBtoA); });
}

Relay::~Relay()
{
    if (m_stop[1] >= 0)
        [[maybe_unused]] const ssize_t n = ::write(m_stop[1], "x", 1);
    m_thread.join();
    for (int fd : {m_a, m_b, m_stop[0], m_stop[1]})
        if (fd >= 0)
            ::close(fd);
}

void Relay::Run(long flipAtoB, long flipBtoA)
{
    if (m_a < 0 || m_b < 0 || m_stop[0] < 0)
        return;
    long counts[2] = {0, 0};
    const long flips[2] = {flipAtoB, flipBtoA};
    const int from[2] = {m_a, m_b};
    const int to[2] = {m_b, m_a};
    char buffer[4096];
    for (;;) {
        pollfd fds[3] = {{m_a, POLLIN, 0}, {m_b, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[2].revents != 0)
            return;
        for (int way = 0; way < 2; ++way) {
            if (fds[way].revents == 0)
                continue;
            const ssize_t n = ::read(from[way], buffer, sizeof buffer);
            if (n <= 0)
                return;
            const long flip = flips[way] - counts[way];
            if (flip >= 0 && flip < n) {
                buffer[flip] = char(buffer[flip] ^ 0x01);
                ++m_flips;
            }
            counts[way] += n;
            if (!WriteAll(to[way], buffer, size_t(n)))
                return;
        }
    }
}
