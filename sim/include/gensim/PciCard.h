// A generator's PCI card: what the bus shows of it (its scan entry, its six
// resource items and the base address registers that match them), the
// memories it shares with the host through a memory file (video memory,
// ROM, SRAM, two small local memories and the bridge registers), and its
// firmware's side of the mailbox.
//
// The host models the bridge itself and serves memory commands there; the
// firmware is asked only at its events and answers with the changes it
// makes, now and later:
// - command 1 takes the character into the generator's serial line, whose
//   echo, line feed, reply and prompt come back as output;
// - command 3 runs a firmware function: a direct call of the call table
//   reads its words from the call block (item 5), leaves its result at +12,
//   sets done and then finished; an unknown function fails at its
//   acknowledge with a result code other than 0x70; a test may script how
//   every call ends instead;
// - command 4 answers the address of items 2, 3 and 5, and of the drawing
//   variables (items 8-120), relative to item 2, whose value it writes
//   there first (a double's high word first); 0 for others;
// - command 8 enters the watchdog loop, which a data write of 0xF0F0F0F0
//   ends: the firmware writes 0 to the data register;
// - the software reset restarts the firmware. It writes non-zero words at
//   SRAM offsets 0x2000 and 0x2004 as it starts; when both were zeroed first,
//   the generator goes back to its state at start.
// Each answer also gives the firmware's state (its watchdog loop, a silent
// mailbox), which the host's model acts on from then on.
#pragma once

#include "gensim/CardDci.h"
#include "gensim/CardMemoryFile.h"

#include "DriverWire.h"
#include "PciCardLayout.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace gensim {

class Generator;
class SerialLine;

// What a test scripts into a PCI card's firmware and its place on the bus.
struct PciCardFaults {
    // How every firmware call ends: after its acknowledge, it finishes
    // finishMs later, well or (resultCode not 0) failing with that code.
    struct ScriptedCall {
        int finishMs = 0;
        uint32_t resultCode = 0;
    };
    bool doneNeverSet = false;        // a hung mailbox, until the firmware restarts
    int doneDelayMs = 0;              // each done bit comes this late
    std::optional<ScriptedCall> call{};
    bool watchdogNeverReleased = false;
    bool refuseRegistration = false;  // the driver refuses the card
    bool barMismatch = false;         // no base address register shows a range
};

class PciCard {
public:
    static constexpr uint32_t kVendor = 0x1F3A;
    // Not 0x5C21: that device id belongs to another kind of card.
    static constexpr uint32_t kDevice = 0x5C20;
    static constexpr uint32_t kStartWords = 0x2000;  // SRAM offset of the two start words
    static constexpr uint32_t kVariables = 0xFFF10000;  // item 2
    static constexpr uint32_t kCallBlock = kVariables + 0x400;  // item 5
    // The direct calls' staging heap, in SRAM clear of 0xFFF50000-0xFFF5FFFF.
    static constexpr uint32_t kHeapFirst = 0xFFF20000;
    static constexpr uint32_t kHeapBytes = 0x30000;

    // Card `index` (from 0) on the bus. Throws std::system_error when its
    // memory file cannot be made.
    PciCard(int index, Generator& generator);
    ~PciCard();
    PciCard(const PciCard&) = delete;
    PciCard& operator=(const PciCard&) = delete;

    int index() const { return m_index; }
    Generator& generator() const { return m_generator; }

    driver::PciCardEntry scanEntry() const;
    std::vector<driver::Resource> resources() const;
    // The 32-bit configuration register at offset (0xFFFFFFFF where none).
    uint32_t configRead(uint32_t offset) const;
    // Does a registration's resource list name this card (its bridge registers).
    bool isNamedBy(const std::vector<driver::Resource>& resources) const;

    driver::RegisterAnswer registration(uint32_t handle) const;
    int memoryFile() const { return m_file.fd(); }

    // The firmware's answer to a mailbox event or a reset.
    driver::FirmwareEventAnswer event(driver::EventKind kind, const std::vector<uint32_t>& words);

    void setFaults(PciCardFaults faults);
    PciCardFaults faults() const;

    // Card memory by byte address, as the host sees it (0 outside it).
    uint32_t word(uint32_t address) const;
    void setWord(uint32_t address, uint32_t value);
    // A bridge register as the card holds it.
    uint32_t bridgeRegister(uint32_t offset) const;
    uint64_t events() const;

    CardDci& dci() { return *m_dci; }

private:
    uint8_t* bytesAt(uint32_t address, uint32_t length) const;
    uint32_t& registerAt(uint32_t offset) const;
    uint32_t state() const;
    void powerOn();
    void writeStartWords();
    void restart(driver::FirmwareEventAnswer& answer);
    void command(const driver::pci::MailboxEvent& mailbox, driver::FirmwareEventAnswer& answer);
    void call(driver::FirmwareEventAnswer& answer, uint32_t function);
    bool directCall(driver::FirmwareEventAnswer& answer, uint32_t function);
    bool itemAddress(uint32_t item, uint32_t& address);
    void done(driver::FirmwareEventAnswer& answer, uint32_t extraBits = 0) const;

    const int m_index;
    Generator& m_generator;
    CardMemoryFile m_file;
    std::unique_ptr<SerialLine> m_serial;
    std::unique_ptr<CardDci> m_dci;
    uint64_t m_flashesBooted = 0; // of the card's good flashes, those it restarted into
    mutable std::mutex m_mutex;
    PciCardFaults m_faults;
    bool m_inWatchdogLoop = false;
    uint64_t m_events = 0;
};

} // namespace gensim
