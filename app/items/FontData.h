#pragma once
// What a font holds, apart from its name: eleven header values and the four
// tables in the layout the generator takes. The strike is charHeight rows
// of pitch32 words; bit 31 of a word is the leftmost of its 32 pixels.
// Character i (code firstChar + i) and, after the last, the missing glyph
// each own the word columns locTable[i] .. locTable[i + 1] - 1 of every row;
// owTable[i] is (text offset << 8) | text width, the offset a signed byte;
// imageWidths[i] its image's pixels. locTable ends with pitch32, owTable
// with 0xFFFF. The item, a recall in progress and an export's packed copy
// each hold one.

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

struct FontData {
    static constexpr int kMaxCode = 255;
    static constexpr int kMaxCharHeight = 1000;
    static constexpr std::uint16_t kEndMarker = 0xFFFF;
    static constexpr int kHeaderValues = 11;

    std::int32_t firstChar = 0;
    std::int32_t lastChar = 0;
    std::int32_t wideMax = 8;
    std::int32_t kernMax = 0;
    std::int32_t negDescent = -1;
    std::int32_t rectWidth = 6;
    std::int32_t charHeight = 8;
    std::int32_t ascent = 8;
    std::int32_t descent = 0;
    std::int32_t leading = 7;
    std::int32_t pitch32 = 2;
    // One blank character in column 0, an 8 x 8 box as missing glyph in column 1.
    std::vector<std::uint32_t> bitmap = {0, 0xFF000000, 0, 0x81000000, 0, 0x81000000, 0, 0x81000000,
                                         0, 0x81000000, 0, 0x81000000, 0, 0x81000000, 0, 0xFF000000};
    std::vector<std::uint16_t> locTable = {0, 1, 2};
    std::vector<std::uint16_t> owTable = {8, 8, kEndMarker};
    std::vector<std::uint8_t> imageWidths = {8, 8};

    // The header in the order files and generators carry it: firstChar,
    // lastChar, wideMax, kernMax, negDescent, rectWidth, charHeight,
    // ascent, descent, leading, pitch32.
    std::array<std::int32_t, kHeaderValues> Header() const;
    void SetHeader(const std::array<std::int32_t, kHeaderValues> &values);

    // The characters and the missing glyph: lastChar - firstChar + 2.
    std::size_t Glyphs() const { return std::size_t(lastChar - firstChar) + 2; }
    std::size_t BitmapWords() const { return std::size_t(pitch32) * std::size_t(charHeight); }

    // Before any table is read: 0 <= firstChar <= lastChar <= 255,
    // 1 <= charHeight <= 1000, 1 <= pitch32 <= 8 x Glyphs (no image wider
    // than 255 pixels needs more). why says what is wrong.
    bool HeaderValid(QString *why = nullptr) const;
    // The whole font: the header, the tables' sizes, locTable non-decreasing
    // and ending at pitch32, every image no wider than its columns, the
    // end marker.
    bool Valid(QString *why = nullptr) const;

    // A text offset and width as an owTable entry, and back: the offset a
    // signed byte (-128..127).
    static std::uint16_t OffsetWidth(int textOffset, int textWidth);
    static int TextOffsetOf(std::uint16_t entry) { return std::int8_t(std::uint8_t(entry >> 8)); }
    static int TextWidthOf(std::uint16_t entry) { return entry & 0xFF; }

    bool operator==(const FontData &) const = default;
};
