#include "IsaHostModel.h"

#include "DriverClient.h"
#include "WaitCancel.h"

#include <algorithm>

namespace driver {

namespace {

constexpr uint16_t kProcessorClears = IsaHostModel::kIntIn | IsaHostModel::kNmi;
// Register block words.
constexpr std::size_t kLowWord = 0;
constexpr std::size_t kHighWord = 1;
constexpr std::size_t kControlWord = 2;

bool Aligned(const void* p)
{
    return reinterpret_cast<uintptr_t>(p) % alignof(uint16_t) == 0;
}

}  // namespace

IsaHostModel::IsaHostModel(DriverClient* client, uint32_t handle, std::shared_ptr<CardMemory> memory)
    : client_(client), handle_(handle), memory_(std::move(memory))
{
    if (!memory_)
        return;
    uint8_t* block = memory_->RegisterBlock(kRegisterBlockBytes);
    if (block == nullptr || !Aligned(block))
        return;
    for (std::size_t i = 0; i < memory_->Regions().size(); ++i) {
        const MemoryRegion& region = memory_->Regions()[i];
        uint8_t* bytes = memory_->RegionBytes(i);
        if (region.byteLength % 2 != 0 || region.cardAddress % 16 != 0 || !Aligned(bytes))
            return;
        regions_.push_back({region.cardAddress, region.byteLength / 2u, reinterpret_cast<uint16_t*>(bytes)});
    }
    registers_ = reinterpret_cast<uint16_t*>(block);
    for (const WordRegion& region : regions_) {
        uint8_t* withSettings = memory_->RegisterBlock(kRegisterBlockWithFlashBytes);
        if (region.first == IsaFlashParts::kReadWindow && region.words == IsaFlashParts::kWords && withSettings)
            flash_ = std::make_unique<IsaFlashParts>(
                region.memory, reinterpret_cast<const uint16_t*>(withSettings + kFlashSettingsAt));
    }
}

uint16_t* IsaHostModel::WordAt(uint32_t address) const
{
    for (const WordRegion& region : regions_) {
        if (address < region.first)
            continue;
        uint64_t index = (address - region.first) >> 4;
        if (index < region.words)
            return region.memory + index;
    }
    return nullptr;
}

uint32_t IsaHostModel::Address() const
{
    return static_cast<uint32_t>(registers_[kHighWord]) << 16 | registers_[kLowWord];
}

void IsaHostModel::SetAddress(uint32_t address)
{
    registers_[kLowWord] = static_cast<uint16_t>(address);
    registers_[kHighWord] = static_cast<uint16_t>(address >> 16);
}

uint16_t IsaHostModel::ReadRegister(uint32_t offset)
{
    uint16_t value = 0xFFFF;
    if (HasCard()) {
        switch (offset) {
        case kAddressLow: value = registers_[kLowWord]; break;
        case kAddressHigh: value = registers_[kHighWord]; break;
        case kData: value = ReadData(); break;
        case kControl:
            ApplyDue(Clock::now());
            value = registers_[kControlWord];
            break;
        default: break;
        }
    }
    if (trace_ != nullptr)
        trace_->push_back({false, offset, value});
    return value;
}

void IsaHostModel::WriteRegister(uint32_t offset, uint16_t value)
{
    if (trace_ != nullptr)
        trace_->push_back({true, offset, value});
    if (!HasCard())
        return;
    switch (offset) {
    case kAddressLow: registers_[kLowWord] = value; break;
    case kAddressHigh: registers_[kHighWord] = value; break;
    case kData: WriteData(value); break;
    case kControl: WriteControl(value); break;
    default: break;
    }
}

uint16_t IsaHostModel::ReadData()
{
    const uint32_t address = Address();
    uint16_t value = 0xFFFF;
    if (!flash_ || !flash_->Read(address, value)) {
        const uint16_t* word = WordAt(address);
        value = word != nullptr ? *word : 0xFFFF;
    }
    if (registers_[kControlWord] & kIncrementRead)
        SetAddress(address + 16);
    return value;
}

void IsaHostModel::WriteData(uint16_t value)
{
    const uint32_t address = Address();
    if (!flash_ || !flash_->Write(address, value)) {
        if (uint16_t* word = WordAt(address))
            *word = value;
    }
    if (registers_[kControlWord] & kIncrementWrite)
        SetAddress(address + 16);
}

void IsaHostModel::WriteControl(uint16_t value)
{
    const uint16_t old = registers_[kControlWord];
    const uint16_t next = static_cast<uint16_t>((value & ~(kIntOut | kProcessorClears)) | (old & value & kIntOut)
                                                | ((old | value) & kProcessorClears));
    registers_[kControlWord] = next;
    const bool running = !(next & kHalt);
    const bool raised = (next & ~old & kProcessorClears) != 0;
    const bool resumed = (old & kHalt) && running && (next & kProcessorClears);
    if (running && (raised || resumed))
        FirmwareEvent();
}

void IsaHostModel::FirmwareEvent()
{
    if (client_ == nullptr)
        return;
    std::optional<FirmwareEventAnswer> answer
        = client_->FirmwareEvent(handle_, EventKind::HostInterrupt, {registers_[kControlWord]});
    // No answer: the processor took nothing, as a dead card would.
    if (!answer)
        return;
    const Clock::time_point now = Clock::now();
    schedule_.Add(*answer, now);
    // What the firmware did at once is done when the write returns.
    ApplyDue(now);
}

void IsaHostModel::Apply(const Change& change)
{
    uint16_t* target = nullptr;
    switch (change.target) {
    case kAddressLow: target = &registers_[kLowWord]; break;
    case kAddressHigh: target = &registers_[kHighWord]; break;
    case kControl: target = &registers_[kControlWord]; break;
    default: break;
    }
    switch (change.kind) {
    case ChangeKind::ClearBits:
        if (target)
            *target = static_cast<uint16_t>(*target & ~change.value);
        break;
    case ChangeKind::SetBits:
        if (target)
            *target = static_cast<uint16_t>(*target | change.value);
        break;
    case ChangeKind::WriteRegister:
        if (target)
            *target = static_cast<uint16_t>(change.value);
        break;
    case ChangeKind::DiscardOutput: schedule_.DropOutput(); break;
    }
}

void IsaHostModel::ApplyDue(Clock::time_point now)
{
    while (std::optional<Change> change = schedule_.TakeDueChange(now))
        Apply(*change);
    if (!(registers_[kControlWord] & kIntOut)) {
        if (std::optional<uint8_t> character = schedule_.TakeOutput(now)) {
            if (uint16_t* word = WordAt(kOutputWord))
                *word = *character;
            registers_[kControlWord] |= kIntOut;
        }
    }
}

IsaHostModel::Clock::time_point IsaHostModel::NextDue() const
{
    // Output waits for the host to clear INTOUT, which no wait does.
    return schedule_.NextDue(!(registers_[kControlWord] & kIntOut));
}

bool IsaHostModel::WaitControl(uint16_t mask, uint16_t wanted, Clock::time_point deadline)
{
    if (!HasCard())
        return (0xFFFF & mask) == wanted;
    for (;;) {
        const Clock::time_point now = Clock::now();
        ApplyDue(now);
        if (trace_ != nullptr)
            trace_->push_back({false, kControl, registers_[kControlWord]});
        if ((registers_[kControlWord] & mask) == wanted)
            return true;
        if (now >= deadline || WaitsCancelled())
            return false;
        FirmwareSchedule::SleepUntil(std::min(NextDue(), deadline));
    }
}

}  // namespace driver
