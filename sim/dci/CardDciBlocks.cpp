// Pixel blocks and run-length blocks between the screen and staged buffers
// (rules in CardBlocks.h).
#include "gensim/CardDci.h"

#include <algorithm>
#include <cstring>

namespace gensim {

namespace {

uint32_t blocksWord(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() && a[i] > -9.2e18 && a[i] < 9.2e18 ? static_cast<uint32_t>(static_cast<int64_t>(a[i])) : 0;
}

int32_t blocksInt(const std::vector<double>& a, std::size_t i)
{
    return static_cast<int32_t>(blocksWord(a, i));
}

// count bits (up to 8) from bit `bit`, bit 0 of byte 0 first; 0 past the end.
uint32_t blocksGetBits(const uint8_t* p, uint64_t bytes, uint64_t bit, int count)
{
    if (bit + static_cast<uint64_t>(count) > bytes * 8)
        return 0;
    uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit)
        value |= static_cast<uint32_t>((p[bit / 8] >> (bit % 8)) & 1) << i;
    return value;
}

void blocksSetBits(uint8_t* p, uint64_t bytes, uint64_t bit, int count, uint32_t value)
{
    if (bit + static_cast<uint64_t>(count) > bytes * 8)
        return;
    for (int i = 0; i < count; ++i, ++bit) {
        const auto mask = static_cast<uint8_t>(1u << (bit % 8));
        p[bit / 8] = static_cast<uint8_t>(((value >> i) & 1) ? p[bit / 8] | mask : p[bit / 8] & ~mask);
    }
}

uint32_t blocksGetWord(const uint8_t* p, uint64_t bytes, uint64_t index)
{
    if (index >= bytes / 4)
        return 0;
    const uint8_t* q = p + index * 4;
    return q[0] | q[1] << 8 | q[2] << 16 | static_cast<uint32_t>(q[3]) << 24;
}

void blocksSetWord(uint8_t* p, uint64_t bytes, uint64_t index, uint32_t value)
{
    if (index >= bytes / 4)
        return;
    uint8_t* q = p + index * 4;
    for (int i = 0; i < 4; ++i)
        q[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t blocksHalf(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// A rectangle's size is usable: positive sides and a pixel count within reach.
bool blocksSized(int32_t width, int32_t height)
{
    return width > 0 && height > 0 && int64_t{width} * height <= blocks::kMaxUnits;
}

// The rows and columns of a width x height rectangle at screen (left, top)
// that fall in the clip rectangle: [r0, r1) x [c0, c1).
struct BlocksSpan {
    int64_t r0, r1, c0, c1;
};

} // namespace

uint8_t* CardDci::staged(uint32_t address, uint64_t& bytes) const
{
    const Staged block = staged(address);
    bytes = block.size;
    return block.data;
}

void CardDci::copyPixel(const Clip& c, uint32_t pitch, int64_t sx, int64_t sy, uint32_t value)
{
    if (m_transparent && (value & 0xFF) == 0)
        return;
    put(c, pitch, sx, sy, value);
}

namespace {

BlocksSpan blocksSpan(int64_t left, int64_t top, int32_t width, int32_t height, int cx, int cy, int cw, int ch)
{
    return {std::max<int64_t>(0, cy - top), std::min<int64_t>(height, int64_t{cy} + ch - top),
            std::max<int64_t>(0, cx - left), std::min<int64_t>(width, int64_t{cx} + cw - left)};
}

} // namespace

// --- Pixel blocks --------------------------------------------------------------------

uint32_t CardDci::getRect(const std::vector<double>& a)
{
    const int32_t width = blocksInt(a, 0), height = blocksInt(a, 1);
    const uint64_t pitch = blocksWord(a, 5);
    uint64_t bytes = 0;
    uint8_t* buffer = staged(blocksWord(a, 4), bytes);
    if (buffer == nullptr || !blocksSized(width, height) || pitch * static_cast<uint64_t>(height) > blocks::kMaxUnits)
        return 0;
    const int64_t left = int64_t{m_originX} + blocksInt(a, 2);
    const int64_t top = int64_t{m_originY} + blocksInt(a, 3);
    const bool isa = m_heap.scale > 1;
    const Screen view = screen();
    for (int64_t r = 0; r < height; ++r)
        for (int64_t c = 0; c < width; ++c) {
            const uint8_t v = view.at(left + c, top + r).value_or(0);
            if (isa)
                blocksSetBits(buffer, bytes, static_cast<uint64_t>(r) * pitch + static_cast<uint64_t>(c) * 8, 8, v);
            else
                blocksSetWord(buffer, bytes, static_cast<uint64_t>(r) * pitch + static_cast<uint64_t>(c), v);
        }
    return 0;
}

uint32_t CardDci::putRect(const std::vector<double>& a)
{
    return pixelExpand({a.size() > 0 ? a[0] : 0, a.size() > 1 ? a[1] : 0, 8, a.size() > 2 ? a[2] : 0,
                        a.size() > 3 ? a[3] : 0, a.size() > 4 ? a[4] : 0, a.size() > 5 ? a[5] : 0});
}

uint32_t CardDci::pixelExpand(const std::vector<double>& a)
{
    uint64_t bytes = 0;
    const uint8_t* buffer = staged(blocksWord(a, 0), bytes);
    const uint64_t pitch = blocksWord(a, 1);
    const int32_t size = blocksInt(a, 2), width = blocksInt(a, 3), height = blocksInt(a, 4);
    const bool isa = m_heap.scale > 1;
    if (buffer == nullptr || !blocksSized(width, height) || pitch * static_cast<uint64_t>(height) > blocks::kMaxUnits
        || (isa && size != 1 && size != 2 && size != 4 && size != 8))
        return 0;
    const Clip c = clip();
    const uint32_t screenPitch = pitchLocked();
    const int64_t left = int64_t{m_originX} + blocksInt(a, 5);
    const int64_t top = int64_t{m_originY} + blocksInt(a, 6);
    const BlocksSpan s = blocksSpan(left, top, width, height, c.x, c.y, c.width, c.height);
    for (int64_t r = s.r0; r < s.r1; ++r)
        for (int64_t col = s.c0; col < s.c1; ++col) {
            const uint64_t unit = static_cast<uint64_t>(r) * pitch;
            const uint32_t v = isa ? blocksGetBits(buffer, bytes, unit + static_cast<uint64_t>(col * size), size)
                                   : blocksGetWord(buffer, bytes, unit + static_cast<uint64_t>(col));
            copyPixel(c, screenPitch, left + col, top + r, v);
        }
    return 0;
}

uint32_t CardDci::bitExpand(const std::vector<double>& a)
{
    uint64_t bytes = 0;
    const uint8_t* buffer = staged(blocksWord(a, 0), bytes);
    const uint64_t pitch = blocksWord(a, 1);
    const int32_t width = blocksInt(a, 2), height = blocksInt(a, 3);
    if (buffer == nullptr || !blocksSized(width, height) || pitch * static_cast<uint64_t>(height) > blocks::kMaxUnits)
        return 0;
    const Clip c = clip();
    const uint32_t screenPitch = pitchLocked();
    const int64_t left = int64_t{m_originX} + blocksInt(a, 4);
    const int64_t top = int64_t{m_originY} + blocksInt(a, 5);
    const BlocksSpan s = blocksSpan(left, top, width, height, c.x, c.y, c.width, c.height);
    for (int64_t r = s.r0; r < s.r1; ++r)
        for (int64_t col = s.c0; col < s.c1; ++col) {
            if (blocksGetBits(buffer, bytes, static_cast<uint64_t>(r) * pitch + static_cast<uint64_t>(col), 1) != 0)
                put(c, screenPitch, left + col, top + r, m_colour1);
            else if (!m_transparent)
                put(c, screenPitch, left + col, top + r, m_colour0);
        }
    return 0;
}

uint32_t CardDci::zoomRect(const std::vector<double>& a)
{
    const int64_t space = blocksInt(a, 0);
    const int32_t width = blocksInt(a, 1), height = blocksInt(a, 2), factor = blocksInt(a, 7);
    if (!blocksSized(width, height) || int64_t{width} * height > space || factor < 1 || factor > 64)
        return 0;
    const int64_t fromX = int64_t{m_originX} + blocksInt(a, 3);
    const int64_t fromY = int64_t{m_originY} + blocksInt(a, 4);
    // The source first, so that an overlapping destination reads it unchanged.
    const Clip c = clip();
    const int64_t left = int64_t{m_originX} + blocksInt(a, 5);
    const int64_t top = int64_t{m_originY} + blocksInt(a, 6);
    const int64_t outW = int64_t{width} * factor, outH = int64_t{height} * factor;
    const int64_t r0 = std::max<int64_t>(0, c.y - top), r1 = std::min<int64_t>(outH, int64_t{c.y} + c.height - top);
    const int64_t c0 = std::max<int64_t>(0, c.x - left), c1 = std::min<int64_t>(outW, int64_t{c.x} + c.width - left);
    if (r0 >= r1 || c0 >= c1)
        return 0;
    const int64_t sr0 = r0 / factor, sr1 = (r1 - 1) / factor + 1, sc0 = c0 / factor, sc1 = (c1 - 1) / factor + 1;
    std::vector<uint8_t> source(static_cast<std::size_t>((sr1 - sr0) * (sc1 - sc0)));
    const Screen view = screen();
    for (int64_t r = sr0; r < sr1; ++r)
        for (int64_t col = sc0; col < sc1; ++col)
            source[static_cast<std::size_t>((r - sr0) * (sc1 - sc0) + col - sc0)] = view.at(fromX + col, fromY + r).value_or(0);
    const uint32_t screenPitch = pitchLocked();
    for (int64_t r = r0; r < r1; ++r)
        for (int64_t col = c0; col < c1; ++col)
            copyPixel(c, screenPitch, left + col, top + r,
                      source[static_cast<std::size_t>((r / factor - sr0) * (sc1 - sc0) + col / factor - sc0)]);
    return 0;
}

// --- Run-length blocks ---------------------------------------------------------------

uint32_t CardDci::runEncode(const std::vector<double>& a)
{
    const int32_t width = blocksInt(a, 0), height = blocksInt(a, 1);
    uint64_t bytes = 0;
    uint8_t* buffer = staged(blocksWord(a, 4), bytes);
    const uint64_t room = std::min<uint64_t>(bytes, blocksWord(a, 5));
    if (buffer == nullptr || !blocksSized(width, height) || width > 0x7FFF || height > 0x7FFF)
        return 0;
    const int64_t left = int64_t{m_originX} + blocksInt(a, 2);
    const int64_t top = int64_t{m_originY} + blocksInt(a, 3);
    std::vector<uint16_t> words{blocks::kRunMark, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0};
    const uint64_t most = std::min<uint64_t>(room, 0x7FFF) / 2;
    uint32_t count = 0;
    uint8_t value = 0;
    const Screen view = screen();
    for (int64_t r = 0; r < height; ++r)
        for (int64_t c = 0; c < width; ++c) {
            const uint8_t v = view.at(left + c, top + r).value_or(0);
            if (count > 0 && (v != value || count == 255)) {
                words.push_back(static_cast<uint16_t>(count << 8 | value));
                count = 0;
                if (words.size() >= most)  // no room for the run still to come
                    return 0;
            }
            value = v;
            ++count;
        }
    words.push_back(static_cast<uint16_t>(count << 8 | value));
    if (words.size() > most)
        return 0;
    words[3] = static_cast<uint16_t>(words.size() * 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
        buffer[2 * i] = static_cast<uint8_t>(words[i]);
        buffer[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    return static_cast<uint32_t>(words.size() * 2);
}

uint32_t CardDci::runDecode(const std::vector<double>& a)
{
    uint64_t bytes = 0;
    const uint8_t* block = staged(blocksWord(a, 2), bytes);
    if (block == nullptr || bytes < blocks::kRunHeaderBytes || blocksHalf(block) != blocks::kRunMark)
        return 0;
    const auto width = static_cast<int16_t>(blocksHalf(block + 2));
    const auto height = static_cast<int16_t>(blocksHalf(block + 4));
    const auto length = static_cast<int16_t>(blocksHalf(block + 6));
    if (width <= 0 || height <= 0 || length < blocks::kRunHeaderBytes || static_cast<uint64_t>(length) > bytes)
        return 0;
    const Clip c = clip();
    const uint32_t screenPitch = pitchLocked();
    const int64_t left = int64_t{m_originX} + blocksInt(a, 0);
    const int64_t top = int64_t{m_originY} + blocksInt(a, 1);
    const int64_t pixels = int64_t{width} * height;
    int64_t at = 0;
    for (int k = blocks::kRunHeaderBytes; k + 1 < length; k += 2) {
        const uint16_t run = blocksHalf(block + k);
        const int count = run >> 8;
        if (count == 0 || at + count > pixels)
            return 0;
        for (int i = 0; i < count; ++i, ++at)
            copyPixel(c, screenPitch, left + at % width, top + at / width, run & 0xFF);
    }
    return 0;
}

} // namespace gensim
