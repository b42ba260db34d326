// The text family's members that stage a text or a name for one call, the
// installed font that stays staged, and numbers formatted on the card.
#include "Dci.h"

#include <cstring>
#include <iterator>

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

// A font image's header gives its length in words.
constexpr int64_t kTextMostFontWords = int64_t{1} << 20;
// What the number formatters leave in the caller's buffer.
constexpr std::size_t kTextNumberBytes = 40;

// The words of the font image at font, from its header; 0 for a header no
// font has (last character before the first, or above the limit).
int64_t TextFontWords(const uint16_t* font)
{
    const int64_t first = font[1];
    const int64_t last = font[2];
    if (last < first)
        return 0;
    const int64_t words = int64_t{font[12]} * font[7] + (last - first) * 2 + 19;
    return words > kTextMostFontWords ? 0 : words;
}

// Stages the format and a result area on either card; only ISA formats, and
// only then does area get the card's bytes. The call's result.
int32_t TextFormatInto(Row row, Arg value, uint8_t* area, int32_t a, int32_t b, const char* format)
{
    Session session;
    if (!Accepted(format != nullptr) || !Accepted(BoundPath() != Path::None, MORVANE_E_NO_DIRECT_CALLS)
        || !session.Open())
        return 0;
    const std::size_t length = std::strlen(format);
    const uint32_t stagedFormat = Stage(session, static_cast<int64_t>(length) + 1);
    if (stagedFormat == 0)
        return 0;
    const uint32_t stagedArea = Stage(session, kTextNumberBytes);
    uint32_t result = 0;
    if (stagedArea != 0
        && WriteStagedBytes(session, stagedFormat, reinterpret_cast<const uint8_t*>(format), length + 1)
        && BoundPath() == Path::Isa) {
        result = CallIn(session, row, {value, stagedArea, a, b, stagedFormat});
        uint16_t words[kTextNumberBytes / 2] = {};
        if (IsaReadWords(session, stagedArea, words, std::size(words)))
            for (std::size_t i = 0; i < std::size(words); ++i) {
                area[2 * i] = static_cast<uint8_t>(words[i]);
                area[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
            }
    }
    if (stagedArea != 0)
        Release(session, stagedArea);
    Release(session, stagedFormat);
    return static_cast<int32_t>(result);
}

// out always gets its 40 bytes, ended by a NUL whatever the card wrote, and
// empty where nothing was formatted.
int32_t TextNumber(Row row, Arg value, char* out, int32_t a, int32_t b, const char* format)
{
    if (!Accepted(out != nullptr))
        return 0;
    uint8_t area[kTextNumberBytes] = {};
    const int32_t result = TextFormatInto(row, value, area, a, b, format);
    std::memcpy(out, area, sizeof area);
    out[kTextNumberBytes - 1] = '\0';
    return result;
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

// ISA only. The image stays staged: the generator keeps the font.
MORVANE_API int32_t XR_InstallFont(int32_t n, const uint16_t* font)
{
    const Descriptor& d = kDescriptors[k_XR_InstallFont];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    if (!Accepted(font != nullptr))
        return 0;
    const int64_t words = TextFontWords(font);
    Session session;
    if (!Accepted(words != 0) || !session.Open())
        return 0;
    const uint32_t staged = StageWords(session, reinterpret_cast<const int16_t*>(font), words);
    if (staged == 0)
        return 0;
    return static_cast<int32_t>(CallIn(session, k_XR_InstallFont, {n, staged}));
}

MORVANE_API int32_t XR_itoaf(uint32_t value, char* out, int32_t p3, int32_t p4, const char* format)
{
    return TextNumber(k_XR_itoaf, value, out, p3, p4, format);
}

MORVANE_API int32_t XR_ftoa(double value, char* out, int32_t p4, int32_t p5, const char* format)
{
    return TextNumber(k_XR_ftoa, value, out, p4, p5, format);
}

}  // extern "C"
