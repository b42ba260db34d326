#include "BusClient.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace gensim::gpib {

namespace {

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int remainingMs(long long deadlineMs)
{
    long long left = deadlineMs - nowMs();
    return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace

BusClient::~BusClient()
{
    drop();
}

void BusClient::drop()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_reader = FrameReader();
}

// Still up: what waits on it can only be answers given up on, which go.
bool BusClient::connected()
{
    if (m_fd < 0)
        return false;
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0)
            return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
        char stale[4096];
        ssize_t n = ::recv(m_fd, stale, sizeof stale, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        m_reader.feed(std::string_view(stale, static_cast<std::size_t>(n)));
        while (m_reader.next()) {
        }
        if (m_reader.broken())
            return false;
    }
}

bool BusClient::connect(int& error)
{
    drop();
    const std::string path = busPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = ENAMETOOLONG;
        return false;
    }
    path.copy(address.sun_path, path.size());
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        error = errno;
        return false;
    }
    // A local stream socket connects at once or not at all.
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        error = errno;
        drop();
        return false;
    }
    return true;
}

bool BusClient::sendAll(const std::string& bytes, long long deadlineMs, int& error)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            error = errno;
            return false;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (poll(&p, 1, remainingMs(deadlineMs)) <= 0) {
            error = ETIMEDOUT;
            return false;
        }
    }
    return true;
}

BusClient::Result BusClient::call(Frame request, int waitMs)
{
    Result result;
    const long long deadline = nowMs() + waitMs;
    if (!connected() && !connect(result.systemError)) {
        result.outcome = Outcome::NoBus;
        return result;
    }
    request.seq = ++m_seq;
    if (!sendAll(encode(request), deadline, result.systemError)) {
        drop();
        result.outcome = Outcome::Dropped;
        return result;
    }
    for (;;) {
        while (std::optional<Frame> frame = m_reader.next()) {
            if (frame->op == Op::Answer && frame->seq == request.seq) {
                result.outcome = Outcome::Answered;
                result.answer = std::move(*frame);
                return result;
            }
        }
        if (m_reader.broken())
            break;
        pollfd p{m_fd, POLLIN, 0};
        int ready = poll(&p, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            result.outcome = Outcome::NoAnswer;
            return result;
        }
        char buffer[64 * 1024];
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0) {
            result.systemError = n < 0 ? errno : ECONNRESET;
            break;
        }
        m_reader.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    drop();
    result.outcome = Outcome::Dropped;
    return result;
}

} // namespace gensim::gpib
