// Private interface of libmorvane: the error code, the clock, the transport
// interface every port type implements, and the hooks between the front
// (ports.cpp, protocol.cpp) and the transports.
#ifndef MORVANE_INTERNAL_H
#define MORVANE_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "morvane.h"

namespace driver {
class DriverClient;
class IsaHostModel;
class PciBridgeModel;
struct PciCardEntry;
}  // namespace driver

namespace morvane {

// The error of the last call; every export clears it first unless its
// contract says otherwise.
extern int32_t LastPortError;

inline void SetPortError(int32_t code) { LastPortError = code; }

// --- Clock ------------------------------------------------------------------

// Limits of the command protocol, before the time scale.
constexpr int64_t kEchoLimitMs = 5000;
constexpr int64_t kAckLimitMs = 5000;
constexpr int64_t kReplyLimitMs = 10000;
// One whole reply: longer than the largest reply the program asks for
// (about 6000 characters) takes at the slowest line rate, 300 baud.
constexpr int64_t kReplyOverallLimitMs = 300000;
constexpr int64_t kHandshakeBudgetMs = 1000;
// How long a close or flush waits for queued output to leave the port.
constexpr int64_t kDrainLimitMs = 5000;

// Monotonic milliseconds.
int64_t NowMs();
// ms times MORVANE_TIME_SCALE (a positive factor, 1 when unset or invalid);
// the variable is read at every call so tests can change it.
int64_t ScaledMs(int64_t ms);

// A point in time a wait must not pass.
class Deadline {
public:
    // limitMs is scaled by the time hook.
    explicit Deadline(int64_t limitMs);
    // A deadline whose length was scaled already.
    static Deadline FromScaled(int64_t scaledMs);
    bool Passed() const { return RemainingMs() == 0; }
    // 0 once passed; clamped to what poll() accepts.
    int RemainingMs() const;

private:
    struct Scaled {};
    Deadline(Scaled, int64_t scaledMs);
    int64_t endUs_;  // microseconds: a deadline counted from a whole millisecond could end early
};

// --- Protocol ---------------------------------------------------------------

// Waits up to limitMs (scaled) for one character and reads it; -1 with
// 10007 on time-out. On GPIB 0 at once: its characters cannot be polled.
int WaitForChar(PortId id, int64_t limitMs);

// --- Transports -------------------------------------------------------------

inline uint32_t SlotOf(PortId id) { return id & 0xFFFFu; }

// The operations the dispatch hands to a port type. Each operation that
// takes an id clears the error code and checks the id itself, storing the
// type's own codes.
class Transport {
public:
    virtual ~Transport() = default;

    // Is spec of this type's form (may store an error, e.g. PCI needs the
    // driver to know the card count).
    virtual bool IsSpec(const char* spec) = 0;
    // The new id, or 0 with the error set.
    virtual PortId Open(const char* spec) = 0;
    // Makes the slot current for the low-level exports.
    virtual bool Select(PortId id) = 0;
    // Checks the id names an open slot, without selecting it.
    virtual bool ValidateId(PortId id) = 0;
    virtual bool Close(PortId id) = 0;
    virtual bool Flush(PortId id) = 0;
    virtual bool IsCharAvailable(PortId id) = 0;
    virtual bool PutChar(PortId id, uint8_t character) = 0;
    // The byte read; 0 on failure.
    virtual uint8_t GetChar(PortId id) = 0;
    // Blocks until a character is waiting or timeoutMs (already scaled)
    // passed. True when one is waiting; false on time-out or a dead line.
    virtual bool WaitForInput(PortId id, int timeoutMs) = 0;
    // WaitForInput for a caller outside the protocol: a line that has hung
    // up stores its type's closed code, so the caller stops waiting on it.
    virtual bool AwaitChar(PortId id, int timeoutMs) { return WaitForInput(id, timeoutMs); }
    // Puts length bytes, stopping at the first that cannot go.
    virtual bool PutBlock(PortId id, const uint8_t* data, std::size_t length)
    {
        for (std::size_t i = 0; i < length; ++i)
            if (!PutChar(id, data[i]))
                return false;
        return true;
    }
};

Transport& IsaPort();
Transport& ComPort();
Transport& PciPort();
Transport& GpibPort();

// The transport of the id's type half, or null with 2000 stored.
Transport* TransportOf(PortId id);

// COM line speed.
bool ComSetRate(PortId id, int32_t rate);
int32_t ComGetRate(PortId id);

// --- Kernel driver ------------------------------------------------------------

// Kernel-driver connection shared by ISA and PCI: connects, checks the
// version and scans the PCI bus; failure stores 40002 or 40003.
bool DriverOpen();
// Closes the connection when no ISA slot and no PCI card is open.
void DriverRelease();
// The open connection, null when none.
driver::DriverClient* Driver();
// The generator cards the scan of the last opening found, in its order.
const std::vector<driver::PciCardEntry>& DriverPciCards();

// Register access of the current ISA card (offsets 0, 2, 4, 6). Without a
// current card a read gives 0 and a write does nothing and returns 0.
uint16_t GspReadRegister(uint32_t offset);
int32_t GspWriteRegister(uint32_t offset, uint16_t value);

// --- ISA ----------------------------------------------------------------------

// The host interface of the current ISA card, null when none.
driver::IsaHostModel* CurrentIsaCard();
uint32_t IsaOpenCount();
// Resets the processor of a slot that is not open; the result of the reset.
bool IsaForceInit(int32_t slot);

// --- PCI ----------------------------------------------------------------------

constexpr uint32_t kPciCards = 20;

uint32_t PciOpenCount();
// Marks every PCI card entry closed (a fresh driver connection).
void PciClearTable();

// Number of PCI generator cards, -1 when the driver cannot be opened.
int32_t PciFoundCount();
// Opens the card, clears its two SRAM start words, pulses its reset and
// closes it again; false when the card cannot be opened.
bool PciForceInit(int32_t cardNumber);
// Does spec have the PCI form at all ("pci" and anything), whatever the
// card count: tells a missing driver apart from a spec of no known form.
bool PciHasPrefix(const char* spec);

// The bridge of the current PCI card, null when none.
driver::PciBridgeModel* CurrentPciCard();

// A base address register's size mask for a range of `length` bytes: the
// length rounded up to a power of two, less 1.
uint32_t PciSizeMask(uint32_t length);
// One base address register of an open card as its opening matched it.
struct PciBar {
    uint32_t configOffset = 0;
    uint32_t item = 0;  // resource item
    uint32_t sizeMask = 0;
    bool isMemory = false;
    bool matched = false;
    bool operator==(const PciBar&) const = default;
};
// The registers of card index k (nothing when it is not open).
std::vector<PciBar> PciBarTable(uint32_t k);

// Bridge registers of the current card: without one a read gives 0 and a
// write does nothing.
uint32_t PciReadRegister(uint32_t offset);
void PciWriteRegister(uint32_t offset, uint32_t value);
uint8_t PciReadRegisterByte(uint32_t offset);
void PciWriteRegisterByte(uint32_t offset, uint8_t value);

// --- PCI mailbox ---------------------------------------------------------------
// These work on the current card; without one they do nothing and answer 0.

// The done bit of one command, and the finish of a firmware call.
constexpr int64_t kMailboxLimitMs = 2000;
constexpr int64_t kFirmwareCallLimitMs = 20000;

// Waits for the done bit and clears it; 0 with 10007 when it does not come.
bool PciWaitDone();
// The character channel; each clears the error code and selects id first.
bool PciPutChar(PortId id, uint8_t character);
uint8_t PciGetChar(PortId id);
bool PciIsCharAvailable(PortId id);
// Drops every character the card has ready; waits for nothing.
bool PciFlush(PortId id);
// Blocks until a character is waiting or timeoutMs (already scaled) passed.
bool PciWaitForInput(PortId id, int timeoutMs);
// The card address of a firmware item; 0 when the command was not done.
uint32_t PciGetItemAddress(uint32_t item);
// Runs firmware function n: 1 when it finished well, 0x7000 when it failed
// with result code 0x70, else 0 (10007 on a time-out). Leaves the status clear.
int32_t PciCallFunction(uint32_t function);
// Streams of consecutive card words; each stops at an element the card does
// not acknowledge (10007).
void PciReadInt32(uint32_t address, uint32_t* values, int32_t count);
void PciWriteInt16(const int16_t* values, uint32_t address, int32_t count);
void PciReadInt16(uint32_t address, int16_t* values, int32_t count);
// Sets and clears the card's software reset bit.
void PciResetPulse();

// The bus side of the command protocol on GPIB: whole-command writes and
// line-terminated replies.
int32_t GpibSendCommand(PortId id, const char* command, char* reply, int32_t length);
int32_t GpibGetResponse(PortId id, char* reply, uint32_t length);
bool GpibIsShutDown(PortId id);
// Parses "gpib<addr>:<board>"; addr 0-30 in one or two digits, board >= 0.
bool GpibParseSpec(const char* spec, int* address, int* board);

// Case-insensitive prefix test.
bool HasPrefixNoCase(const char* text, const char* prefix);

}  // namespace morvane

#endif
