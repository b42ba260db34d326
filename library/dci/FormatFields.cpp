// The format fields that take a name (ISA only): staged with a spare byte,
// and the one that packs three flags into its argument.
#include "Dci.h"

using namespace morvane;
using namespace morvane::dci;

namespace {

// A byte more is allocated than written.
constexpr int64_t kFieldSpare = 1;

// The release's result; on a port without the call, the bound type half.
int32_t FieldWithName(Row row, const char* name)
{
    if (!HasPath(kDescriptors[row]))
        return static_cast<int32_t>(ElsewhereResult(kDescriptors[row]));
    const auto call = CallWithTexts(row, {name}, kFieldSpare, [](const uint32_t* at) { return std::vector<Arg>{at[0]}; });
    return call ? static_cast<int32_t>(call->release) : 0;
}

}  // namespace

extern "C" {

MORVANE_API int32_t XR_fmtn(const char* name)
{
    return FieldWithName(k_XR_fmtn, name);
}

MORVANE_API int32_t XR_name(const char* name)
{
    return FieldWithName(k_XR_name, name);
}

MORVANE_API int32_t XR_fmta(const char* name)
{
    return FieldWithName(k_XR_fmta, name);
}

MORVANE_API int32_t XR_fmtl(const char* name)
{
    return FieldWithName(k_XR_fmtl, name);
}

// XVSG takes the text command's three flags, one bit each.
MORVANE_API int32_t XR_xvsg(int32_t p1, int32_t p2, int32_t p3)
{
    return static_cast<int32_t>(Call(k_XR_xvsg, {(p1 & 1) << 2 | (p2 & 1) << 1 | (p3 & 1)}));
}

}  // extern "C"
