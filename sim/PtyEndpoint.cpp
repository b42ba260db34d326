#include "gensim/PtyEndpoint.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace gensim {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

int rateOf(speed_t speed)
{
    struct Row {
        speed_t speed;
        int rate;
    };
    static const Row rows[] = {
        {B300, 300},     {B600, 600},     {B1200, 1200},   {B2400, 2400},   {B4800, 4800},
        {B9600, 9600},   {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
    };
    for (const Row& r : rows)
        if (r.speed == speed)
            return r.rate;
    return 0;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

PtyEndpoint::PtyEndpoint(std::string link) : m_link(std::move(link))
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        fail("posix_openpt");
    try {
        if (fcntl(m_master, F_SETFD, FD_CLOEXEC) < 0 || fcntl(m_master, F_SETFL, O_NONBLOCK) < 0)
            fail("fcntl on the pty master");
        if (grantpt(m_master) < 0 || unlockpt(m_master) < 0)
            fail("grantpt/unlockpt");
        char name[PATH_MAX];
        if (ptsname_r(m_master, name, sizeof name) != 0)
            fail("ptsname_r");
        m_slavePath = name;
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0)
            fail("open " + m_slavePath);
        // Raw from the start: the line discipline must never echo on its
        // own before a host has set the port up. With the external
        // processing flag and packet mode, every change the host makes to
        // its settings reaches us as a status byte on the master.
        termios t{};
        if (tcgetattr(m_slave, &t) < 0)
            fail("tcgetattr");
        cfmakeraw(&t);
        t.c_lflag |= EXTPROC;
        if (tcsetattr(m_slave, TCSANOW, &t) < 0)
            fail("tcsetattr");
        int packet = 1;
        if (ioctl(m_master, TIOCPKT, &packet) < 0)
            fail("TIOCPKT");
        readHostSettings();
        makeLink();
    } catch (...) {
        closeFd(m_slave);
        closeFd(m_master);
        throw;
    }
}

PtyEndpoint::~PtyEndpoint()
{
    close();
    if (m_link.empty())
        return;
    // Remove the link only while it is still ours.
    char target[PATH_MAX];
    ssize_t n = readlink(m_link.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
        unlink(m_link.c_str());
}

void PtyEndpoint::makeLink()
{
    if (m_link.empty())
        return;
    // The path is handed to programs that may run elsewhere.
    if (m_link.front() != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd))
            fail("getcwd");
        m_link = std::string(cwd) + "/" + m_link;
    }
    struct stat st{};
    if (lstat(m_link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            throw std::invalid_argument(m_link + " exists and is not a symbolic link");
        if (unlink(m_link.c_str()) < 0)
            fail("unlink " + m_link);
    }
    if (symlink(m_slavePath.c_str(), m_link.c_str()) < 0)
        fail("symlink " + m_link);
}

void PtyEndpoint::readHostSettings()
{
    // On the master, tcgetattr reports the slave's settings: the host's.
    termios t{};
    if (m_master < 0 || tcgetattr(m_master, &t) < 0) {
        m_hostBaud = 0;
        return;
    }
    m_toldOfChanges = (t.c_lflag & EXTPROC) != 0;
    int out = rateOf(cfgetospeed(&t));
    int in = rateOf(cfgetispeed(&t));
    m_hostBaud = cfgetispeed(&t) != B0 && in != out ? 0 : out;
}

void PtyEndpoint::receive(Clock::time_point now, Clock::duration perChar)
{
    // In packet mode a read gives either a status byte alone or data after
    // a zero byte; a status comes before data queued behind it. A few reads
    // at most, so a host that never stops writing cannot hold the loop.
    char buffer[4096];
    for (int reads = 0; reads < 8 && m_master >= 0; ++reads) {
        ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        if (buffer[0] != TIOCPKT_DATA) {
            if (buffer[0] & TIOCPKT_IOCTL)
                readHostSettings();
            continue;
        }
        if (!m_toldOfChanges)
            readHostSettings();
        m_in.push(std::string_view(buffer + 1, static_cast<std::size_t>(n - 1)), now, perChar);
        if (static_cast<std::size_t>(n) < sizeof buffer)
            return;  // a short read took all there was
    }
}

bool PtyEndpoint::heard(Clock::time_point now, char& c, Clock::time_point& at)
{
    Clock::time_point heardAt;
    if (!m_in.nextDue(heardAt) || now < heardAt + m_in.frontCharTime())
        return false;
    return m_in.take(now, c, at);
}

void PtyEndpoint::queue(const SerialOutput& output, Clock::time_point ready, Clock::duration perChar)
{
    // A chunk's pause runs from when the bytes before it are through.
    Clock::time_point at = std::max(ready, m_out.end());
    for (const OutputChunk& chunk : output.chunks) {
        at += std::chrono::milliseconds(chunk.delayMs);
        m_out.push(chunk.bytes, at, perChar);
        at = std::max(at, m_out.end());
    }
    if (output.hangUp)
        m_hangUpWhenSent = true;
}

void PtyEndpoint::flush(Clock::time_point now)
{
    m_blocked = false;
    for (std::string_view bytes; m_master >= 0 && !(bytes = m_out.due(now)).empty();) {
        ssize_t n = ::write(m_master, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_blocked = true;
            return;
        }
        if (n < 0) {
            m_out.clear();  // the line is gone; nobody will read this
            break;
        }
        m_out.pop(static_cast<std::size_t>(n));
    }
    if (m_out.empty() && m_hangUpWhenSent)
        close();
}

bool PtyEndpoint::nextDue(Clock::time_point& due) const
{
    if (m_master < 0)
        return false;
    Clock::time_point in;
    Clock::time_point out;
    bool hasIn = m_in.nextDue(in);
    if (hasIn)
        in += m_in.frontCharTime();  // acted on one character after it is heard
    bool hasOut = !m_blocked && m_out.nextDue(out);
    if (hasIn && hasOut)
        due = std::min(in, out);
    else if (hasIn || hasOut)
        due = hasIn ? in : out;
    return hasIn || hasOut;
}

void PtyEndpoint::close()
{
    m_in.clear();
    m_out.clear();
    m_hangUpWhenSent = false;
    closeFd(m_slave);
    closeFd(m_master);
}

} // namespace gensim
