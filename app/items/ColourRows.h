#pragma once
// What the two colour list controls draw alike: the row colours, the
// conversion of a data word (0x00BBGGRR) to a colour, and the row's text
// colour.

#include <QColor>

#include <cstdint>

namespace ColourRows {

inline const QColor kDisabled(0xC0, 0xC0, 0xC0);
inline const QColor kSelection(0x80, 0x80, 0x80);
inline const QColor kRed(0xFF, 0x00, 0x00);
inline const QColor kWhite(0xFF, 0xFF, 0xFF);

inline QColor FromColorRef(std::uint32_t word)
{
    return QColor(int(word & 0xFF), int((word >> 8) & 0xFF), int((word >> 16) & 0xFF));
}

inline std::uint32_t ToColorRef(const QColor &colour)
{
    return std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8) | (std::uint32_t(colour.blue()) << 16);
}

} // namespace ColourRows
