// Pixel maps on the PC: where each pixel lies in the words, a new size and
// depth, and the ".pmp" file, read from bytes written here by hand and
// refused (leaving the item as it was) when it does not hold a map.

#include "CPixelMap.h"
#include "PixelMapData.h"

#include "ItemsTestSupport.h"

#include "Archive.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::uint32_t>;

TEST(PixelMapLayout, PixelsRunFromTheMostSignificantBits)
{
    struct Case {
        int depth, width, x, y;
        std::uint32_t value;
        std::size_t word;
        std::uint32_t wordValue;
    };
    const Case cases[] = {
        {1, 33, 0, 0, 1, 0, 0x80000000}, {1, 33, 31, 0, 1, 0, 0x00000001}, {1, 33, 32, 0, 1, 1, 0x80000000},
        {1, 33, 32, 1, 1, 3, 0x80000000}, {2, 20, 15, 0, 3, 0, 0x00000003}, {2, 20, 16, 1, 2, 3, 0x80000000},
        {4, 9, 1, 0, 0xA, 0, 0x0A000000}, {4, 9, 8, 0, 0xA, 1, 0xA0000000}, {8, 5, 3, 0, 0x5A, 0, 0x0000005A},
        {8, 5, 4, 1, 0x5A, 3, 0x5A000000}, {4, 8, 0, 0, 0x1F, 0, 0xF0000000}, // cut to 4 bits
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " x " << c.x << " y " << c.y);
        PixelMapData map;
        ASSERT_TRUE(map.Resize(c.width, 2, c.depth));
        map.SetPixel(c.x, c.y, c.value);
        Words expected(map.pixels.size(), 0u);
        expected[c.word] = c.wordValue;
        EXPECT_EQ(map.pixels, expected);
        EXPECT_EQ(map.Pixel(c.x, c.y), c.value & ((1u << c.depth) - 1));
    }
}

TEST(PixelMapLayout, Pitch32IsTheWordsARowTakes)
{
    EXPECT_EQ(PixelMapData::Pitch32(33, 1), 2);
    EXPECT_EQ(PixelMapData::Pitch32(32, 1), 1);
    EXPECT_EQ(PixelMapData::Pitch32(3, 8), 1);
    EXPECT_EQ(PixelMapData::Pitch32(1024, 8), 256);
    EXPECT_EQ(PixelMapData::Pitch32(8, 4), 1);
}

PixelMapData Filled(int width, int height, int depth)
{
    PixelMapData map;
    EXPECT_TRUE(map.Resize(width, height, depth));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            map.SetPixel(x, y, std::uint32_t(x + 3 * y));
    return map;
}

TEST(PixelMapLayout, ResizeKeepsTheCommonPixelsCutToTheNewDepth)
{
    PixelMapData map = Filled(8, 8, 4);
    ASSERT_TRUE(map.Resize(4, 4, 2));
    EXPECT_EQ(map.pitch32, 1);
    EXPECT_EQ(map.pixels.size(), 4u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(map.Pixel(x, y), std::uint32_t(x + 3 * y) & 0xF & 3) << x << "," << y;
    EXPECT_EQ(map.lut, (Words{0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00})) << "the first four entries";

    PixelMapData mono = Filled(8, 8, 1);
    ASSERT_TRUE(mono.Resize(8, 8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(mono.Pixel(x, y), std::uint32_t(x + 3 * y) & 1) << x << "," << y;
    ASSERT_EQ(mono.lut.size(), 256u);
    EXPECT_EQ(Words(mono.lut.begin(), mono.lut.begin() + 2), (Words{0x000000, 0xFFFFFF}));
    EXPECT_EQ(std::count(mono.lut.begin() + 2, mono.lut.end(), 0u), 254);

    PixelMapData grown = Filled(4, 4, 4);
    ASSERT_TRUE(grown.Resize(6, 5, 4));
    EXPECT_EQ(grown.Pixel(3, 3), 12u);
    EXPECT_EQ(grown.Pixel(4, 0), 0u);
    EXPECT_EQ(grown.Pixel(0, 4), 0u);
}

// --- The file ----------------------------------------------------------------------------

// The bytes of a map file, value by value (little-endian).
struct Pmp {
    Pmp &i32(qint32 v) { data += Int32s({v}); return *this; }
    Pmp &u32(quint32 v) { data += U32(v); return *this; }
    Pmp &u16(quint16 v) { data += ::Bytes({v & 0xFF, v >> 8}); return *this; }
    Pmp &counted(const char *text) { data += Counted(text); return *this; }
    Pmp &newClass() { data += ::Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CPixelMap"; return *this; }
    Pmp &bytes(const QByteArray &b) { data += b; return *this; }
    QByteArray data;
};

// "Mono", 33 x 2 at depth 1: two words a row; black and white; pixels 0
// and 32 of the top row and pixel 31 of the bottom row set.
Pmp MonoMap()
{
    return Pmp()
        .newClass()
        .counted("Mono")
        .i32(33).i32(2).i32(1).i32(2).u32(0x4)
        .u16(2).u32(0x000000).u32(0xFFFFFF)
        .u16(4).u32(0x80000000).u32(0x80000000).u32(0x00000001).u32(0);
}

std::unique_ptr<CPixelMap> ReadMap(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return ar.ReadObject<CPixelMap>();
}

QByteArray Stored(CPixelMap &map)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CArchive store(&out, CArchive::store);
    map.StoreObject(store, false);
    store.Flush();
    return out.data();
}

TEST(PixelMapFile, AHandWrittenMapIsReadAndWrittenByteForByte)
{
    const std::unique_ptr<CPixelMap> map = ReadMap(MonoMap().data);
    ASSERT_TRUE(map);
    const PixelMapData &data = map->Data();
    EXPECT_EQ(map->GetName(), QStringLiteral("Mono"));
    EXPECT_EQ(data.width, 33);
    EXPECT_EQ(data.height, 2);
    EXPECT_EQ(data.depth, 1);
    EXPECT_EQ(data.pitch32, 2);
    EXPECT_EQ(data.lutSetMask, 0x4u);
    EXPECT_EQ(data.Pixel(0, 0), 1u);
    EXPECT_EQ(data.Pixel(1, 0), 0u);
    EXPECT_EQ(data.Pixel(32, 0), 1u);
    EXPECT_EQ(data.Pixel(31, 1), 1u);
    EXPECT_FALSE(map->IsModified());
    EXPECT_EQ(Stored(*map), MonoMap().data);
}

TEST(PixelMapFile, TheDefaultMapIsStoredAsTheKindDefinesIt)
{
    CPixelMap map;
    Pmp expected;
    expected.newClass().counted("pixmap").i32(8).i32(8).i32(4).i32(1).u32(0x10004).u16(16);
    for (std::uint32_t entry : {0x000000u, 0xFFFFFFu, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        expected.u32(entry);
    for (int i = 0; i < 11; ++i)
        expected.u32(0);
    expected.u16(8);
    for (int i = 0; i < 8; ++i)
        expected.u32(0);
    EXPECT_EQ(Stored(map), expected.data);
    EXPECT_EQ(map.GetTypeCode(), 500);
    EXPECT_EQ(map.GetTypeName(), QStringLiteral("Icon"));
    EXPECT_EQ(map.GetFileExtension(), QStringLiteral("pmp"));
}

// A map's header and tables as given, for bad files.
Pmp MapBytes(qint32 width, qint32 height, qint32 depth, qint32 pitch32, const Words &lut, const Words &pixels,
               int pixelCount = -1)
{
    Pmp b;
    b.counted("Bad").i32(width).i32(height).i32(depth).i32(pitch32).u32(0);
    b.u16(quint16(lut.size()));
    for (std::uint32_t entry : lut)
        b.u32(entry);
    b.u16(quint16(pixelCount < 0 ? int(pixels.size()) : pixelCount));
    for (std::uint32_t word : pixels)
        b.u32(word);
    return b;
}

TEST(PixelMapFile, WhatHoldsNoMapIsRefusedAndChangesNothing)
{
    const Words two = {0, 0xFFFFFF};
    const struct {
        const char *what;
        Pmp bytes;
    } cases[] = {
        {"depth 0", MapBytes(8, 8, 0, 0, {0}, {})},
        {"depth 3", MapBytes(8, 8, 3, 1, Words(8, 0), Words(8, 0))},
        {"width 0", MapBytes(0, 8, 1, 0, two, {})},
        {"width 1025", MapBytes(1025, 1, 1, 33, two, Words(33, 0))},
        {"height -1", MapBytes(8, -1, 1, 1, two, {})},
        {"pitch32 off the width", MapBytes(33, 2, 1, 1, two, Words(2, 0))},
        {"a pixel short", MapBytes(33, 2, 1, 2, two, Words(3, 0))},
        {"a pixel too many", MapBytes(33, 2, 1, 2, two, Words(5, 0))},
        {"words counted beyond the file", MapBytes(33, 2, 1, 2, two, Words(2, 0), 4)},
        {"LUT counted beyond the file", Pmp().counted("Bad").i32(8).i32(8).i32(8).i32(2).u32(0).u16(40).u32(0)},
        {"cut after the header", Pmp().counted("Bad").i32(8).i32(8)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CPixelMap map;
        map.SetModified();
        QByteArray copy = c.bytes.data;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        EXPECT_THROW(map.Serialize(ar), CArchiveException);
        EXPECT_EQ(map.GetName(), QStringLiteral("pixmap"));
        EXPECT_EQ(map.Data(), PixelMapData());
        EXPECT_TRUE(map.IsModified());
    }
}

TEST(PixelMapFile, AColourTableOfAnotherSizeIsBroughtToTwoToTheDepth)
{
    Words sixteen(16, 0);
    sixteen[15] = 0xABCDEF;
    std::unique_ptr<CPixelMap> deep = ReadMap(Pmp().newClass().bytes(MapBytes(3, 2, 8, 1, sixteen, Words(2, 7)).data).data);
    ASSERT_TRUE(deep);
    ASSERT_EQ(deep->Data().lut.size(), 256u);
    EXPECT_EQ(deep->Data().lut[15], 0xABCDEFu);
    EXPECT_EQ(std::count(deep->Data().lut.begin() + 16, deep->Data().lut.end(), 0u), 240);
    std::unique_ptr<CPixelMap> mono = ReadMap(
        Pmp().newClass().bytes(MapBytes(8, 1, 1, 1, {1, 2, 3, 4}, Words(1, 0)).data).data);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->Data().lut, (Words{1, 2}));
}

} // namespace
