#include "PtyPeer.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

PtyPeer::PtyPeer(Script script, int comNumber) : script_(std::move(script))
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    char path[128];
    if (ptsname_r(master_, path, sizeof path) != 0)
        throw std::runtime_error("no slave name");
    slavePath_ = path;
    // Our own slave descriptor keeps the master from reading EIO between
    // the port's close and its next open.
    slave_ = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    wake_ = eventfd(0, EFD_CLOEXEC);
    if (slave_ < 0 || wake_ < 0)
        throw std::runtime_error("pty setup failed");
    envName_ = "MORVANE_COM" + std::to_string(comNumber);
    setenv(envName_.c_str(), path, 1);
    thread_ = std::thread([this] { Run(); });
}

PtyPeer::~PtyPeer()
{
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wake_, &one, sizeof one);
    thread_.join();
    unsetenv(envName_.c_str());
    close(wake_);
    close(slave_);
    close(master_);
}

std::string PtyPeer::Received() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

bool PtyPeer::WaitReceived(size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return received_.size() >= count; });
}

void PtyPeer::Send(const std::string& bytes)
{
    WriteAll(bytes);
}

termios PtyPeer::Settings() const
{
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0)
        throw std::runtime_error("tcgetattr failed");
    return settings;
}

void PtyPeer::Run()
{
    for (;;) {
        pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, POLLIN, 0}};
        if (poll(fds, script_.read ? 2 : 1, -1) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN)
            return;
        if (!(fds[1].revents & POLLIN))
            continue;
        char bytes[256];
        ssize_t n = read(master_, bytes, sizeof bytes);
        if (n <= 0)
            continue;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(bytes, static_cast<size_t>(n));
        }
        arrived_.notify_all();
        std::string out;
        for (ssize_t i = 0; i < n; ++i)
            HandleByte(bytes[i], out);
        WriteAll(out);
    }
}

void PtyPeer::HandleByte(char c, std::string& out)
{
    if (script_.echo)
        out += (script_.wrongEchoFor != 0 && c == script_.wrongEchoFor) ? script_.wrongEchoAs : c;
    if (c != '\r') {
        line_ += c;
        return;
    }
    out += script_.acknowledge;
    std::string reply = script_.reply ? script_.reply(line_) : std::string(">");
    line_.clear();
    if (script_.replyDelayMs > 0) {
        WriteAll(out);
        out.clear();
        if (!Pause(script_.replyDelayMs))
            return;
    }
    if (script_.trickle) {
        WriteAll(out);
        out.clear();
        Trickle(reply);
        return;
    }
    out += reply;
}

// Stops as soon as the peer is being stopped, also while the line is full.
void PtyPeer::Trickle(const std::string& bytes)
{
    for (char c : bytes) {
        if (!Pause(script_.trickleMs))
            return;
        pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, POLLOUT, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[0].revents & POLLIN))
            return;
        if (write(master_, &c, 1) < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

// Sleeps on the wake descriptor; false when the peer is being stopped.
bool PtyPeer::Pause(int ms)
{
    pollfd fd{wake_, POLLIN, 0};
    return poll(&fd, 1, ms) == 0;
}

void PtyPeer::WriteAll(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR)
            return;
        if (n > 0)
            done += static_cast<size_t>(n);
    }
}
