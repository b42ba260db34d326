// The PCI bridge of a generator card as its host sees it: the mailbox and
// memory-window registers over the card's shared memory, modelled in the
// host's process. Memory work costs no round trip; only firmware events go
// to the driver.
//
// - Card memory (byte addresses): video memory 8 MB at 0, ROM 2 MB at
//   0xE0000000, SRAM 512 KB at 0xFFF00000, 32 KB at 0xF1000000 and at
//   0xF0F00000; elsewhere reads give 0 and writes are ignored.
// - Resource item 4 is the SRAM as mapped; item 5 is an 8 MB window that
//   shows the local range the window registers (0xF4 base, 0xF0 range) point
//   at, a smaller range repeated to fill it. Writing either register maps
//   the window anew at the same address.
// - Served here: the memory commands (6 write, 7 read, 9 block write; a
//   size other than 1, 2 or 4 sets done and does nothing), their streams
//   (flag bit 1 moves the address on), and command 2, which takes the next
//   character from the output queue. Status bit 2 tells, when read, whether
//   a character is there.
// - Firmware events, one round trip each: commands 1, 3, 4 and 8; a data
//   write of 0xF0F0F0F0 while the firmware is in its watchdog loop; the
//   rising edge of the software reset (0x6C bit 30). The answer's changes
//   apply when due, at register reads and in waits only, so a change never
//   lands between the halves of a read-modify-write.
// - The mailbox holds one command: a new command word drops the changes the
//   previous command still had coming.
// - 0x5C is the status and the block target: a host write sets both; command
//   9 takes the target before it sets done.
// - The firmware's state (its watchdog loop, a silent mailbox) comes with
//   its answers; a silent mailbox sets no done bit, also for the commands
//   served here.
//
// The registers live in the card's register block, so a card keeps them from
// one registration to the next. A card whose memory lacks the register block
// or the window cannot be used (HasCard() false).
#pragma once

#include "CardMemory.h"
#include "FirmwareSchedule.h"
#include "PciCardLayout.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace driver {

class DriverClient;

class PciBridgeModel {
public:
    using Clock = FirmwareSchedule::Clock;

    // client and handle carry the firmware events (client null: none).
    PciBridgeModel(DriverClient* client, uint32_t handle, std::shared_ptr<CardMemory> memory);
    ~PciBridgeModel();
    PciBridgeModel(const PciBridgeModel&) = delete;
    PciBridgeModel& operator=(const PciBridgeModel&) = delete;

    bool HasCard() const { return registers_ != nullptr; }

    // 32-bit registers at offsets 0x00-0xFC of the window; other offsets read
    // 0 and ignore writes.
    uint32_t ReadRegister(uint32_t offset);
    void WriteRegister(uint32_t offset, uint32_t value);
    // One byte of the window: its register read, or changed and written whole.
    uint8_t ReadRegisterByte(uint32_t offset);
    void WriteRegisterByte(uint32_t offset, uint8_t value);

    // Blocks until (register & mask) == wanted or the deadline passes,
    // applying changes as they fall due; true when the bits came.
    bool WaitRegister(uint32_t offset, uint32_t mask, uint32_t wanted, Clock::time_point deadline);

    // The host addresses of the SRAM (resource item 4) and of the memory
    // window (item 5, kWindowSpan bytes); null without a card.
    uint8_t* Sram() const { return sram_; }
    uint8_t* Window() const { return HasCard() ? window_ : nullptr; }

    // Every register access from now on is appended to trace (null: none);
    // each look of a wait counts as a read.
    struct Access {
        bool write;
        uint32_t offset;
        uint32_t value;  // written, or read
        bool operator==(const Access&) const = default;
    };
    void SetTrace(std::vector<Access>* trace) { trace_ = trace; }

private:
    uint32_t& Word(uint32_t offset) { return registers_[offset / 4]; }
    uint32_t State() const { return registers_[pci::kFirmwareState / 4]; }
    uint32_t Read(uint32_t offset);
    void Command(uint32_t command);
    void Memory(uint32_t code, uint32_t size, uint32_t flags);
    void WriteBlock(uint32_t count);
    void Done();
    void MailboxEvent(uint32_t offset, uint32_t value);
    void FirmwareEvent(EventKind kind, std::vector<uint32_t> words);
    void ApplyDue(Clock::time_point now);
    void Apply(const Change& change);
    void Remap();
    void MapWindowRun(uint32_t offset, uint8_t* bytes, uint32_t length);

    // Card memory by card address.
    uint8_t* CardBytes(uint32_t address, uint32_t length) const;
    uint32_t ReadCard(uint32_t address, uint32_t size) const;
    void WriteCard(uint32_t address, uint32_t size, uint32_t value);

    DriverClient* client_;
    uint32_t handle_;
    std::shared_ptr<CardMemory> memory_;
    uint32_t* registers_ = nullptr;  // the register block, kRegisterBlockBytes
    uint8_t* sram_ = nullptr;
    uint8_t* window_ = nullptr;      // reserved for the model's life
    FirmwareSchedule schedule_;
    std::vector<Access>* trace_ = nullptr;
};

}  // namespace driver
