#include "DriverClient.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace driver {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// Waits for events on fd; false on time-out.
bool WaitFor(int fd, short events, int timeoutMs, short& revents)
{
    pollfd p{fd, events, 0};
    int n = 0;
    do {
        n = poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    revents = p.revents;
    return n > 0;
}

}  // namespace

std::string DriverClient::DefaultPath()
{
    const char* named = std::getenv("MORVANE_WINDRVR");
    if (named != nullptr && *named != '\0')
        return named;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/windrvr";
    return "/tmp/windrvr-" + std::to_string(getuid());
}

std::unique_ptr<DriverClient> DriverClient::Connect(const std::string& path)
{
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return nullptr;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    UniqueFd socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.Valid())
        return nullptr;
    // Non-blocking: a driver whose backlog is full refuses (EAGAIN) instead
    // of holding the caller.
    if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        short revents = 0;
        if (errno != EINPROGRESS || !WaitFor(socket.Get(), POLLOUT, kAnswerLimitMs, revents))
            return nullptr;
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return nullptr;
    }
    return std::unique_ptr<DriverClient>(new DriverClient(std::move(socket)));
}

bool DriverClient::Send(const std::vector<uint8_t>& bytes, int timeoutMs)
{
    for (;;) {
        ssize_t n = ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n == static_cast<ssize_t>(bytes.size()))
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        short revents = 0;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)
            && WaitFor(socket_.Get(), POLLOUT, timeoutMs, revents) && (revents & POLLOUT))
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return false;  // the driver stopped reading: this request fails
        HangUp();
        return false;
    }
}

std::optional<DriverClient::Packet> DriverClient::Receive(int timeoutMs)
{
    short revents = 0;
    if (!WaitFor(socket_.Get(), POLLIN, timeoutMs, revents))
        return std::nullopt;
    Packet packet;
    buffer_.resize(kMaxPacket);
    iovec io{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)];
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n = 0;
    do {
        n = ::recvmsg(socket_.Get(), &message, MSG_CMSG_CLOEXEC);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return Packet{};  // nothing after all: an empty packet is no answer
    if (n <= 0) {
        HangUp();
        return std::nullopt;
    }
    // Every descriptor that came is owned here, the first one kept.
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
            if (!packet.file.Valid())
                packet.file.Reset(fd);
            else
                ::close(fd);
        }
    }
    if (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))
        return Packet{};  // larger than any answer: read as none
    packet.bytes.assign(buffer_.begin(), buffer_.begin() + n);
    return packet;
}

std::optional<AnswerBody> DriverClient::RoundTrip(RequestBody body, UniqueFd* file)
{
    if (!Alive())
        return std::nullopt;
    ++roundTrips_;
    const Op op = OpOf(body);
    const uint32_t sequence = nextSequence_++;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kAnswerLimitMs);
    if (!Send(EncodeRequest(Request{sequence, std::move(body)}), RemainingMs(deadline)))
        return std::nullopt;
    while (Alive()) {
        int left = RemainingMs(deadline);
        if (left == 0)
            return std::nullopt;
        std::optional<Packet> packet = Receive(left);
        if (!packet)
            return std::nullopt;
        std::optional<Answer> answer = DecodeAnswer(op, sequence, packet->bytes.data(), packet->bytes.size());
        if (!answer) {
            // A late answer to an earlier request is dropped; a broken one
            // to this request fails it.
            if (SequenceOf(packet->bytes.data(), packet->bytes.size()) == sequence)
                return std::nullopt;
            continue;
        }
        if (answer->status != Status::Ok)
            return std::nullopt;
        if (file != nullptr)
            *file = std::move(packet->file);
        return std::move(answer->body);
    }
    return std::nullopt;
}

std::optional<VersionAnswer> DriverClient::Version()
{
    auto body = RoundTrip(VersionRequest{});
    return body ? std::optional(std::get<VersionAnswer>(std::move(*body))) : std::nullopt;
}

std::optional<PciScanAnswer> DriverClient::PciScan(uint32_t vendor, uint32_t device)
{
    auto body = RoundTrip(PciScanRequest{vendor, device});
    return body ? std::optional(std::get<PciScanAnswer>(std::move(*body))) : std::nullopt;
}

std::optional<CardInfoAnswer> DriverClient::CardInfo(const PciLocation& location)
{
    auto body = RoundTrip(CardInfoRequest{location});
    return body ? std::optional(std::get<CardInfoAnswer>(std::move(*body))) : std::nullopt;
}

std::optional<Registration> DriverClient::Register(const std::vector<Resource>& resources, uint32_t options)
{
    UniqueFd file;
    auto body = RoundTrip(RegisterRequest{options, resources}, &file);
    if (!body)
        return std::nullopt;
    const RegisterAnswer& answer = std::get<RegisterAnswer>(*body);
    Registration registration{answer.handle, nullptr};
    if (answer.handle == 0 || !answer.hasMemory)
        return registration;
    registration.memory = CardMemory::Map(std::move(file), answer);
    if (!registration.memory) {
        // Registered, but unusable here: give the card back.
        Release(answer.handle);
        return std::nullopt;
    }
    return registration;
}

bool DriverClient::Release(uint32_t handle)
{
    auto body = RoundTrip(ReleaseRequest{handle});
    return body && std::get<ReleaseAnswer>(*body).released;
}

std::optional<uint32_t> DriverClient::ConfigRead(const PciLocation& location, uint32_t offset)
{
    auto body = RoundTrip(ConfigReadRequest{location, offset});
    return body ? std::optional(std::get<ConfigReadAnswer>(*body).value) : std::nullopt;
}

std::optional<FirmwareEventAnswer> DriverClient::FirmwareEvent(uint32_t handle, EventKind kind,
                                                               std::vector<uint32_t> words)
{
    auto body = RoundTrip(FirmwareEventRequest{handle, kind, std::move(words)});
    if (!body)
        return std::nullopt;
    FirmwareEventAnswer answer = std::get<FirmwareEventAnswer>(std::move(*body));
    return answer.accepted ? std::optional(std::move(answer)) : std::nullopt;
}

std::optional<BlockTransferAnswer> DriverClient::BlockTransfer(uint32_t handle, uint32_t kind, std::string bytes)
{
    if (bytes.size() > kMaxTransferBytes)
        return std::nullopt;
    auto body = RoundTrip(BlockTransferRequest{handle, kind, std::move(bytes)});
    return body ? std::optional(std::get<BlockTransferAnswer>(*body)) : std::nullopt;
}

}  // namespace driver
