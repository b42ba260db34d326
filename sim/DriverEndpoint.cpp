#include "gensim/DriverEndpoint.h"

#include "gensim/Generator.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

namespace gensim {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

sockaddr_un addressOf(const std::string& path)
{
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        throw std::invalid_argument("driver socket path \"" + path + "\" is empty or too long");
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    return address;
}

// True when something answers a connect at address.
bool listenedOn(const sockaddr_un& address)
{
    driver::UniqueFd probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    return probe.Valid()
        && ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// A stale socket of an earlier run goes; anything else at the path stays.
void clearPath(const std::string& path, const sockaddr_un& address)
{
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (!S_ISSOCK(st.st_mode))
        throw std::invalid_argument(path + " exists and is not a socket");
    if (listenedOn(address))
        throw std::invalid_argument(path + " is in use by another driver");
    if (unlink(path.c_str()) != 0)
        fail("unlink " + path);
}

constexpr char kVersionText[] = "gensim kernel-driver stand-in";

// The path is handed to programs that may run elsewhere.
std::string absolute(std::string path)
{
    if (path.empty() || path.front() == '/')
        return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        fail("getcwd");
    return std::string(cwd) + "/" + path;
}

} // namespace

DriverEndpoint::DriverEndpoint(std::string path, uint32_t version) : m_path(absolute(std::move(path))), m_version(version)
{
    const sockaddr_un address = addressOf(m_path);
    clearPath(m_path, address);
    m_listen.Reset(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!m_listen.Valid())
        fail("socket");
    if (::bind(m_listen.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        fail("bind " + m_path);
    if (::listen(m_listen.Get(), 16) != 0)
        fail("listen " + m_path);
    struct stat st{};
    if (stat(m_path.c_str(), &st) == 0)
        m_inode = st.st_ino;
}

DriverEndpoint::~DriverEndpoint()
{
    // Remove the socket only while it is still ours.
    struct stat st{};
    if (stat(m_path.c_str(), &st) == 0 && st.st_ino == m_inode)
        unlink(m_path.c_str());
}

IsaCard& DriverEndpoint::addIsaCard(int slot, Generator& generator)
{
    IsaCard::baseOf(slot);
    std::lock_guard lock(m_mutex);
    if (m_isa[slot])
        throw std::invalid_argument("ISA slot " + std::to_string(slot) + " already holds a card");
    m_isa[slot] = std::make_unique<IsaCard>(slot, generator);
    return *m_isa[slot];
}

IsaCard* DriverEndpoint::isaCard(int slot)
{
    std::lock_guard lock(m_mutex);
    return slot >= 0 && slot < IsaCard::kSlots ? m_isa[slot].get() : nullptr;
}

PciCard& DriverEndpoint::addPciCard(Generator& generator)
{
    std::lock_guard lock(m_mutex);
    if (m_pci.size() == driver::kMaxScanCards)
        throw std::invalid_argument("the PCI bus holds " + std::to_string(driver::kMaxScanCards) + " cards at most");
    m_pci.push_back(std::make_unique<PciCard>(static_cast<int>(m_pci.size()), generator));
    return *m_pci.back();
}

PciCard* DriverEndpoint::pciCard(int index)
{
    std::lock_guard lock(m_mutex);
    return index >= 0 && static_cast<std::size_t>(index) < m_pci.size() ? m_pci[index].get() : nullptr;
}

StreamCard& DriverEndpoint::addStreamCard(Generator& generator)
{
    std::lock_guard lock(m_mutex);
    if (m_stream)
        throw std::invalid_argument("the bus holds one stream card");
    m_stream = std::make_unique<StreamCard>(0, generator);
    return *m_stream;
}

StreamCard* DriverEndpoint::streamCard()
{
    std::lock_guard lock(m_mutex);
    return m_stream.get();
}

void DriverEndpoint::pollFds(std::vector<pollfd>& fds) const
{
    std::lock_guard lock(m_mutex);
    fds.push_back({m_listen.Get(), POLLIN, 0});
    for (const driver::UniqueFd& client : m_clients)
        fds.push_back({client.Get(), POLLIN, 0});
}

void DriverEndpoint::serve(const pollfd& ready)
{
    if (ready.revents == 0)
        return;
    if (ready.fd == m_listen.Get())
        accept();
    else if (ready.revents & POLLIN)
        receive(ready.fd);
    else
        disconnect(ready.fd);
}

void DriverEndpoint::accept()
{
    for (;;) {
        int fd = ::accept4(m_listen.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        std::lock_guard lock(m_mutex);
        m_clients.emplace_back(fd);
        m_changed.notify_all();
    }
}

void DriverEndpoint::receive(int client)
{
    std::vector<uint8_t>& packet = m_packet;
    packet.resize(driver::kMaxPacket + 1);
    iovec io{packet.data(), packet.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)];
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n = ::recvmsg(client, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    // Hosts send no descriptors; any that came are closed.
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); n >= 0 && c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        for (std::size_t i = 0; i < (c->cmsg_len - CMSG_LEN(0)) / sizeof(int); ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
            ::close(fd);
        }
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n <= 0) {
        disconnect(client);
        return;
    }
    const std::size_t size = (message.msg_flags & MSG_TRUNC) ? packet.size() : static_cast<std::size_t>(n);
    int file = -1;
    std::vector<uint8_t> reply = answer(client, packet.data(), size, file);

    io = {reply.data(), reply.size()};
    msghdr out{};
    out.msg_iov = &io;
    out.msg_iovlen = 1;
    alignas(cmsghdr) char rights[CMSG_SPACE(sizeof(int))] = {};
    if (file >= 0) {
        out.msg_control = rights;
        out.msg_controllen = sizeof rights;
        cmsghdr* c = CMSG_FIRSTHDR(&out);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &file, sizeof file);
    }
    // A host that stopped reading loses this answer and times out; a host
    // that went away is dropped.
    if (::sendmsg(client, &out, MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
        disconnect(client);
}

void DriverEndpoint::disconnect(int client)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_holdings, [client](const auto& h) { return h.second.client == client; });
    std::erase_if(m_clients, [client](const driver::UniqueFd& fd) { return fd.Get() == client; });
    m_changed.notify_all();
}

std::vector<uint8_t> DriverEndpoint::answer(int client, const uint8_t* bytes, std::size_t size, int& file)
{
    file = -1;
    {
        std::lock_guard lock(m_mutex);
        ++m_requests;
    }
    std::optional<driver::Request> request = driver::DecodeRequest(bytes, size);
    if (!request) {
        uint32_t op = 0;
        if (bytes != nullptr && size >= sizeof op)
            std::memcpy(&op, bytes, sizeof op);
        return driver::EncodeBadRequest(driver::SequenceOf(bytes, size).value_or(0), op);
    }
    driver::Answer answer;
    answer.sequence = request->sequence;
    answer.op = driver::OpOf(request->body);
    answer.body = answerBody(client, request->body, file);
    return driver::EncodeAnswer(answer);
}

driver::AnswerBody DriverEndpoint::answerBody(int client, driver::RequestBody& body, int& file)
{
    using namespace driver;
    switch (OpOf(body)) {
    case Op::Version: return VersionAnswer{m_version, kVersionText};
    case Op::PciScan: return scan(std::get<PciScanRequest>(body));
    case Op::CardInfo: {
        const PciLocation& location = std::get<CardInfoRequest>(body).location;
        if (isStreamCardAt(location))
            return CardInfoAnswer{true, m_stream->resources()};
        PciCard* card = pciCardAt(location);
        return card ? CardInfoAnswer{true, card->resources()} : CardInfoAnswer{};
    }
    case Op::Register: return registerCard(client, std::get<RegisterRequest>(body), file);
    case Op::Release: {
        std::lock_guard lock(m_mutex);
        auto held = m_holdings.find(std::get<ReleaseRequest>(body).handle);
        bool released = held != m_holdings.end() && held->second.client == client;
        if (released)
            m_holdings.erase(held);
        return ReleaseAnswer{released};
    }
    case Op::ConfigRead: {
        const ConfigReadRequest& read = std::get<ConfigReadRequest>(body);
        if (isStreamCardAt(read.location))
            return ConfigReadAnswer{m_stream->configRead(read.offset)};
        PciCard* card = pciCardAt(read.location);
        return card ? ConfigReadAnswer{card->configRead(read.offset)} : ConfigReadAnswer{};
    }
    case Op::FirmwareEvent: return event(client, std::get<FirmwareEventRequest>(body));
    case Op::BlockTransfer: return transfer(client, std::get<BlockTransferRequest>(body));
    }
    return VersionAnswer{};
}

driver::AnswerBody DriverEndpoint::scan(const driver::PciScanRequest& request) const
{
    driver::PciScanAnswer answer;
    std::lock_guard lock(m_mutex);
    for (const auto& card : m_pci) {
        const driver::PciCardEntry entry = card->scanEntry();
        if (entry.vendor == request.vendor && (request.device == 0 || entry.device == request.device))
            answer.cards.push_back(entry);
    }
    if (m_stream) {
        const driver::PciCardEntry entry = m_stream->scanEntry();
        if (entry.vendor == request.vendor && (request.device == 0 || entry.device == request.device)
            && answer.cards.size() < driver::kMaxScanCards)
            answer.cards.push_back(entry);
    }
    return answer;
}

bool DriverEndpoint::isStreamCardAt(const driver::PciLocation& location) const
{
    std::lock_guard lock(m_mutex);
    return m_stream && m_stream->scanEntry().location == location;
}

// Only the stream card takes blocks, from the connection that holds it.
driver::BlockTransferAnswer DriverEndpoint::transfer(int client, const driver::BlockTransferRequest& request)
{
    {
        std::lock_guard lock(m_mutex);
        auto held = m_holdings.find(request.handle);
        if (!m_stream || held == m_holdings.end() || held->second.client != client
            || held->second.pci != kStreamHolding)
            return {};
    }
    return m_stream->transfer(request.kind, request.bytes);
}

PciCard* DriverEndpoint::pciCardAt(const driver::PciLocation& location) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& card : m_pci)
        if (card->scanEntry().location == location)
            return card.get();
    return nullptr;
}

bool DriverEndpoint::heldByAnother(int client, int slot, int pci) const
{
    return std::any_of(m_holdings.begin(), m_holdings.end(), [&](const auto& h) {
        return h.second.client != client && (slot >= 0 ? h.second.slot == slot : h.second.pci == pci);
    });
}

// An ISA card: one I/O range at a card's base. A PCI card: the resource list
// of its card information.
driver::RegisterAnswer DriverEndpoint::registerCard(int client, const driver::RegisterRequest& request, int& file)
{
    driver::RegisterAnswer refused;
    if (request.resources.size() != 1 || request.resources[0].kind != driver::ResourceKind::Io)
        return registerPciCard(client, request, file);
    const uint32_t base = request.resources[0].base;
    std::lock_guard lock(m_mutex);
    int slot = -1;
    for (int s = 0; s < IsaCard::kSlots; ++s)
        if (m_isa[s] && m_isa[s]->base() == base)
            slot = s;
    if (slot >= 0 && (heldByAnother(client, slot, -1) || m_isa[slot]->faults().refuseRegistration))
        return refused;
    const uint32_t handle = m_nextHandle++;
    m_holdings[handle] = {client, slot};
    m_changed.notify_all();
    if (slot < 0) {
        driver::RegisterAnswer empty;
        empty.handle = handle;
        return empty;
    }
    file = m_isa[slot]->memoryFile();
    return m_isa[slot]->registration(handle);
}

driver::RegisterAnswer DriverEndpoint::registerPciCard(int client, const driver::RegisterRequest& request, int& file)
{
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_pci.size(); ++i) {
        PciCard& card = *m_pci[i];
        if (!card.isNamedBy(request.resources))
            continue;
        if (heldByAnother(client, -1, static_cast<int>(i)) || card.faults().refuseRegistration)
            break;
        const uint32_t handle = m_nextHandle++;
        m_holdings[handle] = {client, -1, static_cast<int>(i)};
        m_changed.notify_all();
        file = card.memoryFile();
        return card.registration(handle);
    }
    if (m_stream && m_stream->isNamedBy(request.resources) && !heldByAnother(client, -1, kStreamHolding)
        && !m_stream->faults().refuseRegistration) {
        driver::RegisterAnswer answer;
        answer.handle = m_nextHandle++;
        m_holdings[answer.handle] = {client, -1, kStreamHolding};
        m_changed.notify_all();
        return answer;
    }
    return {};
}

driver::FirmwareEventAnswer DriverEndpoint::event(int client, const driver::FirmwareEventRequest& request)
{
    IsaCard* isa = nullptr;
    PciCard* pci = nullptr;
    {
        std::lock_guard lock(m_mutex);
        auto held = m_holdings.find(request.handle);
        if (held != m_holdings.end() && held->second.client == client) {
            if (held->second.slot >= 0)
                isa = m_isa[held->second.slot].get();
            else if (held->second.pci >= 0)
                pci = m_pci[static_cast<std::size_t>(held->second.pci)].get();
        }
    }
    if (isa != nullptr && request.kind == driver::EventKind::HostInterrupt && !request.words.empty())
        return isa->hostEvent(static_cast<uint16_t>(request.words[0]));
    if (pci != nullptr && request.kind != driver::EventKind::HostInterrupt)
        return pci->event(request.kind, request.words);
    return {};
}

std::size_t DriverEndpoint::connections() const
{
    std::lock_guard lock(m_mutex);
    return m_clients.size();
}

std::size_t DriverEndpoint::registrations() const
{
    std::lock_guard lock(m_mutex);
    return m_holdings.size();
}

uint64_t DriverEndpoint::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool DriverEndpoint::waitForConnections(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_clients.size() == n; });
}

} // namespace gensim
