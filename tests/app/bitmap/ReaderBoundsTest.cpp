// The image readers on what no image file is: a FIFO (nothing ever
// written to it), a folder, a device without end, a sparse file larger
// than the format can hold. Each is refused at once, and memory stays
// bounded.
#include "BitmapFixtures.h"
#include "CBitmapReader.h"
#include "CFractalCodec.h"
#include "TestSupport.h"

#include <QFile>

#include <chrono>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using ReaderBoundsTest = PlatformTest;

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(ReaderBoundsTest, WhatIsNoImageFileIsRefusedAtOnce)
{
    const QString fifo = TempPath("in.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Larger than a stream of the largest plane, and than a bitmap's 32-bit size.
    const QString sparse = TempPath("sparse");
    {
        QFile file(sparse);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(5) << 30));
    }
    // Its header is a real 8-bit bitmap's: only the size is wrong.
    {
        BmpFile bmp;
        bmp.width = 4;
        bmp.height = 4;
        bmp.pixels = QByteArray(16, '\1');
        QFile file(sparse);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.write(bmp.Bytes()) > 0);
    }
    const QString paths[] = {fifo, tempDir.path(), QStringLiteral("/dev/zero"), sparse};
    const struct {
        const char *name;
        std::function<bool(const QString &)> read; // true: the file was taken
    } readers[] = {
        {"bitmap reader", [](const QString &path) { return CBitmapReader().Open(path); }},
        {"fractal decoder",
         [this](const QString &path) {
             CFractalCodec decoder;
             decoder.SetFiles(path, TempPath("out.raw"), 0);
             return decoder.Decompress(nullptr, 1, 1, 1, 1.0, 5, 7) == 0;
         }},
    };
    const long before = PeakKilobytes();
    for (const auto &reader : readers) {
        for (const QString &path : paths) {
            SCOPED_TRACE(std::string(reader.name) + " on " + path.toStdString());
            const auto started = std::chrono::steady_clock::now();
            EXPECT_FALSE(reader.read(path));
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        }
    }
    EXPECT_LT(PeakKilobytes() - before, 64 * 1024) << "a refused file is not read into memory";
    CBitmapReader bitmap;
    EXPECT_FALSE(bitmap.Open(sparse));
    EXPECT_EQ(bitmap.GetFailureText(),
              "\"" + sparse + "\" holds 5368709120 bytes; a file of this kind holds at most 4294967295.");
    EXPECT_FALSE(bitmap.Open(fifo));
    EXPECT_EQ(bitmap.GetFailureText(), "\"" + fifo + "\" is a pipe (FIFO), not a file.");
    EXPECT_FALSE(QFile::exists(TempPath("out.raw"))) << "nothing decoded, nothing written";
}

} // namespace
