// A generator's ISA card: the graphics processor's memory, which the card
// shares with the host through a memory file, and the firmware's side of
// the processor's host interface.
//
// The host models the four host-interface registers itself; the firmware is
// asked only at its events (a host interrupt, the non-maskable interrupt)
// and answers with the changes it makes, now and later:
// - a host interrupt with message 0 takes the character in the word
//   0xFF1FB000 into the generator's serial line, whose echo, line feed,
//   reply and prompt come back as output (faults of the line included);
//   message 2 starts a direct call (the argument buffer's address, with
//   increments on write and read), message 3 runs it (the arguments decoded
//   back from the call number, the result's two words from the address
//   once the read increment is set again), message 7 answers a variable by
//   its query number (from the address low register); other messages are
//   taken and ignored;
// - the non-maskable interrupt restarts the firmware: when the system
//   record at 0xFF000000 was cleared first, the generator goes back to its
//   state at start (custom items gone, settings reset); the record is then
//   written anew, and output not yet taken is dropped;
// - the generator's memory files lie in the memory (CardMemoryFiles.h);
// - the hardware identity's words lie at 0x6000000, in the short form when
//   the top digit has bit 3 set, else as six nibbles 128 bits apart;
// - the flash parts are played by the host's model of the card
//   (IsaFlashParts.h) over the flash ROM in the shared memory, with their
//   type and faults in the register block. The firmware boots from them at
//   the non-maskable interrupt: a ROM changed since the last boot is taken
//   as a flash (Generator::flashFirmware), and one the generator refuses
//   leaves the firmware dead: it takes each host interrupt and answers
//   nothing until a good image boots. At power-on the ROM holds the generator's own version.
#pragma once

#include "gensim/CardDci.h"
#include "gensim/CardMemoryFile.h"
#include "gensim/CardMemoryFiles.h"
#include "gensim/IsaCardMap.h"

#include "DriverWire.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace gensim {

class Generator;
class SerialLine;

// What a test scripts into a card's firmware and its registration.
// The flash parts' faults, kept in the shared memory where the host's model
// reads them.
struct IsaFlashFaults {
    bool endlessErase = false;
    bool unknownId = false;
    std::optional<uint32_t> stuckWord;  // reads with stuckMask's bits cleared
    uint16_t stuckMask = 0;
    int busySector = -1;  // type 0: its status never settles
};

struct CardFaults {
    bool intInNeverTaken = false;     // a hung firmware: takes no character until restarted
    bool nmiNeverTaken = false;       // the processor never restarts
    int nmiDelayMs = 0;               // a slow restart
    bool refuseRegistration = false;  // the driver refuses the card
    MemoryFileFaults memoryFiles{};   // the stores in the processor's memory
    IsaFlashFaults flash{};
};

class IsaCard {
public:
    static constexpr int kSlots = 8;
    // Processor bit addresses (one 16-bit word is 16 apart), as the card's
    // map has them (IsaCardMap.h).
    static constexpr uint32_t kRamFirst = isa::kRam.first;
    static constexpr uint32_t kRamWords = isa::kRam.words;
    static constexpr uint32_t kIoFirst = isa::kIoRegisters.first;
    static constexpr uint32_t kIoWords = isa::kIoRegisters.words;
    static constexpr uint32_t kInputWord = isa::kInputWord;
    static constexpr uint32_t kSystemRecord = isa::kSystemRecord.first;
    static constexpr uint32_t kSystemRecordWords = isa::kSystemRecord.words;
    // Video memory from processor address 0, a byte per pixel, and the
    // direct calls' staging heap.
    static constexpr uint32_t kVideoBytes = isa::kVideo.words * 2;
    static constexpr uint32_t kHeapFirst = isa::kStagingHeap.first;
    static constexpr uint32_t kHeapBytes = isa::kStagingHeap.words * 2;

    // The card's I/O base in a slot; throws std::invalid_argument outside 0-7.
    static uint32_t baseOf(int slot);

    // Creates the card's memory as at power-on. Throws std::system_error
    // when the memory file cannot be made.
    IsaCard(int slot, Generator& generator);
    ~IsaCard();
    IsaCard(const IsaCard&) = delete;
    IsaCard& operator=(const IsaCard&) = delete;

    int slot() const { return m_slot; }
    uint32_t base() const { return baseOf(m_slot); }
    Generator& generator() const { return m_generator; }

    // The registration's view of the memory; the file goes with it.
    driver::RegisterAnswer registration(uint32_t handle) const;
    int memoryFile() const { return m_file.fd(); }

    // The firmware's answer to an event; control is the host-interface
    // control register after the host's write.
    driver::FirmwareEventAnswer hostEvent(uint16_t control);

    void setFaults(CardFaults faults);
    CardFaults faults() const;

    // The processor's memory as the host sees it (0xFFFF outside it).
    uint16_t word(uint32_t address) const;
    void setWord(uint32_t address, uint16_t value);
    // Events the firmware answered so far.
    uint64_t events() const;
    // Word n of the flash ROM, as the parts hold it.
    uint16_t flashWord(uint32_t n) const;
    // The firmware boots nothing: a refused image is in the flash.
    bool firmwareDead() const;

    CardDci& dci() { return *m_dci; }
    // The generator's memory files as this card's memory holds them.
    CardMemoryFiles& memoryFiles() { return *m_memoryFiles; }

private:
    uint16_t* wordAt(uint32_t address) const;
    void powerOn();
    void writeSystemRecord();
    bool systemRecordCleared() const;
    void restart(driver::FirmwareEventAnswer& answer);
    void takeCharacter(driver::FirmwareEventAnswer& answer);
    void startCall(driver::FirmwareEventAnswer& answer);
    void runCall(driver::FirmwareEventAnswer& answer);
    void answerQuery(driver::FirmwareEventAnswer& answer);
    uint32_t hostAddress() const;
    void writeIdentity();
    void writeFlashSettings();
    std::vector<uint8_t> flashImage() const;
    void bootFromFlash();

    const int m_slot;
    Generator& m_generator;
    CardMemoryFile m_file;
    uint8_t* m_memory;
    std::unique_ptr<SerialLine> m_serial;
    std::unique_ptr<CardDci> m_dci;
    std::unique_ptr<CardMemoryFiles> m_memoryFiles;
    mutable std::mutex m_mutex;
    CardFaults m_faults;
    uint64_t m_events = 0;
    std::vector<uint8_t> m_bootedFlash;  // the ROM as the firmware last booted it
    bool m_dead = false;
};

} // namespace gensim
