#pragma once
// What a pixel map holds, apart from its name: the size and depth, the
// pixels packed into 32-bit words and the colour table (LUT) with the mask
// of the standard sets it was built from. The item, its editor's working
// copy and a recall in progress each hold one.
//
// Rows follow each other, pitch32 words a row; within a word the pixels run
// from the most significant bits, so pixel x of a row lies in word
// x * depth / 32 at bit 32 - depth * (x % (32 / depth) + 1). A pixel's value
// indexes the LUT, which has 2^depth entries (0x00BBGGRR).

#include <cstdint>
#include <vector>

struct PixelMapData {
    // Sides the program makes, reads and recalls.
    static constexpr int kMaxSide = 1024;
    // "Black and White" and "RGB Hues".
    static constexpr std::uint32_t kDefaultSetMask = 0x10004;

    int width = 8;
    int height = 8;
    int depth = 4;
    int pitch32 = 1;
    std::uint32_t lutSetMask = kDefaultSetMask;
    // Black, white, red, green, blue, then black.
    std::vector<std::uint32_t> lut = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0, 0, 0,
                                      0,        0,        0,        0,        0,        0, 0, 0};
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(8);

    // 1, 2, 4 or 8.
    static bool IsDepth(int depth);
    // 1 .. kMaxSide.
    static bool IsSide(int side);
    static bool IsGeometry(int width, int height, int depth);
    // Words a row: width * depth / 32, rounded up.
    static int Pitch32(int width, int depth);
    static std::size_t LutSize(int depth) { return std::size_t(1) << depth; }

    // The value of pixel (x, y), which must lie inside the map.
    std::uint32_t Pixel(int x, int y) const;
    // Stores the low depth bits of value.
    void SetPixel(int x, int y, std::uint32_t value);
    // The LUT with exactly 2^depth entries: cut, or padded with black.
    void FitLut();

    // A new size and depth, for a valid geometry: the pixels both sizes
    // cover keep their values, cut to the low bits of the new depth; the
    // rest are 0. The LUT keeps its first entries, new ones black. False,
    // with nothing changed, when the memory cannot be had.
    bool Resize(int width, int height, int depth);

    bool operator==(const PixelMapData &) const = default;
};
