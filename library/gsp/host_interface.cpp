// The graphics processor's host interface on the current ISA card: any word
// of its memory through the address and data registers, and the control
// bits. None of these touch the error code. Without a current card each
// returns 0 and touches nothing.
#include "internal.h"

#include "IsaHostModel.h"

namespace morvane {

namespace {

using driver::IsaHostModel;

bool HasCard()
{
    return CurrentIsaCard() != nullptr;
}

// Reads the control register and writes it back with bits set and cleared.
int32_t ChangeControl(uint16_t set, uint16_t clear)
{
    uint16_t control = GspReadRegister(IsaHostModel::kControl);
    return GspWriteRegister(IsaHostModel::kControl, static_cast<uint16_t>((control | set) & ~clear));
}

}  // namespace

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API uint32_t GspGetAddress(void)
{
    if (!HasCard())
        return 0;
    uint32_t high = GspReadRegister(IsaHostModel::kAddressHigh);
    return (high << 16) + GspReadRegister(IsaHostModel::kAddressLow);
}

MORVANE_API int32_t GspSetAddress(uint32_t address)
{
    if (!HasCard())
        return 0;
    GspWriteRegister(IsaHostModel::kAddressLow, static_cast<uint16_t>(address & 0xFFFF));
    return GspWriteRegister(IsaHostModel::kAddressHigh, static_cast<uint16_t>(address >> 16));
}

MORVANE_API uint16_t GspRead(uint32_t address)
{
    if (!HasCard())
        return 0;
    GspSetAddress(address);
    return GspReadRegister(IsaHostModel::kData);
}

MORVANE_API int32_t GspWrite(uint32_t address, uint32_t value)
{
    if (!HasCard())
        return 0;
    GspSetAddress(address);
    return GspWriteRegister(IsaHostModel::kData, static_cast<uint16_t>(value & 0xFFFF));
}

MORVANE_API int32_t GspWriteRelative(uint32_t value)
{
    return HasCard() ? GspWriteRegister(IsaHostModel::kData, static_cast<uint16_t>(value & 0xFFFF)) : 0;
}

MORVANE_API uint16_t GspReadRelative(void)
{
    return HasCard() ? GspReadRegister(IsaHostModel::kData) : 0;
}

MORVANE_API int32_t GspAutoIncrement(int32_t flag)
{
    constexpr uint16_t kBoth = IsaHostModel::kIncrementRead | IsaHostModel::kIncrementWrite;
    if (!HasCard())
        return 0;
    return flag != 0 ? ChangeControl(kBoth, 0) : ChangeControl(0, kBoth);
}

MORVANE_API int32_t GspHalt(void)
{
    return HasCard() ? ChangeControl(IsaHostModel::kHalt, 0) : 0;
}

MORVANE_API int32_t GspRun(void)
{
    return HasCard() ? ChangeControl(0, IsaHostModel::kHalt) : 0;
}

MORVANE_API int32_t GspFlush(void)
{
    if (!HasCard())
        return 0;
    ChangeControl(IsaHostModel::kCacheFlush, 0);
    return ChangeControl(0, IsaHostModel::kCacheFlush);
}

MORVANE_API int32_t GspLblLow(void)
{
    return HasCard() ? ChangeControl(0, IsaHostModel::kLbl) : 0;
}

MORVANE_API int32_t GspNmi(void)
{
    return HasCard() ? ChangeControl(IsaHostModel::kNmi, 0) : 0;
}

}  // extern "C"
