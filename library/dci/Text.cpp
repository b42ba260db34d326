// The text family's members that stage a text or a name for one call.
#include "Dci.h"

using namespace morvane;
using namespace morvane::dci;

namespace {

// x, y and the staged text, in the export's order.
std::optional<TextCall> AtWithText(Row row, int32_t x, int32_t y, const char* text)
{
    return CallWithTexts(row, {text}, 0, [x, y](const uint32_t* at) { return std::vector<Arg>{x, y, at[0]}; });
}

std::optional<TextCall> WithName(Row row, const char* name, int64_t extra = 0)
{
    return CallWithTexts(row, {name}, extra, [](const uint32_t* at) { return std::vector<Arg>{at[0]}; });
}

int32_t ResultOf(const std::optional<TextCall>& call)
{
    return call ? static_cast<int32_t>(call->result) : 0;
}

int32_t ReleaseOf(Row row, const std::optional<TextCall>& call)
{
    if (!HasPath(kDescriptors[row]))
        return static_cast<int32_t>(ElsewhereResult(kDescriptors[row]));
    return call ? static_cast<int32_t>(call->release) : 0;
}

}  // namespace

extern "C" {

MORVANE_API int32_t XR_DrawString(int32_t x, int32_t y, const char* text)
{
    return ResultOf(AtWithText(k_XR_DrawString, x, y, text));
}

MORVANE_API int32_t XR_DrawText(int32_t x, int32_t y, const char* text)
{
    return ResultOf(AtWithText(k_XR_DrawText, x, y, text));
}

MORVANE_API int32_t XR_DrawItalic(int32_t x, int32_t y, const char* text)
{
    return ReleaseOf(k_XR_DrawItalic, AtWithText(k_XR_DrawItalic, x, y, text));
}

MORVANE_API int32_t XR_GetWidth(const char* text)
{
    return ResultOf(WithName(k_XR_GetWidth, text));
}

MORVANE_API int32_t XR_SelectFontNamed(const char* name)
{
    return ResultOf(WithName(k_XR_SelectFontNamed, name));
}

MORVANE_API int32_t XR_SelectPatnNamed(const char* name)
{
    return ResultOf(WithName(k_XR_SelectPatnNamed, name));
}

}  // extern "C"
