// The mailbox on a PCI card's bridge: the host writes a value, an address
// and a command word, the firmware does the work and sets the done bit. On it
// rest the PCI port's character channel, single reads and writes of card
// memory, streams of card words, item addresses and firmware calls, the
// watchdog loop and the card's reset. Everything here works on the current
// PCI card; without one the exports answer 0 and touch nothing.
#include "internal.h"

#include "PciBridgeModel.h"

#include <chrono>

namespace morvane {

namespace {

namespace pci = driver::pci;
using driver::PciBridgeModel;

// A call's failure with this result code is reported as 0x7000.
constexpr uint32_t kReportedResult = 0x70;
constexpr int32_t kReportedFailure = 0x7000;

bool HasCard()
{
    return CurrentPciCard() != nullptr;
}

PciBridgeModel::Clock::time_point DeadlineIn(int64_t limitMs)
{
    return PciBridgeModel::Clock::now() + std::chrono::milliseconds(ScaledMs(limitMs));
}

uint32_t Status()
{
    return PciReadRegister(pci::kStatus);
}

// Waits until the status shows every one of bits; 10007 when they do not
// come within limitMs (scaled). The first look needs no deadline: commands
// the card serves itself are done at once, millions of times in a stream.
bool WaitForStatus(uint32_t bits, int64_t limitMs)
{
    PciBridgeModel* bridge = CurrentPciCard();
    if (bridge != nullptr
        && ((Status() & bits) == bits || bridge->WaitRegister(pci::kStatus, bits, bits, DeadlineIn(limitMs))))
        return true;
    SetPortError(MORVANE_E_TIMEOUT);
    return false;
}

void ClearDone()
{
    PciWriteRegister(pci::kStatus, Status() & ~pci::kDone);
}

void ClearStatus()
{
    PciWriteRegister(pci::kStatus, 0);
}

void Issue(uint32_t size, uint32_t code, uint32_t flags)
{
    PciWriteRegister(pci::kCommand, pci::CommandWord(size, code, flags));
}

// A single command whose registers are written: its done bit.
bool Single(uint32_t size, uint32_t code)
{
    Issue(size, code, pci::kSingle);
    return PciWaitDone();
}

// One element of a stream: a command and its done bit, with the limit of a
// single command so a dead card cannot hold the caller.
bool StreamElement(uint32_t size, uint32_t code)
{
    Issue(size, code, pci::kStreamElement);
    if (!WaitForStatus(pci::kDone, kMailboxLimitMs))
        return false;
    ClearDone();
    return true;
}

// The address once, then each element; stops at the first one the card does
// not take. Nothing without a card or with a negative count; a null source
// with elements to write does nothing either.
template <typename Element>
void WriteStream(const Element* values, uint32_t address, int32_t count, uint32_t size)
{
    if (!HasCard() || count < 0 || (values == nullptr && count > 0))
        return;
    PciWriteRegister(pci::kAddress, address);
    for (int32_t i = 0; i < count; ++i) {
        // Bytes go zero-extended, 16-bit values sign-extended.
        PciWriteRegister(pci::kData, static_cast<uint32_t>(values[i]));
        if (!StreamElement(size, pci::kWrite))
            return;
    }
}

// As WriteStream; returns the last data register read (0 when none was).
template <typename Element>
uint32_t ReadStream(uint32_t address, Element* values, int32_t count, uint32_t size)
{
    if (!HasCard() || count < 0 || (values == nullptr && count > 0))
        return 0;
    PciWriteRegister(pci::kAddress, address);
    uint32_t last = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!StreamElement(size, pci::kRead))
            break;
        last = PciReadRegister(pci::kData);
        values[i] = static_cast<Element>(last);
    }
    return last;
}

// Takes a character the card has ready; the card serves this command at
// once, so nothing is waited for.
bool TakeReadyCharacter()
{
    Issue(0, pci::kGetChar, pci::kSingle);
    if (!(Status() & pci::kDone))
        return false;
    ClearDone();
    return true;
}

bool SelectedCard(PortId id)
{
    SetPortError(MORVANE_OK);
    return PciPort().Select(id);
}

}  // namespace

bool PciWaitDone()
{
    if (!WaitForStatus(pci::kDone, kMailboxLimitMs))
        return false;
    ClearDone();
    return true;
}

bool PciPutChar(PortId id, uint8_t character)
{
    if (!SelectedCard(id))
        return false;
    PciWriteRegister(pci::kData, static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(character))));
    return Single(0, pci::kPutChar);
}

uint8_t PciGetChar(PortId id)
{
    if (!SelectedCard(id) || !Single(0, pci::kGetChar))
        return 0;
    return static_cast<uint8_t>(PciReadRegister(pci::kData) & 0xFF);
}

bool PciIsCharAvailable(PortId id)
{
    return SelectedCard(id) && (Status() & pci::kCharReady) != 0;
}

bool PciFlush(PortId id)
{
    if (!SelectedCard(id))
        return false;
    while ((Status() & pci::kCharReady) && TakeReadyCharacter()) {
    }
    return true;
}

bool PciWaitForInput(PortId id, int timeoutMs)
{
    if (!PciPort().Select(id))
        return false;
    auto deadline = PciBridgeModel::Clock::now() + std::chrono::milliseconds(timeoutMs);
    return CurrentPciCard()->WaitRegister(pci::kStatus, pci::kCharReady, pci::kCharReady, deadline);
}

uint32_t PciGetItemAddress(uint32_t item)
{
    if (!HasCard())
        return 0;
    PciWriteRegister(pci::kData, item);
    return Single(0, pci::kItemAddress) ? PciReadRegister(pci::kAddress) : 0;
}

// The status is cleared before the call (a block write's target or a done
// bit left over must not pass for this call's bits) and on every way out.
int32_t PciCallFunction(uint32_t function)
{
    if (!HasCard())
        return 0;
    ClearStatus();
    PciWriteRegister(pci::kData, function);
    Issue(0, pci::kCall, pci::kSingle);
    int32_t result = 0;
    // An error without the finished bit is a refusal at the acknowledge; a
    // call that ends at once may show its finish together with the done bit.
    if (WaitForStatus(pci::kDone, kMailboxLimitMs)
        && (Status() & (pci::kCallError | pci::kCallFinished)) != pci::kCallError
        && WaitForStatus(pci::kCallFinished, kFirmwareCallLimitMs)) {
        const uint32_t status = Status();
        if (!(status & pci::kCallError))
            result = 1;
        else if ((status & pci::kResultMask) >> pci::kResultShift == kReportedResult)
            result = kReportedFailure;
    }
    ClearStatus();
    return result;
}

void PciReadInt32(uint32_t address, uint32_t* values, int32_t count)
{
    ReadStream(address, values, count, 4);
}

void PciWriteInt16(const int16_t* values, uint32_t address, int32_t count)
{
    WriteStream(values, address, count, 2);
}

void PciReadInt16(uint32_t address, int16_t* values, int32_t count)
{
    ReadStream(address, values, count, 2);
}

void PciResetPulse()
{
    const uint32_t control = PciReadRegister(pci::kBridgeControl);
    PciWriteRegister(pci::kBridgeControl, control | pci::kSoftwareReset);
    PciWriteRegister(pci::kBridgeControl, control & ~pci::kSoftwareReset);
}

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API int32_t PciWriteData(uint32_t value, uint32_t address, int32_t size)
{
    if (!HasCard())
        return 0;
    PciWriteRegister(pci::kData, value);
    PciWriteRegister(pci::kAddress, address);
    return Single(static_cast<uint32_t>(size), pci::kWrite);
}

// At most seven values: the eighth register is the target's.
MORVANE_API int32_t PciWriteBlock(const uint32_t* values, int32_t count, uint32_t address)
{
    if (!HasCard() || values == nullptr || count < 1 || count > static_cast<int32_t>(pci::kBlockValues))
        return 0;
    for (int32_t i = 0; i < count; ++i)
        PciWriteRegister(pci::kData + 4 * static_cast<uint32_t>(i), values[i]);
    PciWriteRegister(pci::kStatus, address);
    return Single(static_cast<uint32_t>(count), pci::kWriteBlock);
}

MORVANE_API uint32_t PciReadData(uint32_t address, int32_t size)
{
    if (!HasCard())
        return 0;
    PciWriteRegister(pci::kAddress, address);
    Single(static_cast<uint32_t>(size), pci::kRead);
    return PciReadRegister(pci::kData);
}

MORVANE_API void PciWriteInt32(const uint32_t* values, uint32_t address, int32_t count)
{
    WriteStream(values, address, count, 4);
}

MORVANE_API int32_t PciEnterWatchDogLoop(PortId id)
{
    if (!SelectedCard(id))
        return 0;
    PciWriteRegister(pci::kData, 0);
    return Single(0, pci::kWatchdog);
}

MORVANE_API int32_t PciExitWatchDogLoop(PortId id)
{
    if (!SelectedCard(id))
        return 0;
    PciWriteRegister(pci::kData, pci::kWatchdogRelease);
    if (CurrentPciCard()->WaitRegister(pci::kData, ~0u, 0, DeadlineIn(kMailboxLimitMs)))
        return 1;
    SetPortError(MORVANE_E_TIMEOUT);
    return 0;
}

MORVANE_API int32_t PciResetCard(PortId id)
{
    if (!SelectedCard(id))
        return 0;
    PciResetPulse();
    return 1;
}

MORVANE_API void PciWriteBuffer(const uint8_t* bytes, uint32_t address, int32_t count)
{
    WriteStream(bytes, address, count, 1);
}

MORVANE_API uint32_t PciReadBuffer(uint32_t address, uint8_t* bytes, int32_t count)
{
    return ReadStream(address, bytes, count, 1);
}

}  // extern "C"
