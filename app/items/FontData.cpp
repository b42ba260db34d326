#include "FontData.h"

namespace {

bool RefuseFont(QString *why, const char *text)
{
    if (why)
        *why = QString::fromLatin1(text);
    return false;
}

} // namespace

std::array<std::int32_t, FontData::kHeaderValues> FontData::Header() const
{
    return {firstChar, lastChar, wideMax, kernMax, negDescent, rectWidth, charHeight, ascent, descent, leading, pitch32};
}

void FontData::SetHeader(const std::array<std::int32_t, kHeaderValues> &v)
{
    firstChar = v[0];
    lastChar = v[1];
    wideMax = v[2];
    kernMax = v[3];
    negDescent = v[4];
    rectWidth = v[5];
    charHeight = v[6];
    ascent = v[7];
    descent = v[8];
    leading = v[9];
    pitch32 = v[10];
}

bool FontData::HeaderValid(QString *why) const
{
    if (firstChar < 0 || lastChar < firstChar || lastChar > kMaxCode)
        return RefuseFont(why, "the font's character range is not within 0..255");
    if (charHeight < 1 || charHeight > kMaxCharHeight)
        return RefuseFont(why, "the font's character height is not within 1..1000");
    if (pitch32 < 1 || std::size_t(pitch32) > 8 * Glyphs())
        return RefuseFont(why, "the font's words a row do not fit its characters");
    return true;
}

bool FontData::Valid(QString *why) const
{
    if (!HeaderValid(why))
        return false;
    const std::size_t glyphs = Glyphs();
    if (bitmap.size() != BitmapWords() || locTable.size() != glyphs + 1 || owTable.size() != glyphs + 1 ||
        imageWidths.size() != glyphs)
        return RefuseFont(why, "the font's tables do not have the sizes its header gives");
    for (std::size_t i = 0; i < glyphs; ++i) {
        if (locTable[i + 1] < locTable[i])
            return RefuseFont(why, "the font's location table goes backwards");
        if (imageWidths[i] > 32u * unsigned(locTable[i + 1] - locTable[i]))
            return RefuseFont(why, "a character's image is wider than its columns");
    }
    if (locTable.back() != pitch32)
        return RefuseFont(why, "the font's location table does not end at its words a row");
    if (owTable.back() != kEndMarker)
        return RefuseFont(why, "the font's offset/width table lacks its end marker");
    return true;
}

std::uint16_t FontData::OffsetWidth(int textOffset, int textWidth)
{
    return std::uint16_t((unsigned(std::uint8_t(std::int8_t(textOffset))) << 8) | (unsigned(textWidth) & 0xFFu));
}
