// The .xrf writer: the magic, the source's header and colour table bytes,
// then the three colour planes as the codec codes them, each above the
// quality floor; refusals leave no file.

#include "CBitmapReader.h"

#include "BitmapFixtures.h"
#include "CFractalCodec.h"
#include "FractalFixtures.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include <QFile>

#include <string>

namespace {

constexpr char kFinished[] = "Finished Compression";

class CompressFractalTest : public PlatformTest {
protected:
    // A bitmap of the test picture: red the test plane, green its negative,
    // blue the plane of a taller picture.
    QString Bitmap(int width, int height, const QStringList &options)
    {
        const QByteArray red = TestPlane(width, height);
        const QByteArray blue = TestPlane(width, height + 32).mid(32 * width);
        QByteArray rgb;
        for (int i = 0; i < width * height; ++i)
            rgb.append(red[i]).append(char(255 - uint8_t(red[i]))).append(blue[i]);
        const QString source = TempPath(QStringLiteral("source.ppm"));
        const QString path = TempPath(QStringLiteral("picture.bmp"));
        EXPECT_TRUE(WriteFile(source, PpmFile(width, height, rgb)));
        QString error;
        RunConvert(QStringList{source} + options + QStringList{"BMP3:" + path}, &error);
        EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
        return path;
    }

    QByteArray Channel(const QString &bitmap, const char *channel)
    {
        QString error;
        const QByteArray plane =
            RunConvert({bitmap, "-channel", QLatin1String(channel), "-separate", "-depth", "8", "gray:-"}, &error);
        EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
        return plane;
    }

    // The codec's own stream of a plane, as the writer is to call it.
    QByteArray Stream(const QByteArray &plane, int width, int height)
    {
        const QString in = TempPath(QStringLiteral("reference.raw"));
        const QString out = TempPath(QStringLiteral("reference.fic"));
        EXPECT_TRUE(WriteFile(in, plane));
        QFile::remove(out);
        CFractalCodec codec;
        codec.SetFiles(in, out, 0);
        EXPECT_EQ(codec.Compress(nullptr, {.tolerance = 8.0, .rowLength = width, .rowCount = height, .deepDepth = 6,
                                           .shallowDepth = 4, .domainStep = 1, .scaleBits = 5, .offsetBits = 7,
                                           .scaleLimit = 1.0, .domainStepMode = 0}),
                  0);
        return ReadFile(out);
    }

    QByteArray Decode(const QByteArray &stream)
    {
        const QString in = TempPath(QStringLiteral("decode.fic"));
        const QString out = TempPath(QStringLiteral("decode.dat"));
        EXPECT_TRUE(WriteFile(in, stream));
        CFractalCodec codec;
        codec.SetFiles(in, out, 0);
        EXPECT_EQ(codec.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7), 0);
        return ReadFile(out);
    }

    size_t FinishedBoxes() const
    {
        size_t count = 0;
        for (const PromptRecord &r : prompter.Messages())
            count += r.caption == QLatin1String(kFinished) ? 1 : 0;
        return count;
    }

    CBitmapReader reader;
};

TEST_F(CompressFractalTest, TheFileHoldsTheHeadersThenThreeCodedPlanes)
{
    prompter.AllowMessage(PromptMatch::Caption(QLatin1String(kFinished)), IDOK);
    const struct {
        const char *name;
        QStringList options;
        int depth;
        int tableBytes;
    } kinds[] = {
        {"depth 24", {"-type", "truecolor"}, 24, 0},
        {"depth 8", {"-colors", "256", "-type", "palette", "-compress", "none"}, 8, 1024},
        {"depth 4", {"-colors", "16", "-depth", "4", "-type", "palette", "-compress", "none"}, 4, 64},
    };
    constexpr int kWidth = 192;
    constexpr int kHeight = 128;
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString bitmap = Bitmap(kWidth, kHeight, kind.options);
        ASSERT_TRUE(reader.Open(bitmap)) << qPrintable(reader.GetFailureText());
        ASSERT_EQ(reader.depth, kind.depth);
        const QString xrf = TempPath(QStringLiteral("picture.xrf"));
        const size_t before = FinishedBoxes();
        ASSERT_TRUE(reader.CompressFractal(xrf, nullptr));
        EXPECT_EQ(FinishedBoxes() - before, 3u);

        const QByteArray file = ReadFile(xrf);
        const QByteArray source = ReadFile(bitmap);
        const int headerBytes = 10 + 40 + kind.tableBytes;
        EXPECT_EQ(file.left(10), QByteArray("XR Fractal"));
        EXPECT_EQ(file.mid(10, 40 + kind.tableBytes), source.mid(14, 40 + kind.tableBytes));
        QByteArray streams;
        for (const char *channel : {"R", "G", "B"}) {
            const QByteArray plane = Channel(bitmap, channel);
            const QByteArray stream = Stream(plane, kWidth, kHeight);
            streams += stream;
            const double floor = Psnr(plane, FloorPlane(plane, kWidth, kHeight, 128 >> 6));
            EXPECT_GE(Psnr(plane, Decode(stream)), floor) << channel;
        }
        EXPECT_EQ(file.mid(headerBytes), streams);
    }
}

TEST_F(CompressFractalTest, RefusalsLeaveNoFile)
{
    const QString xrf = TempPath(QStringLiteral("refused.xrf"));
    const struct {
        const char *name;
        QStringList options;
        int width, height;
        const char *text;
    } rows[] = {
        {"depth 1", {"-type", "bilevel"}, 64, 64,
         "Only bitmaps of 4, 8 and 24 bits a pixel can be compressed; this one has 1."},
        {"33 x 21", {"-type", "truecolor"}, 33, 21, "Compression Error 300"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(reader.Open(Bitmap(row.width, row.height, row.options)));
        prompter.ExpectMessage(PromptMatch::Text(QLatin1String(row.text)).AndCaption(QStringLiteral("Error")), IDOK,
                               MB_OK | MB_ICONWARNING);
        EXPECT_FALSE(reader.CompressFractal(xrf, nullptr));
        EXPECT_FALSE(QFile::exists(xrf));
    }

    // 32 bits a pixel, written by hand.
    BmpFile deep;
    deep.depth = 32;
    deep.width = 64;
    deep.height = 64;
    deep.pixels = QByteArray(64 * 64 * 4, char(9));
    const QString path = TempPath(QStringLiteral("deep.bmp"));
    ASSERT_TRUE(WriteFile(path, deep.Bytes()));
    ASSERT_TRUE(reader.Open(path));
    prompter.ExpectMessage(
        PromptMatch::Text(QStringLiteral("Only bitmaps of 4, 8 and 24 bits a pixel can be compressed; this one has 32."))
            .AndCaption(QStringLiteral("Error")),
        IDOK, MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(reader.CompressFractal(xrf, nullptr));
    EXPECT_FALSE(QFile::exists(xrf));

    ASSERT_TRUE(reader.Open(Bitmap(64, 64, {"-type", "truecolor"})));
    const QString nowhere = TempPath(QStringLiteral("no/folder/x.xrf"));
    prompter.ExpectMessage(PromptMatch::Id(IDS_CANNOT_OPEN).AndCaption(QStringLiteral("Error")), IDOK, MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(reader.CompressFractal(nowhere, nullptr));
    ASSERT_FALSE(prompter.Messages().empty());
    EXPECT_TRUE(prompter.Messages().back().text.startsWith("Unable to open the file:\n\n\"" + nowhere + "\" could not be written: "))
        << prompter.Messages().back().text.toStdString();

    reader.Close();
    EXPECT_FALSE(reader.CompressFractal(xrf, nullptr));
}

} // namespace
