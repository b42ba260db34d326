#include "PciBridgeModel.h"

#include "DriverClient.h"
#include "WaitCancel.h"

#include <algorithm>
#include <sys/mman.h>

namespace driver {

namespace {

using namespace pci;

constexpr uint32_t kPage = 4096;

bool Aligned(const void* p)
{
    return reinterpret_cast<uintptr_t>(p) % alignof(uint32_t) == 0;
}

bool HostRegister(uint32_t offset)
{
    return offset % 4 == 0 && offset < kWindowBytes;
}

// Where the window shows the byte at `offset` of it: the base register's
// bits under the range mask, the offset's bits elsewhere.
uint32_t LocalAddress(uint32_t base, uint32_t range, uint32_t offset)
{
    return ((base & ~kWindowEnable) & range) | (offset & ~range);
}

}  // namespace

PciBridgeModel::PciBridgeModel(DriverClient* client, uint32_t handle, std::shared_ptr<CardMemory> memory)
    : client_(client), handle_(handle), memory_(std::move(memory))
{
    if (!memory_)
        return;
    uint8_t* block = memory_->RegisterBlock(kRegisterBlockBytes);
    if (block == nullptr || !Aligned(block))
        return;
    for (std::size_t i = 0; i < memory_->Regions().size(); ++i) {
        const MemoryRegion& region = memory_->Regions()[i];
        if (region.cardAddress == kSram.address && region.byteLength >= kSram.bytes)
            sram_ = memory_->RegionBytes(i);
    }
    void* window = mmap(nullptr, kWindowSpan, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (sram_ == nullptr || window == MAP_FAILED) {
        sram_ = nullptr;
        return;
    }
    window_ = static_cast<uint8_t*>(window);
    registers_ = reinterpret_cast<uint32_t*>(block);
    Remap();
}

PciBridgeModel::~PciBridgeModel()
{
    if (window_ != nullptr)
        munmap(window_, kWindowSpan);
}

// --- Registers -----------------------------------------------------------------------

// The clock is read only when the firmware has something queued: a stream
// of memory commands reads registers millions of times a second.
uint32_t PciBridgeModel::Read(uint32_t offset)
{
    bool charReady = false;
    if (!schedule_.Idle()) {
        const Clock::time_point now = Clock::now();
        ApplyDue(now);
        charReady = schedule_.OutputDue(now);
    }
    uint32_t value = Word(offset);
    if (offset == kStatus)
        value = (value & ~kCharReady) | (charReady ? kCharReady : 0);
    return value;
}

uint32_t PciBridgeModel::ReadRegister(uint32_t offset)
{
    const uint32_t value = HasCard() && HostRegister(offset) ? Read(offset) : 0;
    if (trace_ != nullptr)
        trace_->push_back({false, offset, value});
    return value;
}

void PciBridgeModel::WriteRegister(uint32_t offset, uint32_t value)
{
    if (trace_ != nullptr)
        trace_->push_back({true, offset, value});
    if (!HasCard() || !HostRegister(offset))
        return;
    const uint32_t old = Word(offset);
    Word(offset) = value;
    switch (offset) {
    case kCommand: Command(value); break;
    case kData:
        if (value == kWatchdogRelease && (State() & kInWatchdogLoop))
            MailboxEvent(offset, value);
        break;
    case kBridgeControl:
        if (value & ~old & kSoftwareReset) {
            // The firmware starts afresh: what it still had coming is gone.
            schedule_.DropChanges();
            FirmwareEvent(EventKind::Reset, {value});
        }
        break;
    case kWindowBase:
    case kWindowRange: Remap(); break;
    default: break;
    }
}

uint8_t PciBridgeModel::ReadRegisterByte(uint32_t offset)
{
    return static_cast<uint8_t>(ReadRegister(offset & ~3u) >> (8 * (offset & 3)));
}

void PciBridgeModel::WriteRegisterByte(uint32_t offset, uint8_t value)
{
    const uint32_t at = offset & ~3u;
    const uint32_t shift = 8 * (offset & 3);
    const uint32_t word = HasCard() && HostRegister(at) ? Word(at) : 0;
    WriteRegister(at, (word & ~(0xFFu << shift)) | uint32_t{value} << shift);
}

bool PciBridgeModel::WaitRegister(uint32_t offset, uint32_t mask, uint32_t wanted, Clock::time_point deadline)
{
    if (!HasCard() || !HostRegister(offset))
        return (0 & mask) == wanted;
    for (;;) {
        const uint32_t value = Read(offset);
        if (trace_ != nullptr)
            trace_->push_back({false, offset, value});
        if ((value & mask) == wanted)
            return true;
        if (Clock::now() >= deadline || WaitsCancelled())
            return false;
        FirmwareSchedule::SleepUntil(std::min(schedule_.NextDue(true), deadline));
    }
}

// --- Mailbox commands ----------------------------------------------------------------

void PciBridgeModel::Command(uint32_t command)
{
    // Written over the last command: its later changes will not come.
    schedule_.DropChanges();
    const uint32_t code = CodeOf(command);
    switch (code) {
    case kGetChar:
        Word(kData) = schedule_.TakeOutput(Clock::now()).value_or(0);
        Done();
        break;
    case kWrite:
    case kRead: Memory(code, SizeOf(command), FlagsOf(command)); break;
    case kWriteBlock: WriteBlock(SizeOf(command)); break;
    case kPutChar:
    case kCall:
    case kItemAddress:
    case kWatchdog: MailboxEvent(kCommand, command); break;
    default: break;  // the firmware knows no other command
    }
}

void PciBridgeModel::Memory(uint32_t code, uint32_t size, uint32_t flags)
{
    if (size == 1 || size == 2 || size == 4) {
        const uint32_t address = Word(kAddress);
        if (code == kWrite)
            WriteCard(address, size, Word(kData));
        else
            Word(kData) = ReadCard(address, size);
        if (flags & kNextAddress)
            Word(kAddress) = address + size;
    }
    Done();
}

void PciBridgeModel::WriteBlock(uint32_t count)
{
    const uint32_t target = Word(kStatus);
    if (count >= 1 && count <= kBlockValues)
        for (uint32_t i = 0; i < count; ++i)
            WriteCard(target + 4 * i, 4, Word(kData + 4 * i));
    Done();
}

void PciBridgeModel::Done()
{
    if (!(State() & kMailboxSilent))
        Word(kStatus) |= kDone;
}

void PciBridgeModel::MailboxEvent(uint32_t offset, uint32_t value)
{
    pci::MailboxEvent event;
    event.offset = offset;
    event.value = value;
    for (std::size_t i = 0; i < pci::MailboxEvent::kRegisters; ++i)
        event.registers[i] = Word(kData + 4 * static_cast<uint32_t>(i));
    FirmwareEvent(EventKind::Mailbox, event.Words());
}

void PciBridgeModel::FirmwareEvent(EventKind kind, std::vector<uint32_t> words)
{
    if (client_ == nullptr)
        return;
    std::optional<FirmwareEventAnswer> answer = client_->FirmwareEvent(handle_, kind, std::move(words));
    // No answer: the firmware did nothing, as a dead card would.
    if (!answer)
        return;
    const Clock::time_point now = Clock::now();
    schedule_.Add(*answer, now);
    // What the firmware did at once is done when the write returns.
    ApplyDue(now);
}

void PciBridgeModel::ApplyDue(Clock::time_point now)
{
    while (std::optional<Change> change = schedule_.TakeDueChange(now))
        Apply(*change);
}

void PciBridgeModel::Apply(const Change& change)
{
    if (change.kind == ChangeKind::DiscardOutput) {
        schedule_.DropOutput();
        return;
    }
    if (!HostRegister(change.target) && change.target != kFirmwareState)
        return;
    uint32_t& target = Word(change.target);
    switch (change.kind) {
    case ChangeKind::ClearBits: target &= ~change.value; break;
    case ChangeKind::SetBits: target |= change.value; break;
    case ChangeKind::WriteRegister: target = change.value; break;
    case ChangeKind::DiscardOutput: break;
    }
    if (change.target == kWindowBase || change.target == kWindowRange)
        Remap();
}

// --- The memory window ---------------------------------------------------------------

// Maps every page of the window onto the local address it shows; pages that
// follow each other in one region take one mapping, and so do pages with no
// memory behind them.
void PciBridgeModel::Remap()
{
    const uint32_t base = Word(kWindowBase);
    const uint32_t range = Word(kWindowRange);
    const bool enabled = (base & kWindowEnable) != 0;
    uint32_t runStart = 0;
    uint32_t runLocal = 0;
    uint8_t* runBytes = nullptr;
    for (uint32_t offset = 0; offset < kWindowSpan; offset += kPage) {
        const uint32_t local = LocalAddress(base, range, offset) & ~(kPage - 1);
        uint8_t* bytes = enabled ? CardBytes(local, kPage) : nullptr;
        const uint32_t length = offset - runStart;
        const bool follows = runBytes != nullptr ? bytes != nullptr && local == runLocal + length
                                                       && CardBytes(runLocal, length + kPage) == runBytes
                                                 : bytes == nullptr;
        if (offset > 0 && follows)
            continue;
        if (offset > 0)
            MapWindowRun(runStart, runBytes, length);
        runStart = offset;
        runLocal = local;
        runBytes = bytes;
    }
    MapWindowRun(runStart, runBytes, kWindowSpan - runStart);
}

void PciBridgeModel::MapWindowRun(uint32_t offset, uint8_t* bytes, uint32_t length)
{
    uint8_t* at = window_ + offset;
    if (bytes != nullptr) {
        const std::size_t fileOffset = memory_->OffsetOf(bytes);
        if (fileOffset % kPage == 0
            && mmap(at, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, memory_->File(),
                    static_cast<off_t>(fileOffset))
                   != MAP_FAILED)
            return;
    }
    // No memory there: reads give 0, and what is written reaches no card.
    mmap(at, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE, -1, 0);
}

// --- Card memory ---------------------------------------------------------------------

uint8_t* PciBridgeModel::CardBytes(uint32_t address, uint32_t length) const
{
    const std::vector<MemoryRegion>& regions = memory_->Regions();
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const MemoryRegion& region = regions[i];
        if (address >= region.cardAddress && length <= region.byteLength
            && address - region.cardAddress <= region.byteLength - length)
            return memory_->RegionBytes(i) + (address - region.cardAddress);
    }
    return nullptr;
}

// Little-endian words; a byte outside the card's memories reads 0.
uint32_t PciBridgeModel::ReadCard(uint32_t address, uint32_t size) const
{
    uint32_t value = 0;
    const uint8_t* whole = CardBytes(address, size);
    for (uint32_t i = 0; i < size; ++i) {
        const uint8_t* byte = whole != nullptr ? whole + i : CardBytes(address + i, 1);
        if (byte != nullptr)
            value |= uint32_t{*byte} << (8 * i);
    }
    return value;
}

void PciBridgeModel::WriteCard(uint32_t address, uint32_t size, uint32_t value)
{
    uint8_t* whole = CardBytes(address, size);
    for (uint32_t i = 0; i < size; ++i) {
        uint8_t* byte = whole != nullptr ? whole + i : CardBytes(address + i, 1);
        if (byte != nullptr)
            *byte = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace driver
