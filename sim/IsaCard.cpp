#include "gensim/IsaCard.h"

#include "gensim/CardOutput.h"
#include "gensim/DciCallTable.h"
#include "gensim/FirmwareImage.h"
#include "gensim/Generator.h"
#include "gensim/MemoryImage.h"
#include "gensim/Numbers.h"
#include "gensim/SerialLine.h"

#include "IsaHostModel.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace gensim {

namespace {

constexpr uint32_t kBases[IsaCard::kSlots] = {0x300, 0x308, 0x310, 0x318, 0x250, 0x258, 0x260, 0x268};

// The memory file: RAM, the I/O words, video memory, the staging heap, the
// flash ROM, the identity words, then the host-interface registers the host
// keeps there with the flash parts' settings after them.
constexpr uint32_t kRamOffset = 0;
constexpr uint32_t kRamBytes = IsaCard::kRamWords * 2;
constexpr uint32_t kIoOffset = kRamOffset + kRamBytes;
constexpr uint32_t kIoBytes = IsaCard::kIoWords * 2;
constexpr uint32_t kVideoOffset = kIoOffset + kIoBytes;
constexpr uint32_t kHeapOffset = kVideoOffset + IsaCard::kVideoBytes;
constexpr uint32_t kFlashOffset = kHeapOffset + IsaCard::kHeapBytes;
constexpr uint32_t kFlashBytes = driver::IsaHostModel::kFlashRomBytes;
constexpr uint32_t kIdentityOffset = kFlashOffset + kFlashBytes;
constexpr uint32_t kIdentityBytes = isa::kIdentity.words * 2;
constexpr uint32_t kRegisterOffset = kIdentityOffset + kIdentityBytes;
constexpr uint32_t kRegisterBytes = driver::IsaHostModel::kRegisterBlockWithFlashBytes;
constexpr uint32_t kFlashSettingsOffset = kRegisterOffset + driver::IsaHostModel::kFlashSettingsAt;
static_assert(isa::kFlashRom.first == driver::IsaFlashParts::kReadWindow
              && isa::kFlashRom.words == driver::IsaFlashParts::kWords);
static_assert(isa::kFlashWrite.first == driver::IsaFlashParts::kWriteWindow);
constexpr uint32_t kFileSize = (kRegisterOffset + kRegisterBytes + 4095) / 4096 * 4096;

// Host-interface control bits the firmware acts on.
constexpr uint32_t kControlRegister = 6;
constexpr uint16_t kNmi = 0x0100;
constexpr uint16_t kIntIn = 0x0008;
constexpr uint16_t kMessage = 0x0007;
constexpr uint16_t kIncrementRead = 0x1000;
constexpr uint16_t kIncrementWrite = 0x0800;
constexpr uint32_t kAddressLowRegister = 0;
constexpr uint32_t kAddressHighRegister = 2;

// Host-interface messages of the direct calls.
constexpr uint16_t kStartCall = 2;
constexpr uint16_t kRunCall = 3;
constexpr uint16_t kQuery = 7;

// Where the firmware takes a call's arguments and leaves its answers.
constexpr uint32_t kArgumentBuffer = isa::kCallArguments.first;
constexpr uint32_t kResultBuffer = isa::kCallResult.first;
constexpr uint32_t kQueryBuffer = isa::kQueryAnswer.first;

} // namespace

uint32_t IsaCard::baseOf(int slot)
{
    if (slot < 0 || slot >= kSlots)
        throw std::invalid_argument("ISA slot " + std::to_string(slot) + " is not one of 0-7");
    return kBases[slot];
}

IsaCard::IsaCard(int slot, Generator& generator)
    : m_slot((baseOf(slot), slot)),
      m_generator(generator),
      m_file("gensim-isa", kFileSize),
      m_memory(m_file.bytes()),
      m_serial(std::make_unique<SerialLine>(generator)),
      m_dci(std::make_unique<CardDci>(generator, "isa" + std::to_string(slot), m_memory + kVideoOffset, kVideoBytes,
                                      CardDci::Heap{kHeapFirst, kHeapBytes, 8, 2, m_memory + kHeapOffset}))
{
    double version = 0;
    parseNumber(generator.options().firmware, version);
    m_memoryFiles = std::make_unique<CardMemoryFiles>(*this, version);
    m_generator.setMemoryFileHost(m_memoryFiles.get());
    powerOn();
}

IsaCard::~IsaCard()
{
    m_generator.setMemoryFileHost(nullptr);
}

driver::RegisterAnswer IsaCard::registration(uint32_t handle) const
{
    driver::RegisterAnswer answer;
    answer.handle = handle;
    answer.hasMemory = true;
    answer.fileSize = kFileSize;
    answer.registerBlock = kRegisterOffset;
    answer.regions = {{kRamFirst, kRamBytes, kRamOffset},
                      {kIoFirst, kIoBytes, kIoOffset},
                      {0, kVideoBytes, kVideoOffset},
                      {kHeapFirst, kHeapBytes, kHeapOffset},
                      {isa::kFlashRom.first, kFlashBytes, kFlashOffset},
                      {isa::kIdentity.first, kIdentityBytes, kIdentityOffset}};
    return answer;
}

uint16_t* IsaCard::wordAt(uint32_t address) const
{
    auto* ram = reinterpret_cast<uint16_t*>(m_memory + kRamOffset);
    auto* io = reinterpret_cast<uint16_t*>(m_memory + kIoOffset);
    if (address >= kRamFirst && ((address - kRamFirst) >> 4) < kRamWords)
        return ram + ((address - kRamFirst) >> 4);
    if (address >= kIoFirst && ((address - kIoFirst) >> 4) < kIoWords)
        return io + ((address - kIoFirst) >> 4);
    if ((address >> 4) < kVideoBytes / 2)
        return reinterpret_cast<uint16_t*>(m_memory + kVideoOffset) + (address >> 4);
    if (address >= kHeapFirst && ((address - kHeapFirst) >> 4) < kHeapBytes / 2)
        return reinterpret_cast<uint16_t*>(m_memory + kHeapOffset) + ((address - kHeapFirst) >> 4);
    if (isa::kFlashRom.contains(address))
        return reinterpret_cast<uint16_t*>(m_memory + kFlashOffset) + ((address - isa::kFlashRom.first) >> 4);
    if (isa::kIdentity.contains(address))
        return reinterpret_cast<uint16_t*>(m_memory + kIdentityOffset) + ((address - isa::kIdentity.first) >> 4);
    return nullptr;
}

uint16_t IsaCard::word(uint32_t address) const
{
    const uint16_t* w = wordAt(address);
    return w ? *w : 0xFFFF;
}

void IsaCard::setWord(uint32_t address, uint16_t value)
{
    if (uint16_t* w = wordAt(address))
        *w = value;
}

// The processor's I/O registers hold their power-on values; the firmware
// writes its system record.
void IsaCard::powerOn()
{
    for (uint32_t i = 0; i < kIoWords; ++i)
        setWord(kIoFirst + 16 * i, static_cast<uint16_t>(0x0F00 | i));
    writeIdentity();
    writeFlashSettings();
    double version = 0;
    parseNumber(m_generator.options().firmware, version);
    const bool inImage = version >= 2.0 && version < 7.0;  // what the image's version field can name
    m_bootedFlash = firmware::makeIsaImage(inImage ? std::optional<double>(version) : std::nullopt,
                                           static_cast<unsigned>(m_slot + 1));
    for (uint32_t n = 0; n < isa::kFlashRom.words; ++n)
        setWord(isa::kFlashRom.first + 16 * n, uint16_t(m_bootedFlash[2 * n] | m_bootedFlash[2 * n + 1] << 8));
    writeSystemRecord();
    m_generator.packMemoryFiles();
}

void IsaCard::writeIdentity()
{
    const uint32_t id = m_generator.options().isaIdentity;
    for (uint32_t i = 0; i < isa::kIdentity.words; ++i)
        setWord(isa::kIdentity.first + 16 * i, 0);
    const uint32_t top = (id >> 20) & 0xF;
    if (top & 0x8) {
        // The first byte holds the top two digits, the top one low.
        setWord(isa::kIdentity.first, uint16_t(top | ((id >> 12) & 0xF0)));
        setWord(isa::kIdentity.first + 16, uint16_t((id >> 8) & 0xFF));
        setWord(isa::kIdentity.first + 32, uint16_t(id & 0xFF));
        return;
    }
    for (uint32_t i = 0; i < 6; ++i)
        setWord(isa::kIdentity.first + 128 * i, uint16_t((id >> (20 - 4 * i)) & 0xF));
}

// Called with the card's lock held, or before anyone else can see the card.
void IsaCard::writeFlashSettings()
{
    using Parts = driver::IsaFlashParts;
    auto* settings = reinterpret_cast<uint16_t*>(m_memory + kFlashSettingsOffset);
    const int type = m_generator.options().flashPart;
    Parts::Fit(settings, type < 0 ? Parts::kNoParts : static_cast<uint16_t>(type));
    const IsaFlashFaults& f = m_faults.flash;
    settings[Parts::kFaults] = static_cast<uint16_t>((f.endlessErase ? Parts::kEndlessErase : 0)
                                                     | (f.unknownId ? Parts::kUnknownId : 0));
    if (f.stuckWord) {
        settings[Parts::kStuckWordLow] = static_cast<uint16_t>(*f.stuckWord);
        settings[Parts::kStuckWordHigh] = static_cast<uint16_t>(*f.stuckWord >> 16);
        settings[Parts::kStuckMask] = f.stuckMask;
    }
    if (f.busySector >= 0)
        settings[Parts::kBusySector] = static_cast<uint16_t>(f.busySector);
}

std::vector<uint8_t> IsaCard::flashImage() const
{
    std::vector<uint8_t> image(firmware::kIsaImageBytes);
    for (uint32_t n = 0; n < isa::kFlashRom.words; ++n) {
        const uint16_t w = word(isa::kFlashRom.first + 16 * n);
        image[2 * n] = static_cast<uint8_t>(w);
        image[2 * n + 1] = static_cast<uint8_t>(w >> 8);
    }
    return image;
}

// A ROM the host changed since the last boot is a flash; the firmware runs
// what the generator took, or nothing.
void IsaCard::bootFromFlash()
{
    std::vector<uint8_t> image = flashImage();
    if (image == m_bootedFlash)
        return;
    m_bootedFlash = std::move(image);
    m_dead = !m_generator.flashFirmware(m_bootedFlash);
}

uint16_t IsaCard::flashWord(uint32_t n) const
{
    return word(isa::kFlashRom.first + 16 * n);
}

bool IsaCard::firmwareDead() const
{
    std::lock_guard lock(m_mutex);
    return m_dead;
}

// The record of system.sys: the firmware revision in the processor's
// double form, the rest zero.
void IsaCard::writeSystemRecord()
{
    double version = 0;
    parseNumber(m_generator.options().firmware, version);
    const std::string record = MemoryImage(version).systemFile();
    for (uint32_t i = 0; i < kSystemRecordWords; ++i)
        setWord(kSystemRecord + 16 * i, uint16_t(uint8_t(record[2 * i]) | uint8_t(record[2 * i + 1]) << 8));
}

bool IsaCard::systemRecordCleared() const
{
    for (uint32_t i = 0; i < kSystemRecordWords; ++i)
        if (word(kSystemRecord + 16 * i) != 0)
            return false;
    return true;
}

driver::FirmwareEventAnswer IsaCard::hostEvent(uint16_t control)
{
    std::lock_guard lock(m_mutex);
    ++m_events;
    driver::FirmwareEventAnswer answer;
    answer.accepted = true;
    if ((control & kNmi) && !m_faults.nmiNeverTaken) {
        restart(answer);
        return answer;
    }
    if (!(control & kIntIn) || m_faults.intInNeverTaken)
        return answer;
    // What boots instead of a refused image takes each interrupt and does
    // nothing with it: the host can still open the card to flash it again.
    if (m_dead) {
        answer.changes.push_back({0, driver::ChangeKind::ClearBits, kControlRegister, kIntIn});
        return answer;
    }
    switch (control & kMessage) {
    case kStartCall: startCall(answer); break;
    case kRunCall: runCall(answer); break;
    case kQuery: answerQuery(answer); break;
    default:
        answer.changes.push_back({0, driver::ChangeKind::ClearBits, kControlRegister, kIntIn});
        if ((control & kMessage) == 0)
            takeCharacter(answer);
        break;
    }
    return answer;
}

uint32_t IsaCard::hostAddress() const
{
    const auto* registers = reinterpret_cast<const uint16_t*>(m_memory + kRegisterOffset);
    return static_cast<uint32_t>(registers[1]) << 16 | registers[0];
}

namespace {

void pointAt(uint32_t address, uint32_t atMs, driver::FirmwareEventAnswer& answer)
{
    answer.changes.push_back({atMs, driver::ChangeKind::WriteRegister, kAddressLowRegister, address & 0xFFFF});
    answer.changes.push_back({atMs, driver::ChangeKind::WriteRegister, kAddressHighRegister, address >> 16});
}

} // namespace

// The host writes its arguments from the buffer on.
void IsaCard::startCall(driver::FirmwareEventAnswer& answer)
{
    if (m_dci->faults().messageNeverTaken)
        return;
    pointAt(kArgumentBuffer, 0, answer);
    answer.changes.push_back({0, driver::ChangeKind::SetBits, kControlRegister, kIncrementRead | kIncrementWrite});
    answer.changes.push_back({0, driver::ChangeKind::ClearBits, kControlRegister, kIntIn});
}

// The address stands after the call number; the arguments lie before its
// 0 word, the first parameter nearest.
void IsaCard::runCall(driver::FirmwareEventAnswer& answer)
{
    const DciFaults faults = m_dci->faults();
    if (faults.messageNeverTaken)
        return;
    const DecodedIsaCall call
        = decodeIsaCall([this](uint32_t address) { return word(address); }, kArgumentBuffer, hostAddress());
    uint32_t result = 0;
    CardDci::CallEnd end;
    if (call.problem.empty()) {
        result = m_dci->run(call.row->name, call.args);
        end = m_dci->lastEnd();
    } else {
        m_dci->logUnknown(call.problem);
    }
    setWord(kResultBuffer, static_cast<uint16_t>(result));
    setWord(kResultBuffer + 16, static_cast<uint16_t>(result >> 16));
    answer.changes.push_back({0, driver::ChangeKind::ClearBits, kControlRegister, kIntIn | kIncrementRead});
    if (faults.callNeverFinishes || end.never)
        return;
    const auto at = static_cast<uint32_t>(faults.finishMs + end.laterMs);
    pointAt(kResultBuffer, at, answer);
    answer.changes.push_back({at, driver::ChangeKind::SetBits, kControlRegister, kIncrementRead});
}

// The query number stands in the address low register.
void IsaCard::answerQuery(driver::FirmwareEventAnswer& answer)
{
    if (m_dci->faults().messageNeverTaken)
        return;
    const auto* registers = reinterpret_cast<const uint16_t*>(m_memory + kRegisterOffset);
    uint64_t value = 0;
    if (const DciVariable* variable = findVariableByQuery(registers[0])) {
        value = m_dci->bits(*variable);
        if (variable->kind == VariableKind::Double) {
            double real = 0;
            std::memcpy(&real, &value, sizeof real);
            value = processorDouble(real);
        }
    }
    for (uint32_t i = 0; i < 4; ++i)
        setWord(kQueryBuffer + 16 * i, static_cast<uint16_t>(value >> (16 * i)));
    pointAt(kQueryBuffer, 0, answer);
    answer.changes.push_back({0, driver::ChangeKind::SetBits, kControlRegister, kIncrementRead});
    answer.changes.push_back({0, driver::ChangeKind::ClearBits, kControlRegister, kIntIn});
}

void IsaCard::restart(driver::FirmwareEventAnswer& answer)
{
    bootFromFlash();
    if (systemRecordCleared()) {
        m_generator.restart();
        m_generator.packMemoryFiles();
    }
    writeSystemRecord();
    m_serial = std::make_unique<SerialLine>(m_generator);
    m_faults.intInNeverTaken = false;
    const auto at = static_cast<uint32_t>(m_faults.nmiDelayMs);
    answer.changes.push_back({0, driver::ChangeKind::DiscardOutput, 0, 0});
    answer.changes.push_back({at, driver::ChangeKind::ClearBits, kControlRegister, kNmi | kIntIn});
}

void IsaCard::takeCharacter(driver::FirmwareEventAnswer& answer)
{
    const char c = static_cast<char>(word(kInputWord) & 0xFF);
    addCardOutput(m_serial->receive(std::string_view(&c, 1), SerialLine::kAnySpeed), answer);
}

void IsaCard::setFaults(CardFaults faults)
{
    std::lock_guard lock(m_mutex);
    m_faults = faults;
    m_memoryFiles->setFaults(faults.memoryFiles);
    writeFlashSettings();
}

CardFaults IsaCard::faults() const
{
    std::lock_guard lock(m_mutex);
    return m_faults;
}

uint64_t IsaCard::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

} // namespace gensim
