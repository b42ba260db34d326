// What a host and a PCI generator card agree on: the bridge registers and
// their bits, the mailbox command words, the words of a mailbox event, and
// where the card's memories lie in its own (byte) address space. The
// library's bridge model and the simulator's card firmware both build on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace driver::pci {

// --- Bridge registers: byte offsets in the register window ------------------------

constexpr uint32_t kEndianControl = 0x0C;  // byte; bit 5 is only stored
constexpr uint32_t kData = 0x40;           // also the first block-write value
constexpr uint32_t kAddress = 0x44;
constexpr uint32_t kBlockValues = 7;       // 0x40 .. 0x58
constexpr uint32_t kStatus = 0x5C;         // status, and the target of a block write
constexpr uint32_t kCommand = 0x60;
constexpr uint32_t kBridgeControl = 0x6C;
constexpr uint32_t kWindowRange = 0xF0;
constexpr uint32_t kWindowBase = 0xF4;
// The registers a host reaches.
constexpr uint32_t kWindowBytes = 0x100;
// Not a host register: the firmware's state as its last answer gave it. It
// lives beside the registers, so a card keeps it from one host to the next.
constexpr uint32_t kFirmwareState = 0x100;
constexpr std::size_t kRegisterBlockBytes = 0x104;

// Status bits.
constexpr uint32_t kDone = 0x1;
constexpr uint32_t kCallError = 0x2;
constexpr uint32_t kCharReady = 0x4;
constexpr uint32_t kCallFinished = 0x8;
constexpr uint32_t kResultShift = 8;  // bits 8-15: the result code of a failed call
constexpr uint32_t kResultMask = 0xFF00;

constexpr uint32_t kSoftwareReset = 0x40000000;  // in the bridge control register
constexpr uint32_t kWindowEnable = 0x1;          // in the window base register

// Firmware state bits.
constexpr uint32_t kInWatchdogLoop = 0x1;
constexpr uint32_t kMailboxSilent = 0x2;  // the firmware sets no done bit

// --- Mailbox commands ----------------------------------------------------------------

enum Code : uint32_t {
    kPutChar = 1,
    kGetChar = 2,
    kCall = 3,
    kItemAddress = 4,
    kWrite = 6,
    kRead = 7,
    kWatchdog = 8,
    kWriteBlock = 9,
};

// Flags: a single command, or one element of a stream, after which the card
// moves the address register on by the element's size.
constexpr uint32_t kSingle = 1;
constexpr uint32_t kStreamElement = 3;
constexpr uint32_t kNextAddress = 0x2;

constexpr uint32_t CommandWord(uint32_t size, uint32_t code, uint32_t flags)
{
    return size << 16 | code << 8 | flags;
}
constexpr uint32_t SizeOf(uint32_t command) { return command >> 16; }
constexpr uint32_t CodeOf(uint32_t command) { return (command >> 8) & 0xFF; }
constexpr uint32_t FlagsOf(uint32_t command) { return command & 0xFF; }

// The data value that asks the firmware to leave its watchdog loop; it
// answers by writing 0 to the data register.
constexpr uint32_t kWatchdogRelease = 0xF0F0F0F0;

// What the host wrote that makes a mailbox event, and the mailbox registers
// 0x40-0x60 as they stand after the write.
struct MailboxEvent {
    static constexpr std::size_t kRegisters = 9;
    uint32_t offset = 0;
    uint32_t value = 0;
    uint32_t registers[kRegisters] = {};

    // offset 0x40 .. 0x60.
    uint32_t Register(uint32_t at) const { return registers[(at - kData) / 4]; }
    std::vector<uint32_t> Words() const
    {
        std::vector<uint32_t> words{offset, value};
        words.insert(words.end(), registers, registers + kRegisters);
        return words;
    }
    static std::optional<MailboxEvent> FromWords(const std::vector<uint32_t>& words)
    {
        if (words.size() != 2 + kRegisters)
            return std::nullopt;
        MailboxEvent event;
        event.offset = words[0];
        event.value = words[1];
        for (std::size_t i = 0; i < kRegisters; ++i)
            event.registers[i] = words[2 + i];
        return event;
    }
};

// --- Card memories -----------------------------------------------------------------

struct CardRegion {
    uint32_t address;
    uint32_t bytes;
};
constexpr CardRegion kVideo{0x00000000, 8u << 20};
constexpr CardRegion kRom{0xE0000000, 2u << 20};
constexpr CardRegion kSram{0xFFF00000, 512u << 10};
constexpr CardRegion kLocalA{0xF1000000, 32u << 10};
constexpr CardRegion kLocalB{0xF0F00000, 32u << 10};

// The memory window a host maps: it shows the region the window registers
// point at, repeated to fill it.
constexpr uint32_t kWindowSpan = 8u << 20;

// Resource items of a card with a meaning here.
constexpr std::size_t kRegisterItem = 2;
constexpr std::size_t kSramItem = 4;
constexpr std::size_t kWindowItem = 5;

}  // namespace driver::pci
