#include "PixelMapData.h"

#include <algorithm>
#include <new>

namespace {

std::uint32_t ValueMask(int depth)
{
    return (std::uint32_t(1) << depth) - 1;
}

struct PixelPlace {
    std::size_t word;
    int shift;
};

PixelPlace PlaceOf(int pitch32, int depth, int x, int y)
{
    const int perWord = 32 / depth;
    return {std::size_t(y) * std::size_t(pitch32) + std::size_t(x / perWord), 32 - depth * (x % perWord + 1)};
}

} // namespace

bool PixelMapData::IsDepth(int depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8;
}

bool PixelMapData::IsSide(int side)
{
    return side >= 1 && side <= kMaxSide;
}

bool PixelMapData::IsGeometry(int width, int height, int depth)
{
    return IsSide(width) && IsSide(height) && IsDepth(depth);
}

int PixelMapData::Pitch32(int width, int depth)
{
    return (width * depth + 31) / 32;
}

std::uint32_t PixelMapData::Pixel(int x, int y) const
{
    const PixelPlace at = PlaceOf(pitch32, depth, x, y);
    return (pixels[at.word] >> at.shift) & ValueMask(depth);
}

void PixelMapData::SetPixel(int x, int y, std::uint32_t value)
{
    const PixelPlace at = PlaceOf(pitch32, depth, x, y);
    const std::uint32_t mask = ValueMask(depth) << at.shift;
    pixels[at.word] = (pixels[at.word] & ~mask) | ((value << at.shift) & mask);
}

void PixelMapData::FitLut()
{
    lut.resize(LutSize(depth), 0u);
}

bool PixelMapData::Resize(int newWidth, int newHeight, int newDepth)
{
    PixelMapData resized;
    try {
        resized.width = newWidth;
        resized.height = newHeight;
        resized.depth = newDepth;
        resized.pitch32 = Pitch32(newWidth, newDepth);
        resized.pixels.assign(std::size_t(newHeight) * std::size_t(resized.pitch32), 0u);
        resized.lut = lut;
        resized.lut.resize(LutSize(newDepth), 0u);
    } catch (const std::bad_alloc &) {
        return false;
    }
    const int rows = std::min(height, newHeight);
    const int columns = std::min(width, newWidth);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            resized.SetPixel(x, y, Pixel(x, y));
    resized.lutSetMask = lutSetMask;
    *this = std::move(resized);
    return true;
}
