#include "WireSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <stdexcept>

namespace gensim::test {

namespace {

sockaddr_un addressOf(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

bool readable(int fd, std::chrono::milliseconds timeout)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(timeout.count())) == 1;
}

} // namespace

WireSocket WireSocket::connect(const std::string& path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = addressOf(path);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        fd = -1;
    }
    return WireSocket(fd);
}

WireSocket::~WireSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

WireSocket& WireSocket::operator=(WireSocket&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_reader = std::move(other.m_reader);
        other.m_fd = -1;
    }
    return *this;
}

bool WireSocket::sendRaw(const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<gpib::Frame> WireSocket::receive(std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (std::optional<gpib::Frame> frame = m_reader.next())
            return frame;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0 || !readable(m_fd, left))
            return std::nullopt;
        char buffer[65536];
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return std::nullopt;
        m_reader.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

bool WireSocket::closedByPeer(std::chrono::milliseconds timeout)
{
    char c = 0;
    return readable(m_fd, timeout) && ::recv(m_fd, &c, 1, 0) == 0;
}

WireListener::WireListener(const std::string& path) : m_path(path)
{
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = addressOf(path);
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || listen(m_fd, 4) != 0)
        throw std::runtime_error("cannot listen at " + path);
}

WireListener::~WireListener()
{
    ::close(m_fd);
    unlink(m_path.c_str());
}

WireSocket WireListener::accept(std::chrono::milliseconds timeout)
{
    if (!readable(m_fd, timeout))
        return WireSocket();
    return WireSocket(accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC));
}

} // namespace gensim::test
