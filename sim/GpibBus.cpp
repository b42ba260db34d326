#include "gensim/GpibBus.h"

#include "gensim/GpibDevice.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

namespace gensim {

namespace {

using gpib::Frame;
using gpib::Op;

// A host that stops reading its answers is cut off past this.
constexpr std::size_t kMaxQueuedOut = 8u << 20;

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

sockaddr_un addressOf(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        throw std::invalid_argument("GPIB bus path \"" + path + "\" is empty or longer than "
                                    + std::to_string(sizeof address.sun_path - 1) + " characters");
    path.copy(address.sun_path, path.size());
    return address;
}

std::string absolute(std::string path)
{
    if (path.empty() || path.front() == '/')
        return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        fail("getcwd");
    return std::string(cwd) + "/" + path;
}

// A socket left by a bus that ended goes; a live bus or any other file
// stays and is refused.
void clearStaleSocket(const std::string& path, const sockaddr_un& address)
{
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (!S_ISSOCK(st.st_mode))
        throw std::invalid_argument(path + " exists and is not a socket");
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        fail("socket");
    const bool live = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    if (live)
        throw std::invalid_argument(path + " is the socket of a running bus");
    if (unlink(path.c_str()) < 0)
        fail("unlink " + path);
}

} // namespace

GpibBus::GpibBus(std::string path) : m_path(absolute(std::move(path)))
{
    const sockaddr_un address = addressOf(m_path);
    clearStaleSocket(m_path, address);
    m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listen < 0)
        fail("socket");
    if (bind(m_listen, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0
        || listen(m_listen, 16) < 0) {
        int error = errno;
        ::close(m_listen);
        errno = error;
        fail("GPIB bus socket " + m_path);
    }
    struct stat st{};
    if (stat(m_path.c_str(), &st) == 0)
        m_inode = st.st_ino;
}

GpibBus::~GpibBus()
{
    for (auto& c : m_connections)
        ::close(c->fd);
    ::close(m_listen);
    // Only while the path is still this bus's socket.
    struct stat st{};
    if (lstat(m_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == m_inode)
        unlink(m_path.c_str());
}

void GpibBus::attach(int board, int address, GpibDevice& device)
{
    if (this->device(board, address) != nullptr)
        throw std::invalid_argument("GPIB address " + std::to_string(address) + ":" + std::to_string(board)
                                    + " is taken");
    m_devices.push_back({board, address, &device});
}

GpibDevice* GpibBus::device(int board, int address) const
{
    for (const Attached& a : m_devices)
        if (a.board == board && a.address == address)
            return a.device;
    return nullptr;
}

bool GpibBus::hasBoard(int board) const
{
    return std::any_of(m_devices.begin(), m_devices.end(), [board](const Attached& a) { return a.board == board; });
}

void GpibBus::addPollFds(std::vector<pollfd>& fds) const
{
    fds.push_back({m_listen, POLLIN, 0});
    for (const auto& c : m_connections)
        fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
}

void GpibBus::serve(const pollfd* fds, std::size_t count, Clock::time_point now)
{
    // Only the connections that were there at the poll have a result.
    const std::size_t polled = std::min(count - 1, m_connections.size());
    for (std::size_t i = 0; i < polled; ++i) {
        Connection& c = *m_connections[i];
        if (fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR))
            receive(c, now);
        if (fds[i + 1].revents & POLLOUT)
            send(c);
    }
    if (fds[0].revents & POLLIN)
        accept();
    for (auto& c : m_connections) {
        settle(*c, now);
        send(*c);
    }
    std::erase_if(m_connections, [](const std::unique_ptr<Connection>& c) {
        if (!c->closing)
            return false;
        ::close(c->fd);
        return true;
    });
}

std::optional<GpibBus::Clock::time_point> GpibBus::nextDue() const
{
    std::optional<Clock::time_point> due;
    for (const auto& c : m_connections) {
        if (!c->read)
            continue;
        Clock::time_point at = c->read->deadline;
        if (c->read->device != nullptr)
            if (std::optional<Clock::time_point> output = c->read->device->nextOutput())
                at = std::min(at, *output);
        due = due ? std::min(*due, at) : at;
    }
    return due;
}

void GpibBus::accept()
{
    for (;;) {
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;  // EAGAIN: all taken; anything else: the host tries again
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        m_connections.push_back(std::move(c));
    }
}

void GpibBus::receive(Connection& c, Clock::time_point now)
{
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            c.closing = true;
            break;
        }
        c.reader.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    while (!c.closing) {
        std::optional<Frame> request = c.reader.next();
        if (!request)
            break;
        handle(c, *request, now);
    }
    if (c.reader.broken())
        c.closing = true;
}

void GpibBus::handle(Connection& c, const Frame& request, Clock::time_point now)
{
    // One request at a time: a new one means the host gave up on a read.
    c.read.reset();
    switch (request.op) {
    case Op::Open:
        if (hasBoard(request.board))
            answer(c, request, gpib::kCmpl, 0, 0);
        else
            answer(c, request, gpib::kErr, gpib::kEneb, 0);
        return;
    case Op::Write: {
        GpibDevice* d = device(request.board, request.address);
        if (d == nullptr) {
            answer(c, request, gpib::kErr, gpib::kEnol, 0);
            return;
        }
        const int error = d->write(request.payload, (request.flags & gpib::kEoi) != 0,
                                   (request.flags & gpib::kCallEnd) != 0, now);
        if (error != 0)
            answer(c, request, gpib::kErr, error, 0);
        else
            answer(c, request, gpib::kCmpl, 0, static_cast<int>(request.payload.size()));
        return;
    }
    case Op::Read:
        if (request.count <= 0 || request.timeoutMs < 0 || !request.payload.empty()) {
            answer(c, request, gpib::kErr, gpib::kEarg, 0);
            return;
        }
        c.read = Read{request.seq, device(request.board, request.address),
                      std::min<std::size_t>(static_cast<std::size_t>(request.count), gpib::kMaxPayload),
                      request.timeoutMs, now + std::chrono::milliseconds(request.timeoutMs)};
        return;
    case Op::Answer:
        c.closing = true;  // only the bus answers
        return;
    }
}

void GpibBus::answer(Connection& c, const Frame& request, int status, int error, int count, std::string payload)
{
    Frame a;
    a.op = Op::Answer;
    a.seq = request.seq;
    a.board = request.board;
    a.address = request.address;
    a.status = status;
    a.error = error;
    a.count = count;
    a.payload = std::move(payload);
    c.out += gpib::encode(a);
    if (c.out.size() > kMaxQueuedOut)
        c.closing = true;
}

// Answers a waiting read when output is due or its time is up.
void GpibBus::settle(Connection& c, Clock::time_point now)
{
    if (!c.read || c.closing)
        return;
    Read& r = *c.read;
    Frame request;
    request.seq = r.seq;
    if (r.device != nullptr) {
        if (std::optional<GpibDevice::Piece> piece = r.device->read(r.count, now)) {
            const int status = gpib::kCmpl | (piece->end ? gpib::kEnd : 0);
            const int size = static_cast<int>(piece->bytes.size());
            c.read.reset();
            answer(c, request, status, 0, size, std::move(piece->bytes));
            return;
        }
    }
    if (now < r.deadline)
        return;
    if (r.device != nullptr)
        r.device->readTimedOut(r.timeoutMs);
    c.read.reset();
    answer(c, request, gpib::kErr | gpib::kTimo, gpib::kEabo, 0);
}

void GpibBus::send(Connection& c)
{
    while (!c.out.empty() && !c.closing) {
        ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n < 0) {
            c.closing = true;
            return;
        }
        c.out.erase(0, static_cast<std::size_t>(n));
    }
}

} // namespace gensim
