#include "FakeDriver.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace driver::test {

RawPacket AnswerWith(const Request& request, AnswerBody body, int file)
{
    Answer answer;
    answer.sequence = request.sequence;
    answer.op = OpOf(request.body);
    answer.body = std::move(body);
    return {EncodeAnswer(answer), file};
}

FakeDriver::FakeDriver(Script script) : script_(std::move(script))
{
    char pattern[] = "/tmp/fake-driver-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp");
    directory_ = pattern;
    path_ = directory_ + "/socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    listen_.Reset(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    int pipeFds[2];
    if (!listen_.Valid() || ::bind(listen_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listen_.Get(), 4) != 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("fake driver socket");
    wake_[0].Reset(pipeFds[0]);
    wake_[1].Reset(pipeFds[1]);
    thread_ = std::thread([this] { Serve(); });
}

FakeDriver::~FakeDriver()
{
    char c = 0;
    [[maybe_unused]] ssize_t n = ::write(wake_[1].Get(), &c, 1);
    thread_.join();
    unlink(path_.c_str());
    rmdir(directory_.c_str());
}

std::vector<Request> FakeDriver::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void FakeDriver::HangUp()
{
    {
        std::lock_guard lock(mutex_);
        hangUp_ = true;
    }
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_[1].Get(), &c, 1);
}

void FakeDriver::Serve()
{
    for (;;) {
        std::vector<pollfd> fds{{wake_[0].Get(), POLLIN, 0}, {listen_.Get(), POLLIN, 0}};
        for (const UniqueFd& client : clients_)
            fds.push_back({client.Get(), POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents & POLLIN) {
            char c = 0;
            while (::read(wake_[0].Get(), &c, 1) == 1) {
                if (c == 0)
                    return;
            }
            std::lock_guard lock(mutex_);
            if (hangUp_)
                clients_.clear();
            hangUp_ = false;
            continue;
        }
        if (fds[1].revents & POLLIN) {
            int fd = ::accept4(listen_.Get(), nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                clients_.emplace_back(fd);
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            std::vector<uint8_t> bytes(kMaxPacket);
            ssize_t n = ::recv(fds[i].fd, bytes.data(), bytes.size(), 0);
            if (n <= 0) {
                std::erase_if(clients_, [&](const UniqueFd& c) { return c.Get() == fds[i].fd; });
                break;
            }
            std::optional<Request> request = DecodeRequest(bytes.data(), static_cast<std::size_t>(n));
            if (!request)
                continue;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(*request);
            }
            for (const RawPacket& packet : script_(*request)) {
                iovec io{const_cast<uint8_t*>(packet.bytes.data()), packet.bytes.size()};
                msghdr message{};
                message.msg_iov = &io;
                message.msg_iovlen = 1;
                alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
                if (packet.file >= 0) {
                    message.msg_control = control;
                    message.msg_controllen = sizeof control;
                    cmsghdr* c = CMSG_FIRSTHDR(&message);
                    c->cmsg_level = SOL_SOCKET;
                    c->cmsg_type = SCM_RIGHTS;
                    c->cmsg_len = CMSG_LEN(sizeof(int));
                    std::memcpy(CMSG_DATA(c), &packet.file, sizeof(int));
                }
                ::sendmsg(fds[i].fd, &message, MSG_NOSIGNAL);
            }
        }
    }
}

}  // namespace driver::test
