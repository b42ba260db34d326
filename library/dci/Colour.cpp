// The colour family's members beyond one plain call: the palette change
// that re-reads the colour words, levels staged on PCI, named colours.
#include "Dci.h"

#include <algorithm>
#include <memory>

using namespace morvane;
using namespace morvane::dci;

extern "C" {

// The new colour words go into the bound context (when there is one); the
// result is the last value read, the new black.
MORVANE_API uint32_t XR_SetLut(uint32_t selector)
{
    const Descriptor& d = kDescriptors[k_XR_SetLut];
    if (!HasPath(d))
        return ElsewhereResult(d);
    Session session;
    if (!session.Open())
        return 0;
    CallIn(session, k_XR_SetLut, {selector});
    auto colours = std::make_unique<RemoteCallContext>();
    if (Bound().context != nullptr)
        *colours = *Bound().context;
    if (!ReadColours(session, *colours)) {
        SetPortError(MORVANE_E_TIMEOUT);
        return 0;
    }
    if (Bound().context != nullptr)
        std::copy(colours->words, colours->words + RCC_BACKGROUND + 2, Bound().context->words);
    return colours->words[RCC_BLACK];
}

// PCI takes the three levels by address: 12 staged bytes.
MORVANE_API int32_t XR_SetLevelRGB(uint32_t red, uint32_t green, uint32_t blue)
{
    const Descriptor& d = kDescriptors[k_XR_SetLevelRGB];
    if (BoundPath() != Path::Pci)
        return static_cast<int32_t>(Call(k_XR_SetLevelRGB, {red, green, blue}));
    Session session;
    if (!HasPath(d) || !session.Open())
        return 0;
    const uint32_t staged = Stage(session, 12);
    if (staged == 0)
        return 0;
    const uint32_t levels[3] = {red, green, blue};
    PciWriteInt32(levels, staged, 3);
    if (session.Check())
        CallIn(session, k_XR_SetLevelRGB, {staged, staged + 4, staged + 8});
    Release(session, staged);
    return 0;
}

MORVANE_API uint32_t XR_SetColorNamed(const char* name)
{
    const auto call = CallWithTexts(k_XR_SetColorNamed, {name}, 0,
                                    [](const uint32_t* at) { return std::vector<Arg>{at[0]}; });
    return call ? call->result : 0;
}

MORVANE_API uint32_t XR_SetEdgeColorNamed(const char* name1, const char* name2)
{
    const auto call = CallWithTexts(k_XR_SetEdgeColorNamed, {name1, name2}, 0,
                                    [](const uint32_t* at) { return std::vector<Arg>{at[0], at[1]}; });
    return call ? call->result : 0;
}

}  // extern "C"
