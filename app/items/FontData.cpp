#include "FontData.h"

#include "StringTable.h"

namespace {

bool RefuseFont(QString *why, unsigned textId)
{
    if (why)
        *why = LoadString(textId);
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
        return RefuseFont(why, IDS_FONT_FILE_CHAR_RANGE);
    if (charHeight < 1 || charHeight > kMaxCharHeight)
        return RefuseFont(why, IDS_FONT_FILE_CHAR_HEIGHT);
    if (pitch32 < 1 || std::size_t(pitch32) > 8 * Glyphs())
        return RefuseFont(why, IDS_FONT_FILE_PITCH);
    return true;
}

bool FontData::Valid(QString *why) const
{
    if (!HeaderValid(why))
        return false;
    const std::size_t glyphs = Glyphs();
    if (bitmap.size() != BitmapWords() || locTable.size() != glyphs + 1 || owTable.size() != glyphs + 1 ||
        imageWidths.size() != glyphs)
        return RefuseFont(why, IDS_FONT_FILE_TABLE_SIZES);
    for (std::size_t i = 0; i < glyphs; ++i) {
        if (locTable[i + 1] < locTable[i])
            return RefuseFont(why, IDS_FONT_FILE_LOC_BACKWARDS);
        if (imageWidths[i] > 32u * unsigned(locTable[i + 1] - locTable[i]))
            return RefuseFont(why, IDS_FONT_FILE_IMAGE_TOO_WIDE);
    }
    if (locTable.back() != pitch32)
        return RefuseFont(why, IDS_FONT_FILE_LOC_END);
    if (owTable.back() != kEndMarker)
        return RefuseFont(why, IDS_FONT_FILE_NO_END_MARKER);
    return true;
}

std::uint16_t FontData::OffsetWidth(int textOffset, int textWidth)
{
    return std::uint16_t((unsigned(std::uint8_t(std::int8_t(textOffset))) << 8) | (unsigned(textWidth) & 0xFFu));
}
