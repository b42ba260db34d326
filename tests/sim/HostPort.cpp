#include "HostPort.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace gensim::test {

namespace {

speed_t speedOf(int baud)
{
    switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: throw std::invalid_argument("no such speed");
    }
}

} // namespace

HostPort::HostPort(const std::string& path, int baud)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        throw std::system_error(errno, std::generic_category(), "open " + path);
    setBaud(baud);
}

HostPort::~HostPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void HostPort::setBaud(int baud)
{
    termios t{};
    if (tcgetattr(m_fd, &t) < 0)
        throw std::system_error(errno, std::generic_category(), "tcgetattr");
    cfmakeraw(&t);
    cfsetspeed(&t, speedOf(baud));
    if (tcsetattr(m_fd, TCSANOW, &t) < 0)
        throw std::system_error(errno, std::generic_category(), "tcsetattr");
}

void HostPort::write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EAGAIN) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
            continue;
        }
        if (n < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "write");
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

bool HostPort::readOne(char& c, std::chrono::steady_clock::time_point deadline)
{
    while (true) {
        if (::read(m_fd, &c, 1) == 1)
            return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        if ((p.revents & POLLIN) == 0)
            return false;  // the line hung up
    }
}

std::string HostPort::readUntil(char end, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string got;
    char c = 0;
    while (readOne(c, deadline)) {
        got.push_back(c);
        if (c == end)
            break;
    }
    return got;
}

std::string HostPort::read(std::size_t count, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string got;
    char c = 0;
    while (got.size() < count && readOne(c, deadline))
        got.push_back(c);
    return got;
}

std::string HostPort::readFor(std::chrono::milliseconds window)
{
    auto deadline = std::chrono::steady_clock::now() + window;
    std::string got;
    char c = 0;
    while (readOne(c, deadline))
        got.push_back(c);
    return got;
}

std::string HostPort::command(const std::string& line)
{
    write(line + "\r");
    return readUntil('>');
}

} // namespace gensim::test
