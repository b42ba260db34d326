// The bitmap reader against ImageMagick's writer and decoder, hand-written
// files for the dump, the plane file and every refusal.

#include "CBitmapReader.h"

#include "AppFolders.h"
#include "BitmapFixtures.h"
#include "CProgressDlg.h"
#include "StatusRecorder.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

uint32_t U32At(const QByteArray &b, int at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
        | uint32_t(uint8_t(b[at + 3])) << 24;
}

void SetU32At(QByteArray &b, int at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// The same picture stored top-down: height negated, rows in reverse order.
QByteArray TopDownCopy(QByteArray b)
{
    const uint32_t offset = U32At(b, 10);
    const int32_t width = int32_t(U32At(b, 18));
    const int32_t height = int32_t(U32At(b, 22));
    const int bits = uint8_t(b[28]) | uint8_t(b[29]) << 8;
    const int rowBytes = (width * bits + 31) / 32 * 4;
    QByteArray rows;
    for (int r = height - 1; r >= 0; --r)
        rows += b.mid(int(offset) + r * rowBytes, rowBytes);
    b.replace(int(offset), rows.size(), rows);
    SetU32At(b, 22, uint32_t(-height));
    return b;
}

// A V4 header made from a V5 file by dropping the V5 fields at its end.
QByteArray V4Copy(QByteArray b)
{
    b.remove(14 + 108, 16);
    SetU32At(b, 14, 108);
    SetU32At(b, 2, U32At(b, 2) - 16);
    SetU32At(b, 10, U32At(b, 10) - 16);
    return b;
}

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

std::vector<uint32_t> Grey16()
{
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back(0x010101u * (i * 16 + 3) ^ (i << 16));
    return palette;
}

// A 3 x 2 bitmap of 4 bits a pixel, bottom row first: 1 2 3 / 4 5 6.
BmpFile FourBit3x2()
{
    BmpFile f;
    f.width = 3;
    f.height = 2;
    f.depth = 4;
    f.palette = Grey16();
    f.pixels = Hex("12300000" "45600000");
    return f;
}

// A 4 x 2 bitmap of 8-bit run-length data.
BmpFile Rle8With(const char *stream)
{
    BmpFile f;
    f.width = 4;
    f.height = 2;
    f.depth = 8;
    f.compression = 1;
    f.colorsUsed = 8;
    for (uint32_t i = 0; i < 8; ++i)
        f.palette.push_back(0x102030u * i);
    f.pixels = Hex(stream);
    return f;
}

class BitmapReaderTest : public PlatformTest {
protected:
    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = TempPath(name);
        EXPECT_TRUE(WriteFile(path, bytes)) << qPrintable(path);
        return path;
    }

    // name written by ImageMagick from the test picture, width x 24 pixels.
    QString Convert(const QString &name, int width, const QStringList &options, const QString &format)
    {
        const QString source = Write(QStringLiteral("source.ppm"), PpmFile(width, 24, TestPicture(width, 24)));
        const QString path = TempPath(name);
        QString error;
        RunConvert(QStringList{source} + options + QStringList{format + path}, &error);
        EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
        return path;
    }

    static QByteArray Decoded(const QString &path, const char *format = "rgb:-")
    {
        QString error;
        const QByteArray out = RunConvert({path, QStringLiteral("-depth"), QStringLiteral("8"), QString::fromLatin1(format)}, &error);
        EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
        return out;
    }

    static QByteArray Dump() { return ReadFile(AppDataFile(QStringLiteral("bmp.txt"))); }

    // The bytes WritePlaneFile writes into a file.
    QByteArray PlaneBytes(CBitmapReader &reader, bool expand, int plane, int *result, CProgressDlg *progress = nullptr)
    {
        const QString path = TempPath(QStringLiteral("plane.raw"));
        FILE *out = std::fopen(qPrintable(path), "wb");
        EXPECT_NE(out, nullptr);
        if (out == nullptr)
            return {};
        *result = reader.WritePlaneFile(out, progress, expand, plane);
        std::fclose(out);
        return ReadFile(path);
    }

    CBitmapReader reader;
};

// --- Compatibility with ImageMagick ---------------------------------------------

struct Writer {
    const char *name;
    QStringList options;
    const char *format;
    int depth;
    uint32_t headerSize;
    uint32_t compression;
    const char *decoded; // ImageMagick's output form
};

const std::vector<Writer> &Writers()
{
    static const std::vector<Writer> writers = {
        {"bilevel", {"-type", "bilevel"}, "BMP3:", 1, 40, 0, "rgb:-"},
        {"palette16", {"-colors", "16", "-depth", "4", "-type", "palette", "-compress", "none"}, "BMP3:", 4, 40, 0, "rgb:-"},
        {"palette256", {"-colors", "256", "-type", "palette", "-compress", "none"}, "BMP3:", 8, 40, 0, "rgb:-"},
        {"palette256rle", {"-colors", "256", "-type", "palette"}, "BMP3:", 8, 40, 1, "rgb:-"},
        {"palette256v5", {"-colors", "256", "-type", "palette", "-compress", "none"}, "BMP:", 8, 124, 0, "rgb:-"},
        {"palette256rlev5", {"-colors", "256", "-type", "palette"}, "BMP:", 8, 124, 1, "rgb:-"},
        {"truecolor", {"-type", "truecolor"}, "BMP3:", 24, 40, 0, "rgb:-"},
        {"truecolorv5", {"-type", "truecolor"}, "BMP:", 24, 124, 0, "rgb:-"},
        {"truecolormatte", {"-type", "truecolormatte"}, "BMP:", 32, 124, 3, "rgba:-"},
    };
    return writers;
}

TEST_F(BitmapReaderTest, EveryPixelEqualsImageMagicksAtEveryDepthAndRowPadding)
{
    for (int width : {1, 3, 5, 31, 33}) {
        for (const Writer &w : Writers()) {
            SCOPED_TRACE(std::string(w.name) + " width " + std::to_string(width));
            const QString path = Convert(QStringLiteral("%1_%2.bmp").arg(QLatin1String(w.name)).arg(width), width, w.options,
                                         QLatin1String(w.format));
            const QByteArray file = ReadFile(path);
            // What ImageMagick wrote is what the row means to test.
            ASSERT_GE(file.size(), 54);
            ASSERT_EQ(U32At(file, 14), w.headerSize);
            ASSERT_EQ(uint8_t(file[28]), w.depth);
            ASSERT_EQ(U32At(file, 30), w.compression);

            ASSERT_TRUE(reader.Open(path)) << qPrintable(reader.GetFailureText());
            EXPECT_EQ(reader.width, width);
            EXPECT_EQ(reader.height, 24u);
            EXPECT_EQ(reader.depth, w.depth);
            EXPECT_EQ(reader.wordsPerRow, uint32_t((width * w.depth + 31) / 32));
            // ImageMagick's decoder misplaces the padding its own encoder codes
            // in a run of a 1-pixel row, so run-length files are held against
            // the same picture written raw.
            QString reference = path;
            if (w.compression == 1)
                reference = Convert(QStringLiteral("raw_%1").arg(width), width, w.options + QStringList{"-compress", "none"},
                                    QLatin1String(w.format));
            EXPECT_EQ(ReaderRgb(reader, w.depth == 32), Decoded(reference, w.decoded));
        }
    }
}

TEST_F(BitmapReaderTest, TopDownAndV4CopiesGiveTheSameRows)
{
    struct Copy {
        const char *writer;
        QByteArray (*make)(QByteArray);
    };
    const Copy copies[] = {
        {"bilevel", TopDownCopy},      {"palette16", TopDownCopy},    {"palette256", TopDownCopy},
        {"truecolor", TopDownCopy},    {"truecolormatte", TopDownCopy}, {"palette256v5", V4Copy},
        {"palette256rlev5", V4Copy},   {"truecolorv5", V4Copy},       {"truecolormatte", V4Copy},
    };
    for (const Copy &copy : copies) {
        SCOPED_TRACE(copy.writer);
        const Writer *w = nullptr;
        for (const Writer &candidate : Writers())
            if (std::string(candidate.name) == copy.writer)
                w = &candidate;
        ASSERT_NE(w, nullptr);
        const QString original = Convert(QStringLiteral("original.bmp"), 33, w->options, QLatin1String(w->format));
        const QString changed = Write(QStringLiteral("copy.bmp"), copy.make(ReadFile(original)));
        ASSERT_TRUE(reader.Open(changed)) << qPrintable(reader.GetFailureText());
        EXPECT_EQ(ReaderRgb(reader, w->depth == 32), Decoded(original, w->decoded));
    }
}

TEST_F(BitmapReaderTest, HandWrittenRunLength4StreamsDecodeAsImageMagickDecodesThem)
{
    struct Stream {
        const char *name;
        const char *bytes;
        const char *indexes; // top row first, one hex digit a pixel
    };
    const Stream streams[] = {
        // Odd encoded and absolute runs with padding, an early end of line,
        // a delta over the rest of a row and into the next, end of bitmap.
        {"runs, padding, delta",
         "0512" "00033450" "0000"
         "0005" "6789a000" "04bc" "0000"
         "02de" "00020301" "04f1" "0001",
         "00000f1f1" "de0000000" "6789abcbc" "121213450"},
        // A delta along a row; encoded runs at the end of a row.
        {"no end of bitmap",
         "09ab" "0000" "0003" "1230" "06cd" "0000" "0002" "0300" "0003" "4560" "0000" "0500" "04ef" "0001",
         "00000efef" "000456000" "123cdcdcd" "ababababa"},
        // The whole image in one absolute run a row, an end of line after the last.
        {"absolute rows",
         "0009" "12345678" "9000" "0000"
         "0009" "abcdef12" "3000" "0000"
         "0009" "11111111" "1000" "0000"
         "0009" "fedcba98" "7000" "0000" "0001",
         "fedcba987" "111111111" "abcdef123" "123456789"},
    };
    for (const Stream &s : streams) {
        SCOPED_TRACE(s.name);
        BmpFile f;
        f.width = 9;
        f.height = 4;
        f.depth = 4;
        f.compression = 2;
        f.palette = Grey16();
        f.pixels = Hex(s.bytes);
        const QString path = Write(QStringLiteral("rle4.bmp"), f.Bytes());
        ASSERT_TRUE(reader.Open(path)) << qPrintable(reader.GetFailureText());
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(reader.ReadPixels(pixels));
        QByteArray rows;
        for (uint32_t word : pixels)
            rows += QByteArray::number(word, 16).rightJustified(8, '0');
        QByteArray expected;
        for (int y = 0; y < 4; ++y) // each row is 2 words: 9 pixels and 7 of padding
            expected += QByteArray(s.indexes).mid(y * 9, 9) + "0000000";
        EXPECT_EQ(rows, expected);
        EXPECT_EQ(ReaderRgb(reader), Decoded(path));
    }
}

TEST_F(BitmapReaderTest, ImageMagicksFormsWithoutAnInfoHeaderOrWithoutMasksAreRefused)
{
    const struct {
        const char *format;
        QStringList options;
        const char *reason;
    } refused[] = {
        {"BMP2:", {}, "Unknown header type!"},
        {"BMP3:", {"-define", "bmp:subtype=RGB565"}, "The pixel offset 54 lies inside the headers."},
    };
    for (const auto &r : refused) {
        SCOPED_TRACE(r.format);
        const QString path = Convert(QStringLiteral("refused.bmp"), 5, r.options, QLatin1String(r.format));
        EXPECT_FALSE(reader.Open(path));
        EXPECT_EQ(reader.GetFailureText(), QLatin1String(r.reason));
        EXPECT_FALSE(reader.IsOpen());
    }
}

// --- Reading ----------------------------------------------------------------------

TEST_F(BitmapReaderTest, ColourTableEntriesFollowColoursUsedAndTheDepth)
{
    BmpFile depth8 = FourBit3x2();
    depth8.depth = 8;
    depth8.palette.resize(256);
    depth8.pixels = Hex("01020300" "04050600");
    BmpFile depth24;
    depth24.depth = 24;
    depth24.colorsUsed = 5; // only two lie before the pixels
    depth24.palette = {0x123456, 0xABCDEF};
    depth24.pixels = Hex("01020300");
    BmpFile fewer = FourBit3x2();
    fewer.colorsUsed = 3;
    fewer.palette.resize(3);
    const struct {
        const char *name;
        BmpFile file;
        size_t entries;
    } rows[] = {{"depth 4, colours used 0", FourBit3x2(), 16}, {"depth 8, colours used 0", depth8, 256},
                {"depth 4, colours used 3", fewer, 3}, {"depth 24, colours used 5", depth24, 2}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(reader.Open(Write(QStringLiteral("table.bmp"), row.file.Bytes()))) << qPrintable(reader.GetFailureText());
        std::vector<uint32_t> lut(1000, 7);
        ASSERT_TRUE(reader.ReadColorTable(lut));
        ASSERT_EQ(lut.size(), row.entries);
        for (size_t i = 0; i < std::min<size_t>(2, row.entries); ++i) {
            const uint32_t rgb = row.file.palette[i];
            EXPECT_EQ(lut[i], (rgb >> 16) | (rgb & 0xFF00) | (rgb & 0xFF) << 16) << i; // 0x00BBGGRR
        }
    }
}

TEST_F(BitmapReaderTest, PixelWordsComeTopRowFirstWithTheFirstPixelHigh)
{
    BmpFile truecolour;
    truecolour.width = 3;
    truecolour.height = 2;
    truecolour.depth = 24;
    truecolour.pixels = Hex("010203040506070809000000" "1112131415161718191a1b1c");
    BmpFile topDown = truecolour;
    topDown.height = -2;
    BmpFile bitFields = truecolour;
    bitFields.depth = 16;
    bitFields.compression = 3;
    bitFields.masks = Hex("00f80000" "e0070000" "1f000000");
    bitFields.pixels = Hex("0102030405060000" "1112131415161718");
    const struct {
        const char *name;
        BmpFile file;
        std::vector<uint32_t> words;
    } rows[] = {
        {"bottom-up", truecolour, {0x11121314, 0x15161718, 0x191a1b1c, 0x01020304, 0x05060708, 0x09000000}},
        {"top-down", topDown, {0x01020304, 0x05060708, 0x09000000, 0x11121314, 0x15161718, 0x191a1b1c}},
        {"16-bit fields", bitFields, {0x11121314, 0x15161718, 0x01020304, 0x05060000}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(reader.Open(Write(QStringLiteral("words.bmp"), row.file.Bytes()))) << qPrintable(reader.GetFailureText());
        std::vector<uint32_t> words;
        ASSERT_TRUE(reader.ReadPixels(words));
        EXPECT_EQ(words, row.words);
    }
}

TEST_F(BitmapReaderTest, NothingIsReadWhenNothingIsOpen)
{
    std::vector<uint32_t> lut;
    std::vector<uint32_t> words;
    EXPECT_FALSE(reader.ReadColorTable(lut));
    EXPECT_FALSE(reader.ReadPixels(words));
    ASSERT_TRUE(reader.Open(Write(QStringLiteral("a.bmp"), FourBit3x2().Bytes())));
    reader.Close();
    reader.Close();
    EXPECT_FALSE(reader.ReadPixels(words));
    int result = -1;
    EXPECT_TRUE(PlaneBytes(reader, false, 0, &result).isEmpty());
    EXPECT_EQ(result, 0);
}

// --- Refusals ---------------------------------------------------------------------

TEST_F(BitmapReaderTest, BadFilesAreRefusedWithTheirReason)
{
    const QByteArray good = FourBit3x2().Bytes(); // 14 + 40 + 64 + 8 bytes
    auto with = [](auto change) {
        BmpFile f = FourBit3x2();
        change(f);
        return f.Bytes();
    };
    const struct {
        const char *name;
        QByteArray bytes;
        const char *reason;
    } rows[] = {
        {"empty", QByteArray(), "Unable to read the file header!"},
        {"cut in the file header", good.left(10), "Unable to read the file header!"},
        {"cut in the header size", good.left(16), "Unable to read the header size!"},
        {"cut in the info header", good.left(40), "Error Parsing Header 1!"},
        {"cut in the palette", good.left(90), "The pixel offset 118 lies past the end of the file."},
        {"cut in the rows", good.left(good.size() - 1), "The pixel rows end past the end of the file."},
        {"12-byte header", with([](BmpFile &f) { f.headerSize = 12; }), "Unknown header type!"},
        {"56-byte header", with([](BmpFile &f) { f.headerSize = 56; }), "Unknown header type!"},
        {"width 0", with([](BmpFile &f) { f.width = 0; }), "The width 0 is not in 1..32767."},
        {"width -1", with([](BmpFile &f) { f.width = -1; }), "The width -1 is not in 1..32767."},
        {"width 40000", with([](BmpFile &f) { f.width = 40000; }), "The width 40000 is not in 1..32767."},
        {"height 0", with([](BmpFile &f) { f.height = 0; }), "The height 0 is not in 1..32767."},
        {"height INT_MIN", with([](BmpFile &f) { f.height = INT_MIN; }), "The height 2147483648 is not in 1..32767."},
        {"depth 0", with([](BmpFile &f) { f.depth = 0; }), "A pixel depth of 0 bits is not supported."},
        {"depth 3", with([](BmpFile &f) { f.depth = 3; }), "A pixel depth of 3 bits is not supported."},
        {"depth 64", with([](BmpFile &f) { f.depth = 64; }), "A pixel depth of 64 bits is not supported."},
        {"compression 4", with([](BmpFile &f) { f.compression = 4; }), "Unknown Scheme!"},
        {"bit fields at depth 4", with([](BmpFile &f) { f.compression = 3; f.masks = QByteArray(12, '\xff'); }),
         "Color masks need a pixel depth of 16 or 32, not 4."},
        {"8-bit runs at depth 4", with([](BmpFile &f) { f.compression = 1; }),
         "8-bit run-length data needs a pixel depth of 8, not 4."},
        {"4-bit runs at depth 8", with([](BmpFile &f) { f.compression = 2; f.depth = 8; }),
         "4-bit run-length data needs a pixel depth of 4, not 8."},
        {"runs top-down", with([](BmpFile &f) { f.compression = 2; f.height = -2; }),
         "Run-length data cannot be stored top-down."},
        {"17 colours at depth 4", with([](BmpFile &f) { f.colorsUsed = 17; }),
         "17 colors used are more than a depth of 4 can index."},
        {"257 colours at depth 8", with([](BmpFile &f) { f.colorsUsed = 257; f.depth = 8; }),
         "257 colors used are more than a depth of 8 can index."},
        {"0xFFFFFFFF colours", with([](BmpFile &f) { f.colorsUsed = 0xFFFFFFFF; f.depth = 8; }),
         "4294967295 colors used are more than a depth of 8 can index."},
        {"offset inside the palette", with([](BmpFile &f) { f.offset = 14 + 40 + 8; }),
         "The color table runs into the pixels at offset 62."},
        {"offset inside the header", with([](BmpFile &f) { f.offset = 30; }), "The pixel offset 30 lies inside the headers."},
        {"offset past the end", with([](BmpFile &f) { f.offset = 4000; }), "The pixel offset 4000 lies past the end of the file."},
        {"run past its row", Rle8With("0501" "0001").Bytes(), "A run-length run leaves its row."},
        {"absolute run past its row", Rle8With("0201" "0003" "01020300").Bytes(), "A run-length run leaves its row."},
        {"run past the image", Rle8With("0401" "0000" "0402" "0000" "0103").Bytes(), "A run-length run lies past the last row."},
        {"delta past the image", Rle8With("0002" "0002").Bytes(), "A run-length delta leaves the image."},
        {"delta past its row", Rle8With("0201" "0002" "0300").Bytes(), "A run-length delta leaves the image."},
        {"run past the data", Rle8With("0401" "0000" "0003" "0102").Bytes(), "Run-length data ends inside a run."},
        {"cut mid-run", Rle8With("0401" "0000" "04").Bytes(), "Run-length data ends inside a run."},
        {"cut in a delta", Rle8With("0002" "01").Bytes(), "Run-length data ends inside a delta."},
        {"rows missing", Rle8With("0401" "0000").Bytes(), "Run-length data ends before the last row."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(reader.Open(Write(QStringLiteral("bad.bmp"), row.bytes)));
        EXPECT_EQ(reader.GetFailureText(), QLatin1String(row.reason));
        EXPECT_FALSE(reader.IsOpen());
        std::vector<uint32_t> words;
        EXPECT_FALSE(reader.ReadPixels(words));
        if (std::string(row.reason) != "Unknown Scheme!") {
            EXPECT_TRUE(Dump().endsWith("\n*** " + QByteArray(row.reason) + "\n")) << Dump().toStdString();
        }
    }
}

TEST_F(BitmapReaderTest, RunLengthSkipsLeaveIndexZeroAndAMissingEndOfBitmapIsAccepted)
{
    const struct {
        const char *name;
        const char *stream;
        std::vector<uint32_t> words; // top row first
    } rows[] = {
        {"early end of line", "0203" "0000" "0104" "0001", {0x04000000, 0x03030000}},
        {"delta", "0002" "0201" "0105" "0001", {0x00000500, 0x00000000}},
        {"end of bitmap early", "0001", {0, 0}},
        {"no end of bitmap", "0406" "0000" "0407", {0x07070707, 0x06060606}},
        {"absolute runs padded", "00030102" "0300" "0104" "0000" "0004" "05060708", {0x05060708, 0x01020304}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(reader.Open(Write(QStringLiteral("rle8.bmp"), Rle8With(row.stream).Bytes())))
            << qPrintable(reader.GetFailureText());
        std::vector<uint32_t> words;
        ASSERT_TRUE(reader.ReadPixels(words));
        EXPECT_EQ(words, row.words);
    }
}

// --- The dump ----------------------------------------------------------------------

TEST_F(BitmapReaderTest, TheDumpListsTheHeadersLineByLine)
{
    const QString path = Write(QStringLiteral("four.bmp"), FourBit3x2().Bytes());
    ASSERT_TRUE(reader.Open(path));
    reader.Close();
    const QByteArray expected = path.toUtf8() + "\n"
        "----------------------------------------------\n"
        "       Type: 4D42  OK\n"
        "  File Size: 126 (0x7E)\n"
        "     Offset: 118 (0x76)\n"
        "Header Size: 40 (28)  V:1\n"
        "      Width: 3\n"
        "     Height: 2\n"
        "  Direction: Bottom-Up\n"
        "     Planes: 1\n"
        "Pixel Depth: 4\n"
        "Compression: 0 = RGB (not compressed)\n"
        " Image Size: 8 (8) Bytes\n"
        " Target Res: 2835 x 2835 Pels/Meter\n"
        "Colors Used: 0 = All are used\n"
        " Colors Req: 0 = All are required\n";
    EXPECT_EQ(Dump(), expected);
}

TEST_F(BitmapReaderTest, TheDumpMarksAWrongTypeAndOtherHeadersButOpenGoesOn)
{
    BmpFile wrong = FourBit3x2();
    wrong.type = 0x4142;
    wrong.colorsUsed = 16;
    wrong.colorsImportant = 2;
    wrong.height = -2;
    ASSERT_TRUE(reader.Open(Write(QStringLiteral("wrong.bmp"), wrong.Bytes())));
    EXPECT_TRUE(Dump().contains("\n       Type: 4142  WRONG!\n  File Size: 126 (0x7E)\n"));
    EXPECT_TRUE(Dump().contains("\n  Direction: Top-Down\n"));
    EXPECT_TRUE(Dump().endsWith("\nColors Used: 16\n Colors Req: 2\n"));

    BmpFile v5 = FourBit3x2();
    v5.headerSize = 124;
    ASSERT_TRUE(reader.Open(Write(QStringLiteral("v5.bmp"), v5.Bytes())));
    EXPECT_TRUE(Dump().contains("\nHeader Size: 124 (7C)  V:5\n"));
    EXPECT_TRUE(Dump().endsWith(" = All are required\n\nRead V5 Header Data.\n"));

    EXPECT_FALSE(reader.Open(TempPath(QStringLiteral("missing.bmp"))));
    EXPECT_EQ(Dump(), "\n*** Unable to open BMP file: " + TempPath(QStringLiteral("missing.bmp")).toUtf8() + "\n");
}

TEST_F(BitmapReaderTest, OpenWorksWhenTheDumpCannotBeWritten)
{
    const QString path = Write(QStringLiteral("four.bmp"), FourBit3x2().Bytes());
    // "bmp.txt" is a folder: the dump cannot be opened.
    const QString dump = AppDataFile(QStringLiteral("bmp.txt"));
    QFile::remove(dump);
    ASSERT_TRUE(QDir().mkpath(dump));
    EXPECT_TRUE(reader.Open(path)) << qPrintable(reader.GetFailureText());
    reader.Close();
    QDir(dump).removeRecursively();

    // No data folder at all: it would lie under a plain file.
    const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
    const QString plain = Write(QStringLiteral("plain"), "x");
    qputenv("XDG_DATA_HOME", (plain + QStringLiteral("/data")).toLocal8Bit());
    EXPECT_TRUE(AppDataFolder().isEmpty());
    EXPECT_TRUE(reader.Open(path)) << qPrintable(reader.GetFailureText());
    std::vector<uint32_t> words;
    EXPECT_TRUE(reader.ReadPixels(words));
    qputenv("XDG_DATA_HOME", savedHome);
    EXPECT_FALSE(QFile::exists(QStringLiteral("bmp.txt")));
}

// --- The plane file -----------------------------------------------------------------

TEST_F(BitmapReaderTest, RawRowsComeTopRowFirstWithNibblesSwappedAtDepth4)
{
    BmpFile eight = FourBit3x2();
    eight.depth = 8;
    eight.palette.resize(256);
    eight.pixels = Hex("01020300" "04050600");
    const struct {
        const char *name;
        BmpFile file;
        QByteArray bytes;
    } rows[] = {
        {"depth 4", FourBit3x2(), Hex("54060000" "21030000")},
        {"depth 8", eight, Hex("04050600" "01020300")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(reader.Open(Write(QStringLiteral("raw.bmp"), row.file.Bytes())));
        int result = 0;
        EXPECT_EQ(PlaneBytes(reader, false, 0, &result), row.bytes);
        EXPECT_EQ(result, 1);
    }
}

TEST_F(BitmapReaderTest, ExpandedPlanesEqualImageMagicksChannels)
{
    const char *kinds[] = {"palette16", "palette256", "palette256rle", "truecolor"};
    const char *channels[] = {"R", "G", "B"};
    for (const char *kind : kinds) {
        const Writer *w = nullptr;
        for (const Writer &candidate : Writers())
            if (std::string(candidate.name) == kind)
                w = &candidate;
        ASSERT_NE(w, nullptr);
        const QString path = Convert(QStringLiteral("planes.bmp"), 31, w->options, QLatin1String(w->format));
        ASSERT_TRUE(reader.Open(path)) << qPrintable(reader.GetFailureText());
        for (int plane = 0; plane < 3; ++plane) {
            SCOPED_TRACE(std::string(kind) + " plane " + channels[plane]);
            int result = 0;
            const QByteArray bytes = PlaneBytes(reader, true, plane, &result);
            EXPECT_EQ(result, int(reader.wordsPerRow));
            QString error;
            const QByteArray expected =
                RunConvert({path, "-channel", QLatin1String(channels[plane]), "-separate", "-depth", "8", "gray:-"}, &error);
            ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
            EXPECT_EQ(bytes, expected);
        }
    }
}

TEST_F(BitmapReaderTest, ExpansionGivesZeroPastTheTableAndRefusesOtherDepths)
{
    BmpFile shortTable = FourBit3x2();
    shortTable.colorsUsed = 2;
    shortTable.palette = {0x102030, 0x405060};
    shortTable.pixels = Hex("01500000" "10f00000");
    ASSERT_TRUE(reader.Open(Write(QStringLiteral("short.bmp"), shortTable.Bytes())));
    int result = 0;
    EXPECT_EQ(PlaneBytes(reader, true, 1, &result), Hex("502000" "205000"));
    EXPECT_EQ(result, 1);

    BmpFile one;
    one.width = 9;
    one.depth = 1;
    one.palette = {0, 0xFFFFFF};
    one.pixels = Hex("ff800000");
    BmpFile two = one;
    two.depth = 32;
    two.palette.clear();
    two.width = 1;
    two.pixels = Hex("01020304");
    for (const BmpFile &file : {one, two}) {
        SCOPED_TRACE(file.depth);
        ASSERT_TRUE(reader.Open(Write(QStringLiteral("other.bmp"), file.Bytes())));
        EXPECT_TRUE(PlaneBytes(reader, true, 0, &result).isEmpty());
        EXPECT_EQ(result, 0);
        EXPECT_FALSE(reader.GetFailureText().isEmpty());
        EXPECT_FALSE(PlaneBytes(reader, false, 0, &result).isEmpty()) << "raw rows are written at any depth";
    }
}

TEST_F(BitmapReaderTest, EveryRowShowsItsLineOnTheProgressWindow)
{
    BmpFile three = FourBit3x2();
    three.height = 3;
    three.pixels = Hex("12300000" "45600000" "78900000");
    ASSERT_TRUE(reader.Open(Write(QStringLiteral("three.bmp"), three.Bytes())));
    StatusRecorder status;
    CProgressDlg progress(nullptr, false);
    int result = 0;
    PlaneBytes(reader, true, 0, &result, &progress);
    progress.DestroyWindow();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(status.steps, (std::vector<std::string>{"Line 1", "Line 2", "Line 3"}));
}

} // namespace
