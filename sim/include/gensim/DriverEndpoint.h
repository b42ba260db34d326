// The stand-in for the kernel driver: a Unix socket of sequenced packets
// on which hosts register cards, release them and raise firmware events.
//
// - The version is what the options say (432 by default).
// - An I/O range with a card at its base registers and comes with the
//   card's memory file; one with no card registers too, and a host reads
//   0xFFFF there. A card held by another connection, or one whose faults
//   say so, is refused (handle 0).
// - The PCI bus holds the generator cards added, in order; a registration
//   naming a card's bridge registers comes with that card's memory file.
// - Configuration reads show each card's identity and base address
//   registers.
// - A connection that closes releases its cards.
//
// The simulator's loop polls the endpoint's descriptors and hands each ready
// one to serve(); tests read the counts from their own thread.
#pragma once

#include "gensim/IsaCard.h"
#include "gensim/PciCard.h"
#include "gensim/StreamCard.h"

#include "DriverWire.h"
#include "UniqueFd.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <string>
#include <vector>

namespace gensim {

class Generator;

class DriverEndpoint {
public:
    // Listens at path, made absolute (replacing a stale socket there, never
    // another file or a socket someone listens on). Throws
    // std::system_error or std::invalid_argument.
    DriverEndpoint(std::string path, uint32_t version = driver::kCurrentVersion);
    ~DriverEndpoint();
    DriverEndpoint(const DriverEndpoint&) = delete;
    DriverEndpoint& operator=(const DriverEndpoint&) = delete;

    const std::string& path() const { return m_path; }

    // Throws std::invalid_argument for a slot out of range or taken.
    IsaCard& addIsaCard(int slot, Generator& generator);
    // Null when the slot has no card.
    IsaCard* isaCard(int slot);

    // The next card on the PCI bus, pci<n> for its host with n = index + 1.
    // Throws std::invalid_argument beyond what one scan reports.
    PciCard& addPciCard(Generator& generator);
    // Null when there is no such card.
    PciCard* pciCard(int index);
    // The maker's stream card, cabled to generator, after the generator
    // cards on the bus; once only (throws std::invalid_argument).
    StreamCard& addStreamCard(Generator& generator);
    StreamCard* streamCard();

    // The loop's side: the descriptors to poll, and one of them ready.
    void pollFds(std::vector<pollfd>& fds) const;
    void serve(const pollfd& ready);

    // The answer to one request packet from connection `client`, and the
    // descriptor to send with it (-1 when none).
    std::vector<uint8_t> answer(int client, const uint8_t* bytes, std::size_t size, int& file);
    // Connection `client` is gone: its cards go back.
    void disconnect(int client);

    std::size_t connections() const;
    std::size_t registrations() const;
    uint64_t requests() const;
    // Blocks until the count of connections is n, or the time is up.
    bool waitForConnections(std::size_t n, std::chrono::milliseconds timeout) const;

private:
    struct Holding {
        int client;
        int slot;      // ISA; -1: none (an I/O range with no card, or a PCI card)
        int pci = -1;  // the PCI card's index; kStreamHolding: the stream card
    };
    static constexpr int kStreamHolding = -2;

    void accept();
    void receive(int client);
    driver::AnswerBody answerBody(int client, driver::RequestBody& body, int& file);
    driver::RegisterAnswer registerCard(int client, const driver::RegisterRequest& request, int& file);
    driver::RegisterAnswer registerPciCard(int client, const driver::RegisterRequest& request, int& file);
    driver::AnswerBody scan(const driver::PciScanRequest& request) const;
    PciCard* pciCardAt(const driver::PciLocation& location) const;
    bool isStreamCardAt(const driver::PciLocation& location) const;
    driver::BlockTransferAnswer transfer(int client, const driver::BlockTransferRequest& request);
    driver::FirmwareEventAnswer event(int client, const driver::FirmwareEventRequest& request);
    bool heldByAnother(int client, int slot, int pci) const;

    std::string m_path;
    uint32_t m_version;
    driver::UniqueFd m_listen;
    ino_t m_inode = 0;
    std::unique_ptr<IsaCard> m_isa[IsaCard::kSlots];
    std::vector<std::unique_ptr<PciCard>> m_pci;
    std::unique_ptr<StreamCard> m_stream;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<driver::UniqueFd> m_clients;
    std::map<uint32_t, Holding> m_holdings;
    uint32_t m_nextHandle = 1;
    uint64_t m_requests = 0;
    std::vector<uint8_t> m_packet;  // the loop's receive buffer
};

} // namespace gensim
