// Reading 1920 x 1080 bitmaps made by ImageMagick: Open, the colour table,
// the pixel words and their conversion to RGB bytes, beside ImageMagick's
// own decoding of the same file to RGB bytes (less its time for a 1 x 1 file,
// which is mostly its process start).
//
//   build/bench/bench_bitmap_decode [runs]

#include "BitmapFixtures.h"
#include "CBitmapReader.h"
#include "Numbers.h"
#include "Profile.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianSeconds(int runs, const std::function<void()> &work)
{
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

double ImageMagickSeconds(int runs, const QString &path)
{
    return MedianSeconds(runs, [&] {
        if (RunConvert({path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:-")}).isEmpty())
            std::fprintf(stderr, "convert failed on %s\n", qPrintable(path));
    });
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    QTemporaryDir folder;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    SetApplicationIdentity();
    QApplication app(argc, argv);
    SetNumericLocale();

    constexpr int kWidth = 1920;
    constexpr int kHeight = 1080;
    const QString source = folder.filePath(QStringLiteral("source.ppm"));
    const QString tiny = folder.filePath(QStringLiteral("tiny.bmp"));
    QString error;
    RunConvert({"-size", "1x1", "xc:red", "-type", "truecolor", "BMP3:" + tiny}, &error);
    if (!WriteFile(source, PpmFile(kWidth, kHeight, TestPicture(kWidth, kHeight))) || !error.isEmpty()) {
        std::fprintf(stderr, "cannot make the bitmaps: %s\n", qPrintable(error));
        return 1;
    }
    const double start = ImageMagickSeconds(runs, tiny);
    std::printf("ImageMagick on a 1 x 1 bitmap: %.3f s (taken off its times below)\n", start);

    const struct {
        const char *name;
        QStringList options;
    } kinds[] = {
        {"depth 8 raw", {"-colors", "256", "-type", "palette", "-compress", "none"}},
        {"depth 8 RLE8", {"-colors", "256", "-type", "palette"}},
        {"depth 4", {"-colors", "16", "-depth", "4", "-type", "palette", "-compress", "none"}},
        {"depth 24", {"-type", "truecolor"}},
    };
    for (const auto &kind : kinds) {
        const QString path = folder.filePath(QStringLiteral("bench.bmp"));
        RunConvert(QStringList{source} + kind.options + QStringList{"BMP3:" + path}, &error);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        size_t bytes = 0;
        const double ours = MedianSeconds(runs, [&] {
            CBitmapReader reader;
            if (!reader.Open(path))
                std::fprintf(stderr, "refused: %s\n", qPrintable(reader.GetFailureText()));
            bytes = size_t(ReaderRgb(reader).size());
        });
        const double theirs = ImageMagickSeconds(runs, path) - start;
        std::printf("%-13s %8lld bytes: reader %.4f s (%zu RGB bytes), ImageMagick %.4f s; ratio %.2f\n", kind.name,
                    static_cast<long long>(ReadFile(path).size()), ours, bytes, theirs, ours / theirs);
    }
    return 0;
}
