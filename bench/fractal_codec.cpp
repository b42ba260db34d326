// The fractal codec on the 512 x 512 test plane: encode and decode times,
// bytes, ratio and PSNR; beside them the floor (every smallest range its
// mean) and ImageMagick's JPEG of the plane at the same byte count. Then the
// .xrf writer on a 24-bit bitmap of three such planes, with and without a
// progress window.
//
//   build/bench/bench_fractal_codec [runs]

#include "BitmapFixtures.h"
#include "CBitmapReader.h"
#include "CFractalCodec.h"
#include "CProgressDlg.h"
#include "FractalFixtures.h"
#include "Numbers.h"
#include "Profile.h"
#include "Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Every box is answered OK at once and counted.
class CountingPrompter : public Prompter {
public:
    int Message(const MessageRequest &) override { return ++boxes, IDOK; }
    FileResult File(const FileRequest &) override { return {}; }
    QString Folder(const FolderRequest &) override { return {}; }
    int Modal(QDialog &) override { return IDCANCEL; }
    bool OpenDocument(DocumentKind, const QString &) override { return false; }
    int boxes = 0;
};

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

QStringList Gray(const QString &path)
{
    return {"-size", "512x512", "-depth", "8", "gray:" + path};
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
    QTemporaryDir folder;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    SetApplicationIdentity();
    QApplication app(argc, argv);
    SetNumericLocale();
    CountingPrompter prompter;
    InstallPrompter(&prompter);

    constexpr int kSide = 512;
    const QByteArray plane = TestPlane(kSide, kSide);
    const QString planePath = folder.filePath(QStringLiteral("plane.gray"));
    const QString streamPath = folder.filePath(QStringLiteral("plane.fic"));
    const QString decodedPath = folder.filePath(QStringLiteral("decoded.gray"));
    WriteFile(planePath, plane);

    CFractalCodec codec;
    const double encode = MedianSeconds(runs, [&] {
        codec.SetFiles(planePath, streamPath, 0);
        if (codec.Compress(nullptr, {.tolerance = 8.0, .rowLength = kSide, .rowCount = kSide, .deepDepth = 6,
                                     .shallowDepth = 4, .domainStep = 1, .scaleBits = 5, .offsetBits = 7,
                                     .scaleLimit = 1.0, .domainStepMode = 0})
            != 0)
            std::fprintf(stderr, "Compress failed\n");
    });
    const double decode = MedianSeconds(runs, [&] {
        CFractalCodec decoder;
        decoder.SetFiles(streamPath, decodedPath, 0);
        if (decoder.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7) != 0)
            std::fprintf(stderr, "Decompress failed\n");
    });
    const qsizetype bytes = ReadFile(streamPath).size();
    const double psnr = Psnr(plane, ReadFile(decodedPath));
    const double floor = Psnr(plane, FloorPlane(plane, kSide, kSide, kSide >> 6));
    std::printf("fractal: encode %.3f s, decode %.3f s (10 passes), %lld bytes, ratio %.2f, PSNR %.2f dB\n", encode, decode,
                static_cast<long long>(bytes), double(kSide * kSide) / double(bytes), psnr);
    std::printf("floor (each 8 x 8 range its mean on the offset grid): PSNR %.2f dB; fractal above it by %.2f dB\n", floor,
                psnr - floor);

    const QString jpeg = folder.filePath(QStringLiteral("plane.jpg"));
    const QString jpegDecoded = folder.filePath(QStringLiteral("jpeg.gray"));
    QString error;
    const double jpegTime = MedianSeconds(runs, [&] {
        RunConvert(Gray(planePath) + QStringList{"-define", QStringLiteral("jpeg:extent=%1").arg(bytes), jpeg}, &error);
    });
    RunConvert({jpeg, "-depth", "8", "gray:" + jpegDecoded}, &error);
    if (error.isEmpty()) {
        std::printf("ImageMagick JPEG at most %lld bytes: %lld bytes, PSNR %.2f dB, %.3f s to encode (process included)\n",
                    static_cast<long long>(bytes), static_cast<long long>(ReadFile(jpeg).size()),
                    Psnr(plane, ReadFile(jpegDecoded)), jpegTime);
    } else {
        std::printf("ImageMagick JPEG: %s\n", qPrintable(error));
    }

    // A 24-bit bitmap whose red, green and blue are three such planes.
    QByteArray rgb;
    const QByteArray other = TestPlane(kSide, kSide + 64);
    for (int i = 0; i < kSide * kSide; ++i)
        rgb.append(plane[i]).append(other[i + 64 * kSide]).append(char(255 - uint8_t(plane[i])));
    const QString source = folder.filePath(QStringLiteral("rgb.ppm"));
    const QString bitmap = folder.filePath(QStringLiteral("rgb.bmp"));
    WriteFile(source, PpmFile(kSide, kSide, rgb));
    RunConvert({source, "-type", "truecolor", "BMP3:" + bitmap}, &error);
    CBitmapReader reader;
    if (!error.isEmpty() || !reader.Open(bitmap)) {
        std::fprintf(stderr, "no bitmap: %s\n", qPrintable(error + reader.GetFailureText()));
        return 1;
    }
    const QString xrf = folder.filePath(QStringLiteral("rgb.xrf"));
    const double bare = MedianSeconds(runs, [&] { reader.CompressFractal(xrf, nullptr); });
    CProgressDlg progress(nullptr, false);
    const double shown = MedianSeconds(runs, [&] { reader.CompressFractal(xrf, &progress); });
    progress.DestroyWindow();
    std::printf("CompressFractal of a 512 x 512 24-bit bitmap: %.3f s without a progress window, %.3f s with one; "
                "%lld bytes\n",
                bare, shown, static_cast<long long>(ReadFile(xrf).size()));
    return 0;
}
