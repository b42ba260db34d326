#include "gensim/PciCard.h"

#include "gensim/CardOutput.h"
#include "gensim/DciCallTable.h"
#include "gensim/Generator.h"
#include "gensim/Numbers.h"
#include "gensim/SerialLine.h"

#include "PciCardLayout.h"

#include <cstring>

namespace gensim {

namespace {

namespace pci = driver::pci;

// The memory file: each of the card's memories, then the bridge registers.
struct Placed {
    pci::CardRegion region;
    uint32_t fileOffset;
};
constexpr Placed kPlaced[] = {
    {pci::kVideo, 0},
    {pci::kRom, pci::kVideo.bytes},
    {pci::kSram, pci::kVideo.bytes + pci::kRom.bytes},
    {pci::kLocalA, pci::kVideo.bytes + pci::kRom.bytes + pci::kSram.bytes},
    {pci::kLocalB, pci::kVideo.bytes + pci::kRom.bytes + pci::kSram.bytes + pci::kLocalA.bytes},
};
constexpr uint32_t kRegisterOffset
    = pci::kVideo.bytes + pci::kRom.bytes + pci::kSram.bytes + pci::kLocalA.bytes + pci::kLocalB.bytes;
constexpr uint32_t kFileSize = kRegisterOffset + 4096;
static_assert(pci::kRegisterBlockBytes <= 4096);

// Where the bus puts card k's ranges, and which configuration register shows
// each memory and I/O item (the window's marked prefetchable).
constexpr uint32_t kBus = 2;
constexpr uint32_t kFirstSlot = 4;
constexpr uint32_t kInterrupt = 10;
struct Bar {
    uint32_t configOffset;
    std::size_t item;
    uint32_t flags;
};
constexpr Bar kBars[] = {{0x10, 0, 0x0}, {0x14, 1, 0x1}, {0x18, 2, 0x0}, {0x1C, 4, 0x0}, {0x20, 5, 0x8}};
// A mismatched card's registers lie this far off its ranges.
constexpr uint32_t kMismatch = 0x00100000;

// Items: card addresses of the firmware's variables, its context and its call block.
struct ItemRow {
    uint32_t item;
    uint32_t address;
};
constexpr ItemRow kItems[] = {{2, PciCard::kVariables}, {3, 0x00000100}, {5, 0x00000400}};

// Where the drawing variables' values are put for the host to read.
constexpr uint32_t kVariableSlots = 0x1000;
constexpr uint32_t kFirstVariableItem = 8;
constexpr uint32_t kLastVariableItem = 120;

// A call to an unknown function fails at its acknowledge with this code.
constexpr uint32_t kUnknownFunction = 0x01;

// The start words the firmware writes: a mark and its version.
constexpr uint32_t kStartMark = 0x5A5A0001;

} // namespace

PciCard::PciCard(int index, Generator& generator)
    : m_index(index), m_generator(generator), m_file("gensim-pci", kFileSize),
      m_serial(std::make_unique<SerialLine>(generator)),
      m_dci(std::make_unique<CardDci>(generator, "pci" + std::to_string(index + 1), m_file.bytes(), pci::kVideo.bytes,
                                      CardDci::Heap{kHeapFirst, kHeapBytes, 1, 4,
                                                    m_file.bytes() + kPlaced[2].fileOffset
                                                        + (kHeapFirst - pci::kSram.address)}))
{
    powerOn();
}

PciCard::~PciCard() = default;

// --- The bus -------------------------------------------------------------------------

driver::PciCardEntry PciCard::scanEntry() const
{
    return {kVendor, kDevice, {kBus, kFirstSlot + static_cast<uint32_t>(m_index), 0}};
}

std::vector<driver::Resource> PciCard::resources() const
{
    using driver::ResourceKind;
    const auto k = static_cast<uint32_t>(m_index);
    return {
        {ResourceKind::Memory, 1, 0xFE000000 + k * 0x10000, 0x80},           // local configuration
        {ResourceKind::Io, 1, 0xD000 + k * 0x100, 0x80},
        {ResourceKind::Memory, 1, 0xFE000000 + k * 0x10000 + 0x1000, pci::kWindowBytes},  // bridge registers
        {ResourceKind::Interrupt, 0, kInterrupt + k, 0},
        {ResourceKind::Memory, 1, 0xF8000000 + k * 0x100000, pci::kSram.bytes},
        {ResourceKind::Memory, 1, 0xD0000000 + k * 0x1000000, pci::kWindowSpan},
    };
}

uint32_t PciCard::configRead(uint32_t offset) const
{
    if (offset == 0)
        return kVendor | kDevice << 16;
    const std::vector<driver::Resource> items = resources();
    const bool mismatch = faults().barMismatch;
    for (const Bar& bar : kBars)
        if (bar.configOffset == offset)
            return (items[bar.item].base + (mismatch ? kMismatch : 0)) | bar.flags;
    return offset < 0x40 ? 0 : 0xFFFFFFFF;
}

bool PciCard::isNamedBy(const std::vector<driver::Resource>& requested) const
{
    const driver::Resource bridge = resources()[pci::kRegisterItem];
    for (const driver::Resource& item : requested)
        if (item.kind == driver::ResourceKind::Memory && item.base == bridge.base)
            return true;
    return false;
}

driver::RegisterAnswer PciCard::registration(uint32_t handle) const
{
    driver::RegisterAnswer answer;
    answer.handle = handle;
    answer.hasMemory = true;
    answer.fileSize = kFileSize;
    answer.registerBlock = kRegisterOffset;
    for (const Placed& placed : kPlaced)
        answer.regions.push_back({placed.region.address, placed.region.bytes, placed.fileOffset});
    return answer;
}

// --- Memory --------------------------------------------------------------------------

uint8_t* PciCard::bytesAt(uint32_t address, uint32_t length) const
{
    for (const Placed& placed : kPlaced)
        if (address >= placed.region.address && length <= placed.region.bytes
            && address - placed.region.address <= placed.region.bytes - length)
            return m_file.bytes() + placed.fileOffset + (address - placed.region.address);
    return nullptr;
}

uint32_t PciCard::word(uint32_t address) const
{
    uint32_t value = 0;
    if (const uint8_t* bytes = bytesAt(address, 4))
        std::memcpy(&value, bytes, sizeof value);
    return value;
}

void PciCard::setWord(uint32_t address, uint32_t value)
{
    if (uint8_t* bytes = bytesAt(address, 4))
        std::memcpy(bytes, &value, sizeof value);
}

uint32_t& PciCard::registerAt(uint32_t offset) const
{
    return reinterpret_cast<uint32_t*>(m_file.bytes() + kRegisterOffset)[offset / 4];
}

uint32_t PciCard::bridgeRegister(uint32_t offset) const
{
    return offset % 4 == 0 && offset < pci::kRegisterBlockBytes ? registerAt(offset) : 0;
}

// The bridge comes up with the window on video memory; the firmware writes
// its start words.
void PciCard::powerOn()
{
    registerAt(pci::kWindowBase) = pci::kVideo.address | pci::kWindowEnable;
    registerAt(pci::kWindowRange) = ~(pci::kVideo.bytes - 1);
    writeStartWords();
}

void PciCard::writeStartWords()
{
    double version = 0;
    parseNumber(m_generator.options().firmware, version);
    setWord(pci::kSram.address + kStartWords, kStartMark);
    setWord(pci::kSram.address + kStartWords + 4, static_cast<uint32_t>(version * 1000 + 0.5));
}

// --- Firmware ------------------------------------------------------------------------

uint32_t PciCard::state() const
{
    return (m_inWatchdogLoop ? pci::kInWatchdogLoop : 0) | (m_faults.doneNeverSet ? pci::kMailboxSilent : 0);
}

driver::FirmwareEventAnswer PciCard::event(driver::EventKind kind, const std::vector<uint32_t>& words)
{
    std::lock_guard lock(m_mutex);
    ++m_events;
    driver::FirmwareEventAnswer answer;
    answer.accepted = true;
    if (kind == driver::EventKind::Reset) {
        restart(answer);
    } else if (std::optional<pci::MailboxEvent> mailbox = pci::MailboxEvent::FromWords(words)) {
        if (mailbox->offset == pci::kCommand) {
            command(*mailbox, answer);
        } else if (mailbox->offset == pci::kData && mailbox->value == pci::kWatchdogRelease && m_inWatchdogLoop
                   && !m_faults.watchdogNeverReleased) {
            m_inWatchdogLoop = false;
            answer.changes.push_back({0, driver::ChangeKind::WriteRegister, pci::kData, 0});
        }
    }
    // The state as it is now goes first, so the host acts on it at once.
    answer.changes.insert(answer.changes.begin(), {0, driver::ChangeKind::WriteRegister, pci::kFirmwareState, state()});
    return answer;
}

void PciCard::command(const driver::pci::MailboxEvent& mailbox, driver::FirmwareEventAnswer& answer)
{
    const uint32_t data = mailbox.Register(pci::kData);
    switch (pci::CodeOf(mailbox.value)) {
    case pci::kPutChar: {
        const char c = static_cast<char>(data & 0xFF);
        addCardOutput(m_serial->receive(std::string_view(&c, 1), SerialLine::kAnySpeed), answer);
        done(answer);
        break;
    }
    case pci::kCall: call(answer, data); break;
    case pci::kItemAddress: {
        uint32_t address = 0;
        if (!itemAddress(data, address))
            break;
        answer.changes.push_back({static_cast<uint32_t>(m_faults.doneDelayMs), driver::ChangeKind::WriteRegister,
                                  pci::kAddress, address});
        done(answer);
        break;
    }
    case pci::kWatchdog:
        m_inWatchdogLoop = true;
        done(answer);
        break;
    default: break;
    }
}

// False: the lookup gets no answer (a test's fault).
bool PciCard::itemAddress(uint32_t item, uint32_t& address)
{
    if (m_dci->faults().failingItems.count(item) != 0)
        return false;
    for (const ItemRow& row : kItems)
        if (row.item == item)
            address = row.address;
    const DciVariable* variable = findVariableByItem(item);
    if (item < kFirstVariableItem || item > kLastVariableItem || variable == nullptr)
        return true;
    address = kVariableSlots + 8 * item;
    const uint64_t bits = m_dci->bits(*variable);
    if (variable->kind == VariableKind::Double) {
        setWord(kVariables + address, static_cast<uint32_t>(bits >> 32));
        setWord(kVariables + address + 4, static_cast<uint32_t>(bits));
    } else {
        setWord(kVariables + address, static_cast<uint32_t>(bits));
    }
    return true;
}

namespace {

int32_t blockWord(const PciCard& card, uint32_t offset)
{
    return static_cast<int32_t>(card.word(PciCard::kCallBlock + offset));
}

} // namespace

// A function of the call table; false when it is none.
bool PciCard::directCall(driver::FirmwareEventAnswer& answer, uint32_t function)
{
    const std::vector<const PciCallRow*> rows = findPciCall(static_cast<uint16_t>(function));
    if (function > 0xFFFF || rows.empty())
        return false;
    const PciCallRow* row = rows.front();
    const uint32_t first = row->form == PciForm::Context || row->form == PciForm::Packed ? 16 : 12;
    if (row->variant >= 0) {
        const int32_t variant = blockWord(*this, first + 4 * static_cast<uint32_t>(row->words));
        row = nullptr;
        for (const PciCallRow* r : rows)
            if (r->variant == variant)
                row = r;
    }
    uint32_t result = 0;
    CardDci::CallEnd end;
    if (row == nullptr) {
        m_dci->logUnknown("unknown variant of " + std::to_string(function));
    } else {
        std::vector<double> args;
        if (row->form == PciForm::Round) {
            const uint64_t bits = uint64_t{word(kCallBlock + 12)} << 32 | word(kCallBlock + 16);
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            args.push_back(value);
        } else if (row->form == PciForm::Packed) {
            const int32_t packed = blockWord(*this, 16);
            args = {static_cast<double>(static_cast<int16_t>(packed >> 16)),
                    static_cast<double>(static_cast<int16_t>(packed & 0xFFFF))};
        } else {
            for (int i = 0; i < row->words; ++i)
                args.push_back(blockWord(*this, first + 4 * static_cast<uint32_t>(i)));
        }
        result = m_dci->run(row->name, args);
        end = m_dci->lastEnd();
    }
    setWord(kCallBlock + 12, result);
    const DciFaults faults = m_dci->faults();
    if (faults.noAcknowledge)
        return true;
    done(answer);
    if (m_faults.doneNeverSet || faults.callNeverFinishes || end.never)
        return true;
    uint32_t bits = pci::kCallFinished;
    // A test's code wins over the routine's own.
    const uint32_t code = faults.errorCode != 0 ? faults.errorCode : end.code;
    if (code != 0)
        bits |= pci::kCallError | (code & 0xFF) << pci::kResultShift;
    answer.changes.push_back({static_cast<uint32_t>(m_faults.doneDelayMs + faults.finishMs + end.laterMs),
                              driver::ChangeKind::SetBits, pci::kStatus, bits});
    return true;
}

void PciCard::call(driver::FirmwareEventAnswer& answer, uint32_t function)
{
    if (!m_faults.call && directCall(answer, function))
        return;
    if (!m_faults.call) {
        done(answer, pci::kCallError | kUnknownFunction << pci::kResultShift);
        return;
    }
    done(answer);
    if (m_faults.doneNeverSet)
        return;
    const PciCardFaults::ScriptedCall& script = *m_faults.call;
    uint32_t bits = pci::kCallFinished;
    if (script.resultCode != 0)
        bits |= pci::kCallError | (script.resultCode & 0xFF) << pci::kResultShift;
    answer.changes.push_back({static_cast<uint32_t>(m_faults.doneDelayMs + script.finishMs),
                              driver::ChangeKind::SetBits, pci::kStatus, bits});
}

void PciCard::done(driver::FirmwareEventAnswer& answer, uint32_t extraBits) const
{
    if (!m_faults.doneNeverSet)
        answer.changes.push_back({static_cast<uint32_t>(m_faults.doneDelayMs), driver::ChangeKind::SetBits,
                                  pci::kStatus, pci::kDone | extraBits});
}

// Output not yet taken is gone, the mailbox is clear and a hung firmware
// runs again.
void PciCard::restart(driver::FirmwareEventAnswer& answer)
{
    const uint32_t startWords = pci::kSram.address + kStartWords;
    // A flash since the last reset: the card restarts into the new image.
    if (const uint64_t flashes = m_dci->flashCount(); flashes != m_flashesBooted) {
        m_flashesBooted = flashes;
        m_generator.flashFirmware(m_dci->flashedImage());
    } else if (word(startWords) == 0 && word(startWords + 4) == 0) {
        m_generator.restart();
    }
    writeStartWords();
    m_serial = std::make_unique<SerialLine>(m_generator);
    m_inWatchdogLoop = false;
    m_faults.doneNeverSet = false;
    m_faults.watchdogNeverReleased = false;
    answer.changes.push_back({0, driver::ChangeKind::DiscardOutput, 0, 0});
    answer.changes.push_back({0, driver::ChangeKind::WriteRegister, pci::kStatus, 0});
}

void PciCard::setFaults(PciCardFaults faults)
{
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

PciCardFaults PciCard::faults() const
{
    std::lock_guard lock(m_mutex);
    return m_faults;
}

uint64_t PciCard::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

} // namespace gensim
