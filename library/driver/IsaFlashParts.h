// The flash parts behind an ISA card's graphics processor, as the host's
// writes and reads through the host interface reach them: programmed
// through the write window (commands at its words 0x5555 and 0x2AAA), read
// back through the ROM window above it.
//
// - A command is three writes: 0xAA at word 0x5555, 0x55 at 0x2AAA, then
//   the command at 0x5555 (the low byte counts, so both parts' forms of a
//   pair, 0xAAAA or 0xAA, are the same command). 0x90 shows the part's ID at
//   ROM word 1 (0xDADA type 0, 0x22D6 type 1) until 0xF0 (or, type 1, a
//   write of 0xF0 to word 0).
// - Type 0 loads whole words once 0xA0 enabled writes; after each load the
//   next reads of the ROM show bits 0x8080 of the loaded word inverted, as
//   while the sector is programmed.
// - Type 1: 0x80 then 0x10 erases the whole chip (reads give 0 for a while,
//   then every bit set); 0xA0 arms one word program, which only clears bits,
//   and the next read shows bit 7 of the written word inverted.
//
// The part type and the faults are 16-bit words the card keeps in its
// shared memory (Setting), read at each access: what the card is fitted
// with, and what a test breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>

namespace driver {

class IsaFlashParts {
public:
    static constexpr uint32_t kWords = 0x40000;
    static constexpr uint32_t kWriteWindow = 0xFF800000;
    static constexpr uint32_t kReadWindow = 0xFFC00000;
    static constexpr uint32_t kUnlock1 = 0x5555;
    static constexpr uint32_t kUnlock2 = 0x2AAA;
    static constexpr uint16_t kType0Id = 0xDADA;
    static constexpr uint16_t kType1Id = 0x22D6;

    // The words of the card's settings, in this order.
    enum Setting : std::size_t {
        kPartType,       // 0 or 1; kNoParts: nothing answers
        kFaults,         // Fault bits
        kStuckWordLow,   // this word keeps kStuckMask's bits cleared
        kStuckWordHigh,  // (0xFFFF 0xFFFF: none)
        kStuckMask,
        kBusySector,     // type 0: this sector's status never settles (0xFFFF: none)
        kSettingWords
    };
    static constexpr uint16_t kNoParts = 0xFFFF;
    enum Fault : uint16_t {
        kEndlessErase = 1,  // a chip erase never ends
        kUnknownId = 2,     // the ID reads as no part the host knows
    };
    // How many reads a part stays busy after each step.
    static constexpr int kLoadBusyReads = 2;
    static constexpr int kEraseBusyReads = 8;
    static constexpr int kProgramBusyReads = 1;

    // Settings of a part of type `type` without faults.
    static void Fit(uint16_t* settings, uint16_t type);

    // flash: kWords words (the ROM); settings: kSettingWords words. Neither
    // is owned; both may be shared with another process.
    IsaFlashParts(uint16_t* flash, const uint16_t* settings) : flash_(flash), settings_(settings) {}

    // True when address lies in either window; value: what the parts give.
    bool Read(uint32_t address, uint16_t& value);
    // True when address lies in either window (the ROM window takes nothing).
    bool Write(uint32_t address, uint16_t value);

    // Chip erases begun so far.
    int Erases() const { return erases_; }

private:
    int Type() const;
    // The bits a word can hold: all but the stuck ones.
    uint16_t StuckMask(uint32_t word) const;
    void Command(uint16_t command);
    void Data(uint32_t word, uint16_t value);
    void Busy(int reads, uint16_t mask, uint16_t written);

    uint16_t* flash_;
    const uint16_t* settings_;
    std::deque<std::pair<uint32_t, uint16_t>> pending_;  // writes that may begin a command
    bool idMode_ = false;
    bool writesEnabled_ = false;  // type 0
    bool armed_ = false;          // type 1: the next data write programs
    bool eraseArmed_ = false;
    bool erasingForever_ = false;
    int busyReads_ = 0;
    uint16_t busyMask_ = 0;
    uint16_t busyStatus_ = 0;
    int erases_ = 0;
};

}  // namespace driver
