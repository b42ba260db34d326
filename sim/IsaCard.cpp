#include "gensim/IsaCard.h"

#include "gensim/CardOutput.h"
#include "gensim/Generator.h"
#include "gensim/Numbers.h"
#include "gensim/SerialLine.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace gensim {

namespace {

constexpr uint32_t kBases[IsaCard::kSlots] = {0x300, 0x308, 0x310, 0x318, 0x250, 0x258, 0x260, 0x268};

// The memory file: RAM, then the I/O words, then the host-interface
// registers the host keeps there.
constexpr uint32_t kRamOffset = 0;
constexpr uint32_t kRamBytes = IsaCard::kRamWords * 2;
constexpr uint32_t kIoOffset = kRamOffset + kRamBytes;
constexpr uint32_t kIoBytes = IsaCard::kIoWords * 2;
constexpr uint32_t kRegisterOffset = kIoOffset + kIoBytes;
constexpr uint32_t kRegisterBytes = 8;
constexpr uint32_t kFileSize = (kRegisterOffset + kRegisterBytes + 4095) / 4096 * 4096;

// Host-interface control bits the firmware acts on.
constexpr uint32_t kControlRegister = 6;
constexpr uint16_t kNmi = 0x0100;
constexpr uint16_t kIntIn = 0x0008;
constexpr uint16_t kMessage = 0x0007;

// The processor's 8-byte double: the IEEE layout with the leading one of
// the mantissa kept at bit 51 and the exponent one higher.
uint64_t ProcessorDouble(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const uint64_t sign = bits >> 63;
    const uint64_t exponent = ((bits >> 52) + 1) & 0x7FF;
    const uint64_t mantissa = (uint64_t{1} << 51) | ((bits & ((uint64_t{1} << 52) - 1)) >> 1);
    return sign << 63 | exponent << 52 | mantissa;
}

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
      m_serial(std::make_unique<SerialLine>(generator))
{
    powerOn();
}

IsaCard::~IsaCard() = default;

driver::RegisterAnswer IsaCard::registration(uint32_t handle) const
{
    driver::RegisterAnswer answer;
    answer.handle = handle;
    answer.hasMemory = true;
    answer.fileSize = kFileSize;
    answer.registerBlock = kRegisterOffset;
    answer.regions = {{kRamFirst, kRamBytes, kRamOffset}, {kIoFirst, kIoBytes, kIoOffset}};
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
    writeSystemRecord();
}

// Bytes 0-7: the firmware revision in the processor's double form.
void IsaCard::writeSystemRecord()
{
    double version = 0;
    parseNumber(m_generator.options().firmware, version);
    const uint64_t revision = ProcessorDouble(version);
    for (uint32_t i = 0; i < kSystemRecordWords; ++i)
        setWord(kSystemRecord + 16 * i, i < 4 ? static_cast<uint16_t>(revision >> (16 * i)) : 0);
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
    if ((control & kIntIn) && !m_faults.intInNeverTaken) {
        answer.changes.push_back({0, driver::ChangeKind::ClearBits, kControlRegister, kIntIn});
        if ((control & kMessage) == 0)
            takeCharacter(answer);
    }
    return answer;
}

void IsaCard::restart(driver::FirmwareEventAnswer& answer)
{
    if (systemRecordCleared())
        m_generator.restart();
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
