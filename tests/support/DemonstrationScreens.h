// The screens three demonstrations leave, as the cards' rules give them:
// shared by the library's replay of the rows and the program's own rows.
#pragma once

#include "gensim/CardDrawing.h"

#include <array>
#include <cstdint>
#include <vector>

namespace demoscreens {

// SetEdgeColorNamed: column x of every line. Bars width / 8 wide: c - n
// pixels of the bar's colour, then its n edge samples; the eighth black, as
// is what is right of the bars.
inline uint8_t EdgeBarByte(int x, int width, int n, const std::array<uint32_t, 8>& colours, uint32_t black)
{
    const int c = width / 8;
    const int bar = x / c, within = x % c;
    if (bar >= 8)
        return static_cast<uint8_t>(black);
    if (bar == 7)
        return static_cast<uint8_t>(colours[7]);
    if (within < c - n)
        return static_cast<uint8_t>(colours[static_cast<std::size_t>(bar)]);
    return static_cast<uint8_t>(gensim::drawing::edgePixel(bar, within - (c - n)));
}

// SetLevelMax: column x of every line: bar i in pixel i from (width mod 16)
// / 2, width / 16 wide; black beside them.
inline uint8_t LevelBarByte(int x, int width, uint32_t black)
{
    const int w = width / 16, x0 = (width % 16) / 2;
    if (x < x0 || x >= x0 + 16 * w)
        return static_cast<uint8_t>(black);
    return static_cast<uint8_t>((x - x0) / w);
}

// WaitFrame: around the centre only the last square, in red over black.
inline uint8_t SquareByte(const std::vector<gensim::drawing::Point>& square, int x, int y, uint32_t red, uint32_t black)
{
    return static_cast<uint8_t>(gensim::drawing::insidePolygon(square, x, y) ? red : black);
}

} // namespace demoscreens
