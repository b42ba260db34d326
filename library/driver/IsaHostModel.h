// The host interface of an ISA card's graphics processor: four 16-bit
// registers (address low, address high, data, control) over the card's
// shared memory, modelled in the caller's process. Memory access costs no
// round trip; only firmware events go to the driver.
//
// - Memory: the regions the registration gave (processor RAM, the I/O
//   words); reads elsewhere give 0xFFFF, writes there are ignored.
// - The address moves on by 16 (one word) after a data read with bit 12
//   set or a data write with bit 11 set.
// - Control writes store the written bits except: INTOUT (bit 7) is only
//   cleared by writing 0; INTIN (bit 3) and NMI (bit 8) are only set by
//   writing 1 (the processor clears them).
// - A control write that raises INTIN or NMI while the processor runs, or
//   a run (bit 15 cleared) while one of them is set, is one firmware event.
//   Its answer's changes apply when due, at control reads and in waits
//   only, so a read-modify-write never has a change land between its two
//   halves. Output arrives in the word 0xFF1FB010, one character per
//   cleared INTOUT.
//
// The registers live in the card's register block, so a card keeps its
// state (a stuck INTIN, say) from one registration to the next. A
// registration without memory is an empty slot: every register reads
// 0xFFFF.
//
// A card whose memory holds the flash ROM (kFlashRomBytes at
// IsaFlashParts::kReadWindow) has flash parts: its register block goes on
// with their settings (IsaFlashParts::Setting) after the registers, and
// every access to the write or ROM window goes to the parts.
#pragma once

#include "CardMemory.h"
#include "FirmwareSchedule.h"
#include "IsaFlashParts.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace driver {

class DriverClient;

class IsaHostModel {
public:
    using Clock = FirmwareSchedule::Clock;

    enum Register : uint32_t { kAddressLow = 0, kAddressHigh = 2, kData = 4, kControl = 6 };
    static constexpr uint16_t kHalt = 0x8000;
    static constexpr uint16_t kCacheFlush = 0x4000;
    static constexpr uint16_t kLbl = 0x2000;
    static constexpr uint16_t kIncrementRead = 0x1000;
    static constexpr uint16_t kIncrementWrite = 0x0800;
    static constexpr uint16_t kNmi = 0x0100;
    static constexpr uint16_t kIntOut = 0x0080;
    static constexpr uint16_t kIntIn = 0x0008;
    static constexpr uint16_t kMessage = 0x0007;
    // The word the firmware puts each output character into.
    static constexpr uint32_t kOutputWord = 0xFF1FB010;
    // Bytes of the register block: address low, address high, control.
    static constexpr std::size_t kRegisterBlockBytes = 8;
    // The register block of a card with flash parts: their settings follow.
    static constexpr std::size_t kFlashSettingsAt = kRegisterBlockBytes;
    static constexpr std::size_t kRegisterBlockWithFlashBytes
        = kRegisterBlockBytes + IsaFlashParts::kSettingWords * 2;
    static constexpr std::size_t kFlashRomBytes = IsaFlashParts::kWords * 2;

    // client and handle carry the firmware events; memory null: an empty slot.
    IsaHostModel(DriverClient* client, uint32_t handle, std::shared_ptr<CardMemory> memory);

    // False when the memory came with a register block or regions the model
    // cannot use (then it behaves as an empty slot).
    bool HasCard() const { return registers_ != nullptr; }
    // The card's flash parts, null when it has none.
    IsaFlashParts* FlashParts() const { return flash_.get(); }

    uint16_t ReadRegister(uint32_t offset);
    void WriteRegister(uint32_t offset, uint16_t value);

    // Blocks until (control & mask) == wanted or the deadline passes, applying
    // changes as they fall due; true when the bits came.
    bool WaitControl(uint16_t mask, uint16_t wanted, Clock::time_point deadline);

    // Every register access from now on is appended to trace (null: none),
    // for diagnosing a host's sequence of accesses; each look of a wait at
    // the control register counts as a read.
    struct Access {
        bool write;
        uint32_t offset;
        uint16_t value;  // written, or read
        bool operator==(const Access&) const = default;
    };
    void SetTrace(std::vector<Access>* trace) { trace_ = trace; }

private:
    struct WordRegion {
        uint64_t first;  // bit address of its first word
        uint64_t words;
        uint16_t* memory;
    };
    uint16_t* WordAt(uint32_t address) const;
    uint32_t Address() const;
    void SetAddress(uint32_t address);
    uint16_t ReadData();
    void WriteData(uint16_t value);
    void WriteControl(uint16_t value);
    void FirmwareEvent();
    void ApplyDue(Clock::time_point now);
    void Apply(const Change& change);
    // When the next change can apply; max() when none can.
    Clock::time_point NextDue() const;

    DriverClient* client_;
    uint32_t handle_;
    std::shared_ptr<CardMemory> memory_;
    uint16_t* registers_ = nullptr;  // address low, address high, control
    std::vector<WordRegion> regions_;
    std::unique_ptr<IsaFlashParts> flash_;
    FirmwareSchedule schedule_;
    std::vector<Access>* trace_ = nullptr;
};

}  // namespace driver
