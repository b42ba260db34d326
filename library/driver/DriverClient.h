// One connection to the stand-in for the kernel driver: a Unix socket of
// sequenced packets, one synchronous request and answer at a time.
//
// A request that has no valid answer within kAnswerLimitMs fails (nullopt):
// a stopped or vanished driver looks like a dead card and never holds the
// caller. Writes never raise SIGPIPE. Not thread-safe: one caller at a time.
#pragma once

#include "CardMemory.h"
#include "DriverWire.h"
#include "UniqueFd.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// A card the driver registered: its handle (0: refused) and, for a card
// with memory, that memory mapped.
struct Registration {
    uint32_t handle = 0;
    std::shared_ptr<CardMemory> memory;
};

class DriverClient {
public:
    // Not scaled by any test clock: the driver answers at once or not at all.
    static constexpr int kAnswerLimitMs = 5000;

    // The socket named by MORVANE_WINDRVR, else $XDG_RUNTIME_DIR/windrvr,
    // else /tmp/windrvr-<uid>.
    static std::string DefaultPath();
    // Null when nothing listens at path.
    static std::unique_ptr<DriverClient> Connect(const std::string& path);

    std::optional<VersionAnswer> Version();
    std::optional<PciScanAnswer> PciScan(uint32_t vendor, uint32_t device);
    std::optional<CardInfoAnswer> CardInfo(const PciLocation& location);
    // A refusal is a Registration with handle 0; nullopt when the driver did
    // not answer or its memory could not be mapped.
    std::optional<Registration> Register(const std::vector<Resource>& resources, uint32_t options = 0);
    bool Release(uint32_t handle);
    std::optional<uint32_t> ConfigRead(const PciLocation& location, uint32_t offset);
    std::optional<FirmwareEventAnswer> FirmwareEvent(uint32_t handle, EventKind kind, std::vector<uint32_t> words);
    std::optional<BlockTransferAnswer> BlockTransfer(uint32_t handle, uint32_t kind, std::string bytes);

    // Requests sent so far, answered or not.
    uint64_t RoundTrips() const { return roundTrips_; }
    // False once the driver hung up or a write failed; every later request fails at once.
    bool Alive() const { return socket_.Valid(); }

private:
    struct Packet {
        std::vector<uint8_t> bytes;
        UniqueFd file;  // a descriptor that came with it
    };

    explicit DriverClient(UniqueFd socket) : socket_(std::move(socket)) {}

    // The answer to body, or nullopt; file receives a descriptor sent with it.
    std::optional<AnswerBody> RoundTrip(RequestBody body, UniqueFd* file = nullptr);
    bool Send(const std::vector<uint8_t>& bytes, int timeoutMs);
    std::optional<Packet> Receive(int timeoutMs);
    void HangUp() { socket_.Reset(); }

    UniqueFd socket_;
    uint32_t nextSequence_ = 1;
    uint64_t roundTrips_ = 0;
    std::vector<uint8_t> buffer_;  // receives one packet
};

}  // namespace driver
