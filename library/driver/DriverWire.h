// The messages between a driver client and the stand-in for the kernel
// driver: one request per packet of a SOCK_SEQPACKET socket, answered by
// one packet carrying the request's sequence number. Both ends run on the
// same machine, so words travel in the host's byte order.
//
// Every decoder checks each count and length against the bytes it has and
// against the limit of its field; a packet that does not fit is refused
// whole (nullopt), never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace driver {

// Version of the driver, times 100, that first has every operation here.
constexpr uint32_t kCurrentVersion = 432;

// No packet is larger: the largest answer is a firmware event with a
// full reply of output.
constexpr std::size_t kMaxPacket = 96 * 1024;
constexpr std::size_t kMaxVersionText = 100;
constexpr std::size_t kMaxScanCards = 30;
constexpr std::size_t kMaxResources = 20;
constexpr std::size_t kMaxRegions = 8;
constexpr std::size_t kMaxEventWords = 32;
constexpr std::size_t kMaxChanges = 64;
constexpr std::size_t kMaxOutputChunks = 256;
constexpr std::size_t kMaxOutputBytes = 64 * 1024;
constexpr std::size_t kMaxTransferBytes = 64 * 1024;

enum class Op : uint32_t {
    Version = 1,
    PciScan = 2,
    CardInfo = 3,
    Register = 4,
    Release = 5,
    ConfigRead = 6,
    FirmwareEvent = 7,
    BlockTransfer = 8,
};

// Whether the driver understood the request at all; refusals it
// understood (a card handle of 0, a config read of nothing) are answers.
enum class Status : uint32_t { Ok = 0, BadRequest = 1 };

// --- Records ------------------------------------------------------------------

struct PciLocation {
    uint32_t bus = 0;
    uint32_t slot = 0;
    uint32_t function = 0;
    bool operator==(const PciLocation&) const = default;
};

struct PciCardEntry {
    uint32_t vendor = 0;
    uint32_t device = 0;
    PciLocation location;
    bool operator==(const PciCardEntry&) const = default;
};

enum class ResourceKind : uint32_t { None = 0, Interrupt = 1, Memory = 2, Io = 3 };

// One item of a card's resource list.
struct Resource {
    ResourceKind kind = ResourceKind::None;
    uint32_t notSharable = 0;
    uint32_t base = 0;    // physical address or first port; interrupt number
    uint32_t length = 0;  // bytes or ports
    bool operator==(const Resource&) const = default;
};

// A piece of the card's shared memory: where the card sees it and where it
// lies in the memory file handed over with the registration.
struct MemoryRegion {
    uint32_t cardAddress = 0;  // in the card's own address units
    uint32_t byteLength = 0;
    uint32_t fileOffset = 0;
    bool operator==(const MemoryRegion&) const = default;
};

// What a firmware event is about.
enum class EventKind : uint32_t {
    HostInterrupt = 1,  // ISA: words = {control register after the write}
    Mailbox = 2,        // PCI: words = the mailbox registers
    Reset = 3,          // PCI: words = {bridge control}
};

// A register change the firmware makes, due atMs after the answer came.
enum class ChangeKind : uint32_t {
    ClearBits = 1,      // register `target`, bits `value`
    SetBits = 2,
    WriteRegister = 3,  // register `target` := `value`
    DiscardOutput = 4,  // the firmware restarted: output not yet taken is gone
};

struct Change {
    uint32_t atMs = 0;
    ChangeKind kind = ChangeKind::ClearBits;
    uint32_t target = 0;
    uint32_t value = 0;
    bool operator==(const Change&) const = default;
};

// Characters the firmware puts out, the first due atMs after the answer
// came; they leave one at a time as the host takes them.
struct OutputChunk {
    uint32_t atMs = 0;
    std::string bytes;
    bool operator==(const OutputChunk&) const = default;
};

// --- Requests -----------------------------------------------------------------

struct VersionRequest {};
struct PciScanRequest {
    uint32_t vendor = 0;
    uint32_t device = 0;  // 0: any
};
struct CardInfoRequest {
    PciLocation location;
};
struct RegisterRequest {
    uint32_t options = 0;
    std::vector<Resource> resources;
};
struct ReleaseRequest {
    uint32_t handle = 0;
};
struct ConfigReadRequest {
    PciLocation location;
    uint32_t offset = 0;
};
struct FirmwareEventRequest {
    uint32_t handle = 0;
    EventKind kind = EventKind::HostInterrupt;
    std::vector<uint32_t> words;
};
struct BlockTransferRequest {
    uint32_t handle = 0;
    uint32_t kind = 0;
    std::string bytes;
};

using RequestBody = std::variant<VersionRequest, PciScanRequest, CardInfoRequest, RegisterRequest,
                                 ReleaseRequest, ConfigReadRequest, FirmwareEventRequest,
                                 BlockTransferRequest>;

struct Request {
    uint32_t sequence = 0;
    RequestBody body;
};

Op OpOf(const RequestBody& body);

std::vector<uint8_t> EncodeRequest(const Request& request);
// nullopt for a packet that is no request of ours.
std::optional<Request> DecodeRequest(const uint8_t* bytes, std::size_t size);

// --- Answers ------------------------------------------------------------------

struct VersionAnswer {
    uint32_t version = 0;  // times 100
    std::string text;
};
struct PciScanAnswer {
    std::vector<PciCardEntry> cards;
};
struct CardInfoAnswer {
    bool found = false;
    std::vector<Resource> resources;
};
// A card handle of 0 is a refusal. With memory, the memory file comes with
// the packet and the regions say what of it the card shows; the register
// block is the card's own registers, kept in the file so that they outlive
// a connection.
struct RegisterAnswer {
    static constexpr uint32_t kNoRegisterBlock = 0xFFFFFFFFu;
    uint32_t handle = 0;
    bool hasMemory = false;
    uint32_t fileSize = 0;
    uint32_t registerBlock = kNoRegisterBlock;
    std::vector<MemoryRegion> regions;
};
struct ReleaseAnswer {
    bool released = false;
};
struct ConfigReadAnswer {
    uint32_t value = 0xFFFFFFFFu;
};
struct FirmwareEventAnswer {
    bool accepted = false;  // false: no such card held by this connection
    std::vector<Change> changes;
    std::vector<OutputChunk> output;
};
struct BlockTransferAnswer {
    uint32_t transferred = 0;
    bool success = false;
};

using AnswerBody = std::variant<VersionAnswer, PciScanAnswer, CardInfoAnswer, RegisterAnswer,
                                ReleaseAnswer, ConfigReadAnswer, FirmwareEventAnswer,
                                BlockTransferAnswer>;

struct Answer {
    uint32_t sequence = 0;
    Status status = Status::Ok;
    Op op = Op::Version;
    AnswerBody body;  // meaningful only with Status::Ok
};

std::vector<uint8_t> EncodeAnswer(const Answer& answer);
// An answer to a request of `op` with `sequence`: nullopt when the packet is
// another answer, malformed, or exceeds a limit.
std::optional<Answer> DecodeAnswer(Op op, uint32_t sequence, const uint8_t* bytes, std::size_t size);
// The sequence number a packet carries, if it has a header at all.
std::optional<uint32_t> SequenceOf(const uint8_t* bytes, std::size_t size);

// A refusal of a request the driver could not read.
std::vector<uint8_t> EncodeBadRequest(uint32_t sequence, uint32_t op);

}  // namespace driver
