// Fonts on the PC: the default font, the offset/width entries with a
// signed offset, and the ".fnt" file, read from bytes written here by hand
// and refused (leaving the item as it was) when it does not hold a font.

#include "CFontData.h"
#include "FontData.h"

#include "ItemsTestSupport.h"

#include "Archive.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace font_file_test {
namespace {

using Words = std::vector<std::uint32_t>;
using Shorts = std::vector<std::uint16_t>;

// The bytes of a font file, value by value (little-endian).
struct Fnt {
    Fnt &i32(qint32 v) { data += Int32s({v}); return *this; }
    Fnt &u32(quint32 v) { data += U32(v); return *this; }
    Fnt &u16(quint16 v) { data += Bytes({v & 0xFF, v >> 8}); return *this; }
    Fnt &u8(quint8 v) { data += char(v); return *this; }
    Fnt &counted(const char *text) { data += Counted(text); return *this; }
    Fnt &newClass() { data += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CFontData"; return *this; }
    Fnt &header(std::initializer_list<qint32> values) { for (qint32 v : values) i32(v); return *this; }
    Fnt &words(const Words &w, int count = -1)
    {
        u16(quint16(count < 0 ? int(w.size()) : count));
        for (std::uint32_t v : w)
            u32(v);
        return *this;
    }
    Fnt &shorts(const Shorts &s, int count = -1)
    {
        u16(quint16(count < 0 ? int(s.size()) : count));
        for (std::uint16_t v : s)
            u16(v);
        return *this;
    }
    Fnt &bytes(std::initializer_list<int> b) { u16(quint16(b.size())); for (int v : b) u8(quint8(v)); return *this; }
    QByteArray data;
};

// "A": one character, code 65, two rows, its image 2 pixels wide with the
// text offset -1 and width 3; the missing glyph an 8-pixel box of two rows.
Fnt OneCharacter()
{
    return Fnt()
        .newClass()
        .counted("A")
        .header({65, 65, 3, 0, -1, 3, 2, 2, 0, 3, 2})
        .words({0xC0000000, 0xFF000000, 0x40000000, 0xFF000000})
        .shorts({0, 1, 2})
        .shorts({0xFF03, 0x0008, 0xFFFF})
        .bytes({2, 8});
}

std::unique_ptr<CFontData> ReadFont(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return ar.ReadObject<CFontData>();
}

QByteArray Stored(CFontData &font)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CArchive store(&out, CArchive::store);
    font.StoreObject(store, false);
    store.Flush();
    return out.data();
}

TEST(FontDataModel, OffsetAndWidthShareAnEntryWithTheOffsetASignedByte)
{
    const struct {
        int offset, width;
        std::uint16_t entry;
    } cases[] = {{0, 8, 0x0008}, {-1, 3, 0xFF03}, {-128, 255, 0x80FF}, {127, 0, 0x7F00}, {1, 12, 0x010C}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(FontData::OffsetWidth(c.offset, c.width), c.entry);
        EXPECT_EQ(FontData::TextOffsetOf(c.entry), c.offset);
        EXPECT_EQ(FontData::TextWidthOf(c.entry), c.width);
    }
}

TEST(FontFile, TheDefaultFontIsStoredAsTheKindDefinesItAndReadBack)
{
    CFontData font;
    Fnt expected;
    expected.newClass().counted("Font").header({0, 0, 8, 0, -1, 6, 8, 8, 0, 7, 2});
    expected.words({0, 0xFF000000, 0, 0x81000000, 0, 0x81000000, 0, 0x81000000, 0, 0x81000000, 0, 0x81000000, 0,
                    0x81000000, 0, 0xFF000000});
    expected.shorts({0, 1, 2}).shorts({8, 8, 0xFFFF}).bytes({8, 8});
    EXPECT_EQ(Stored(font), expected.data);
    EXPECT_EQ(font.GetTypeCode(), 700);
    EXPECT_EQ(font.GetTypeName(), QStringLiteral("Font"));
    EXPECT_EQ(font.GetFileExtension(), QStringLiteral("fnt"));
    EXPECT_EQ(font.GetFileFilter(), QStringLiteral("Font Data (*.fnt)|*.fnt|"));
    const std::unique_ptr<CFontData> back = ReadFont(expected.data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Data(), FontData());
    EXPECT_TRUE(back->Data().Valid());
    EXPECT_EQ(back->GetName(), QStringLiteral("Font"));
}

TEST(FontFile, AHandWrittenFontIsReadAndWrittenByteForByte)
{
    const std::unique_ptr<CFontData> font = ReadFont(OneCharacter().data);
    ASSERT_TRUE(font);
    const FontData &data = font->Data();
    EXPECT_EQ(font->GetName(), QStringLiteral("A"));
    EXPECT_EQ(data.firstChar, 65);
    EXPECT_EQ(data.lastChar, 65);
    EXPECT_EQ(data.charHeight, 2);
    EXPECT_EQ(data.Glyphs(), 2u);
    EXPECT_EQ(FontData::TextOffsetOf(data.owTable[0]), -1);
    EXPECT_EQ(data.bitmap, (Words{0xC0000000, 0xFF000000, 0x40000000, 0xFF000000}));
    EXPECT_FALSE(font->IsModified());
    EXPECT_EQ(Stored(*font), OneCharacter().data);
}

// A font's header and tables as given, for bad files.
Fnt FontBytes(std::initializer_list<qint32> header, const Words &bitmap, const Shorts &loc, const Shorts &ow,
              std::initializer_list<int> widths)
{
    Fnt f;
    f.counted("Bad").header(header).words(bitmap).shorts(loc).shorts(ow).bytes(widths);
    return f;
}

TEST(FontFile, WhatHoldsNoFontIsRefusedAndChangesNothing)
{
    const Words two = {0, 0};
    const struct {
        const char *what;
        Fnt bytes;
    } cases[] = {
        {"last below first", FontBytes({66, 65, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 1, 2}, {8, 8, 0xFFFF}, {8, 8})},
        {"first below 0", FontBytes({-1, 0, 8, 0, -1, 6, 1, 1, 0, 2, 3}, Words(3, 0), {0, 1, 2, 3}, {8, 8, 8, 0xFFFF}, {8, 8, 8})},
        {"last 256", FontBytes({255, 256, 8, 0, -1, 6, 1, 1, 0, 2, 3}, Words(3, 0), {0, 1, 2, 3}, {8, 8, 8, 0xFFFF}, {8, 8, 8})},
        {"height 0", FontBytes({0, 0, 8, 0, -1, 6, 0, 0, 0, 2, 2}, {}, {0, 1, 2}, {8, 8, 0xFFFF}, {8, 8})},
        {"height 1001", FontBytes({0, 0, 8, 0, -1, 6, 1001, 1001, 0, 2, 2}, two, {0, 1, 2}, {8, 8, 0xFFFF}, {8, 8})},
        {"pitch32 0", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 0}, {}, {0, 0, 0}, {0, 0, 0xFFFF}, {0, 0})},
        {"pitch32 above 8 a glyph", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 17}, Words(17, 0), {0, 1, 17}, {8, 8, 0xFFFF}, {8, 8})},
        {"a strike word short", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, {0}, {0, 1, 2}, {8, 8, 0xFFFF}, {8, 8})},
        {"a location short", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 2}, {8, 8, 0xFFFF}, {8, 8})},
        {"an image width too many", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 1, 2}, {8, 8, 0xFFFF}, {8, 8, 8})},
        {"locations going back", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 2, 1}, {8, 8, 0xFFFF}, {8, 8})},
        {"locations not ending at pitch32", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 1, 1}, {8, 8, 0xFFFF}, {8, 0})},
        {"an image wider than its column", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 1, 2}, {8, 8, 0xFFFF}, {33, 8})},
        {"no end marker", FontBytes({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}, two, {0, 1, 2}, {8, 8, 8}, {8, 8})},
        {"words counted beyond the file", Fnt().counted("Bad").header({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}).words({0}, 2)},
        {"a huge count", Fnt().counted("Bad").header({0, 0, 8, 0, -1, 6, 1, 1, 0, 2, 2}).u16(0xFFFF).u32(0x40000000).u32(0)},
        {"cut after the header", Fnt().counted("Bad").header({0, 0, 8})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CFontData font;
        font.SetModified();
        QByteArray copy = c.bytes.data;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        EXPECT_THROW(font.Serialize(ar), CArchiveException);
        EXPECT_EQ(font.GetName(), QStringLiteral("Font"));
        EXPECT_EQ(font.Data(), FontData());
        EXPECT_TRUE(font.IsModified());
    }
}

TEST(FontFile, OffsetsAtBothEndsSurviveTheFile)
{
    FontData data;
    data.firstChar = 48;
    data.lastChar = 50;
    data.pitch32 = 4;
    data.bitmap.assign(4 * 8, 0u);
    data.locTable = {0, 1, 2, 3, 4};
    data.owTable = {FontData::OffsetWidth(-1, 8), FontData::OffsetWidth(-128, 8), FontData::OffsetWidth(127, 8), 8,
                    0xFFFF};
    data.imageWidths = {8, 8, 8, 8};
    ASSERT_TRUE(data.Valid());
    CFontData font;
    font.SetData(data);
    const std::unique_ptr<CFontData> back = ReadFont(Stored(font));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Data(), data);
    EXPECT_EQ(FontData::TextOffsetOf(back->Data().owTable[1]), -128);
}

} // namespace
} // namespace font_file_test
