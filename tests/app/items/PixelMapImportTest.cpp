// Bitmaps imported into the pixel map editor, in one table: files
// ImageMagick writes (1, 4 and 8 bits, 40- and 124-byte headers, raw and
// run-length) and files written here field by field (2 bits, top-down, a
// gap before the pixels, fewer colours than the depth indexes) are taken,
// and their pixels through the new colour table are the bitmap's colours;
// what a pixel map cannot hold, and what cannot be read, is refused with
// its box and changes nothing.

#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "ItemEditorFactories.h"

#include "BitmapFixtures.h"
#include "CBitmapReader.h"
#include "TestSupport.h"

#include <functional>

namespace {

// A bitmap of depth 1, 2, 4 or 8 whose pixel (x, y) is (x + 2y) mod colours,
// with a palette of that many colours.
BmpFile PaletteBitmap(int width, int height, int depth, uint32_t colours)
{
    BmpFile f;
    f.width = width;
    f.height = height;
    f.depth = uint16_t(depth);
    for (uint32_t i = 0; i < colours; ++i)
        f.palette.push_back(0x0F1E2Du * (i + 1) & 0xFFFFFF);
    f.colorsUsed = colours == (1u << depth) ? 0 : colours;
    const int rowBytes = (width * depth + 31) / 32 * 4;
    const int rows = std::abs(height);
    f.pixels = QByteArray(rowBytes * rows, '\0');
    for (int y = 0; y < rows; ++y) {
        const int stored = height > 0 ? rows - 1 - y : y; // bottom-up unless the height is negative
        for (int x = 0; x < width; ++x) {
            const uint32_t value = uint32_t(x + 2 * y) % colours;
            const int bit = x * depth;
            char &byte = f.pixels[stored * rowBytes + bit / 8];
            byte = char(uchar(byte) | (value << (8 - depth - bit % 8)));
        }
    }
    return f;
}

class PixelMapImportTest : public PlatformTest {
public:
    // Public for the table's file makers.
    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = TempPath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    // ImageMagick's bitmap of the test picture, width x 24.
    QString Convert(const QString &name, int width, const QStringList &options, const QString &format)
    {
        const QString source = Write(QStringLiteral("source.ppm"), PpmFile(width, 24, TestPicture(width, 24)));
        const QString path = TempPath(name);
        QString error;
        RunConvert(QStringList{source} + options + QStringList{format + path}, &error);
        EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
        return path;
    }

protected:
    // The working copy's pixels through its colour table, as R, G, B bytes.
    static QByteArray MapRgb(const PixelMapData &map)
    {
        QByteArray out;
        for (int y = 0; y < map.height; ++y) {
            for (int x = 0; x < map.width; ++x) {
                const std::uint32_t colour = map.lut[map.Pixel(x, y)];
                out.append(char(colour & 0xFF)).append(char((colour >> 8) & 0xFF)).append(char((colour >> 16) & 0xFF));
            }
        }
        return out;
    }

    ItemEditorFactories factories;
};

struct Taken {
    const char *what;
    std::function<QString(PixelMapImportTest &)> file;
    int width, height, depth;
    std::size_t colours; // entries the file's table holds; the rest of the LUT is black
};

TEST_F(PixelMapImportTest, BitmapsAMapCanHoldAreTakenWithTheirColours)
{
    const QStringList palette16 = {"-colors", "16", "-depth", "4", "-type", "palette", "-compress", "none"};
    const QStringList palette256 = {"-colors", "256", "-type", "palette", "-compress", "none"};
    const QStringList runLength256 = {"-colors", "256", "-type", "palette"};
    const Taken cases[] = {
        {"1 bit, 40-byte header",
         [](PixelMapImportTest &t) { return t.Convert("bilevel.bmp", 37, {"-type", "bilevel", "-compress", "none"}, "BMP3:"); },
         37, 24, 1, 2},
        {"4 bits, 124-byte header", [&](PixelMapImportTest &t) { return t.Convert("p16.bmp", 21, palette16, "BMP:"); }, 21,
         24, 4, 16},
        {"8 bits, 40-byte header", [&](PixelMapImportTest &t) { return t.Convert("p256.bmp", 30, palette256, "BMP3:"); },
         30, 24, 8, 256},
        {"8-bit runs, 40-byte header",
         [&](PixelMapImportTest &t) { return t.Convert("rle.bmp", 30, runLength256, "BMP3:"); }, 30, 24, 8, 256},
        {"8-bit runs, 124-byte header",
         [&](PixelMapImportTest &t) { return t.Convert("rlev5.bmp", 33, runLength256, "BMP:"); }, 33, 24, 8, 256},
        {"2 bits", [](PixelMapImportTest &t) { return t.Write("d2.bmp", PaletteBitmap(7, 3, 2, 4).Bytes()); }, 7, 3, 2, 4},
        {"top-down", [](PixelMapImportTest &t) { return t.Write("top.bmp", PaletteBitmap(9, -5, 4, 16).Bytes()); }, 9, 5, 4,
         16},
        {"a gap before the pixels",
         [](PixelMapImportTest &t) {
             BmpFile f = PaletteBitmap(5, 4, 8, 256);
             f.offset = 14 + 40 + 4 * 256 + 16;
             f.pixels.prepend(QByteArray(16, '\x7f'));
             return t.Write("gap.bmp", f.Bytes());
         },
         5, 4, 8, 256},
        {"16 colours used at depth 8", [](PixelMapImportTest &t) { return t.Write("c16.bmp", PaletteBitmap(6, 3, 8, 16).Bytes()); },
         6, 3, 8, 16},
        {"3 colours used at depth 4", [](PixelMapImportTest &t) { return t.Write("c3.bmp", PaletteBitmap(6, 3, 4, 3).Bytes()); },
         6, 3, 4, 3},
        {"1024 wide", [](PixelMapImportTest &t) { return t.Write("wide.bmp", PaletteBitmap(1024, 2, 1, 2).Bytes()); }, 1024,
         2, 1, 2},
    };
    for (const Taken &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = c.file(*this);
        CPixelMap map;
        auto *editor = static_cast<CPixelMapEditor *>(map.OpenEditor());
        ASSERT_TRUE(editor->ImportBitmap(path));
        const PixelMapData &working = editor->Working();
        EXPECT_EQ((std::vector<int>{working.width, working.height, working.depth, working.pitch32}),
                  (std::vector<int>{c.width, c.height, c.depth, PixelMapData::Pitch32(c.width, c.depth)}));
        EXPECT_EQ(working.pixels.size(), std::size_t(c.height * working.pitch32));
        ASSERT_EQ(working.lut.size(), PixelMapData::LutSize(c.depth));
        EXPECT_EQ(std::size_t(std::count(working.lut.begin() + std::ptrdiff_t(c.colours), working.lut.end(), 0u)),
                  working.lut.size() - c.colours)
            << "black beyond the file's colours";
        EXPECT_EQ(working.lutSetMask, 0u) << "no standard sets: the source export lists None";
        CBitmapReader reader;
        ASSERT_TRUE(reader.Open(path));
        EXPECT_EQ(MapRgb(working), ReaderRgb(reader));
        EXPECT_TRUE(map.IsModified());
        EXPECT_EQ(editor->windowTitle().section(QLatin1Char(' '), 0, 1),
                  QStringLiteral("pixmap (%1x%2x%3)").arg(c.width).arg(c.height).arg(c.depth));
    }
}

TEST_F(PixelMapImportTest, WhatAMapCannotHoldOrTheReaderCannotReadChangesNothing)
{
    const QString bitmap24 = Convert("true.bmp", 8, {"-type", "truecolor"}, "BMP3:");
    QByteArray whole = PaletteBitmap(40, 30, 8, 256).Bytes();
    const QString cut = Write("cut.bmp", whole.left(whole.size() - 100));
    const QString wide = Write("wide.bmp", PaletteBitmap(1025, 1, 1, 2).Bytes());
    const QString tall = Write("tall.bmp", PaletteBitmap(1, 1025, 1, 2).Bytes());
    const QString png = Write("picture.png", PaletteBitmap(4, 4, 8, 256).Bytes());
    const struct {
        const char *what;
        QString path;
        QString text;    // the box's whole text
        QString caption;
        unsigned icon;
    } cases[] = {
        {"24 bits", bitmap24, QStringLiteral("Pixel depth must be <= 8 (256 colors max)"), QStringLiteral("Error"), 0},
        {"cut short", cut,
         QStringLiteral("Unable to open the file:\n\n%1\n\nThe pixel rows end past the end of the file.").arg(cut),
         QStringLiteral("Error"), MB_ICONWARNING},
        {"1025 wide", wide, QStringLiteral("The bitmap is 1025 x 1 pixels; a pixel map is at most 1024 x 1024 pixels."),
         QStringLiteral("Error"), MB_ICONWARNING},
        {"1025 tall", tall, QStringLiteral("The bitmap is 1 x 1025 pixels; a pixel map is at most 1024 x 1024 pixels."),
         QStringLiteral("Error"), MB_ICONWARNING},
        {"not .bmp", png, QStringLiteral("Unacceptable file type!"), QStringLiteral("Error"), MB_ICONWARNING},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CPixelMap map;
        auto *editor = static_cast<CPixelMapEditor *>(map.OpenEditor());
        editor->PaintPixel(1, 1); // unsaved pixels the failed import must keep
        const PixelMapData before = editor->Working();
        prompter.ExpectMessage(PromptMatch::Text(c.text).AndCaption(c.caption), IDOK, MB_OK | c.icon);
        EXPECT_FALSE(editor->ImportBitmap(c.path));
        EXPECT_EQ(editor->Working(), before);
        prompter.VerifyAllUsed();
    }
}

TEST_F(PixelMapImportTest, ImportAsksForABitmapBesideTheMap)
{
    CPixelMap map;
    map.SetName(QStringLiteral("Logo.v2"));
    map.SetFilePath(TempPath(QStringLiteral("Logo.pmp")));
    auto *editor = static_cast<CPixelMapEditor *>(map.OpenEditor());
    const QString path = Write(QStringLiteral("logo.BMP"), PaletteBitmap(4, 2, 4, 16).Bytes());
    prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Select an Image File")), FileResult{true, {path}, 1});
    editor->Router().Execute(ID_MAP_IMPORT);
    const std::vector<FileRequest> &requests = prompter.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].fileName, QStringLiteral("Logo"));
    EXPECT_EQ(requests[0].folder, map.GetFolder());
    EXPECT_EQ(requests[0].defaultExtension, QStringLiteral("bmp"));
    EXPECT_EQ(editor->Working().width, 4) << "an upper-case extension is a bitmap too";
}

} // namespace
