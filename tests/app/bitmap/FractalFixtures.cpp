#include "FractalFixtures.h"

#include <QProcess>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

struct XorShift32 {
    uint32_t state = 2463534242u;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

int Ramp(int v)
{
    return std::min(255, 8 * std::abs(v % 64 - 32));
}

} // namespace

QByteArray TestPlane(int width, int height)
{
    QByteArray plane(width * height, '\0');
    auto at = [&](int x, int y) -> char & { return plane[y * width + x]; };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            at(x, y) = char((Ramp(3 * x / 2) + Ramp(5 * y / 4 + x / 3)) / 2);
    XorShift32 random;
    for (int r = 0; r < 48; ++r) {
        const int left = int(random.Next() % uint32_t(width));
        const int top = int(random.Next() % uint32_t(height));
        const int w = 8 + int(random.Next() % 120);
        const int h = 8 + int(random.Next() % 120);
        const char grey = char(random.Next() % 256);
        for (int y = top; y < std::min(height, top + h); ++y)
            for (int x = left; x < std::min(width, left + w); ++x)
                at(x, y) = grey;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x - 300) * (x - 300) + (y - 220) * (y - 220) <= 110 * 110)
                at(x, y) = char(255 - uint8_t(at(x, y)));
    for (int y = 0; y < std::min(128, height); ++y)
        for (int x = 0; x < std::min(128, width); ++x)
            at(x, y) = char((x / 16 + y / 16) % 2 == 0 ? 30 : 220);
    for (int y = std::max(0, height - 96); y < height; ++y)
        for (int x = std::max(0, width - 96); x < width; ++x)
            at(x, y) = char((x / 2) % 2 == 0 ? 60 : 200);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            at(x, y) = char(std::clamp(int(uint8_t(at(x, y))) + int(random.Next() % 9) - 4, 0, 255));
    return plane;
}

QByteArray FloorPlane(const QByteArray &plane, int width, int height, int side)
{
    QByteArray out(plane.size(), '\0');
    for (int by = 0; by < height; by += side) {
        for (int bx = 0; bx < width; bx += side) {
            double sum = 0;
            for (int y = by; y < by + side; ++y)
                for (int x = bx; x < bx + side; ++x)
                    sum += uint8_t(plane[y * width + x]);
            const int code = std::clamp(int(std::floor(0.5 + sum / (side * side) / 255 * 127)), 0, 127);
            const char value = char(int(code / 127.0 * 255 + 0.5));
            for (int y = by; y < by + side; ++y)
                for (int x = bx; x < bx + side; ++x)
                    out[y * width + x] = value;
        }
    }
    return out;
}

double Psnr(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || a.isEmpty())
        return -1;
    double squares = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const double d = double(uint8_t(a[i])) - double(uint8_t(b[i]));
        squares += d * d;
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (squares / double(a.size())));
}

double ImageMagickPsnr(const QString &a, const QString &b, int width, int height, QString *error)
{
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    QProcess compare;
    // The figure in C notation, whatever the locale of the test run.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    compare.setProcessEnvironment(environment);
    compare.start(QStringLiteral("compare"), {"-metric", "PSNR", "-size", size, "-depth", "8", "gray:" + a, "gray:" + b,
                                              "null:"});
    compare.waitForFinished(-1);
    // compare answers 1 for images that differ; the figure is on standard error.
    const QString text = QString::fromLocal8Bit(compare.readAllStandardError()).trimmed();
    bool ok = false;
    const double psnr = text.section(QLatin1Char(' '), 0, 0).toDouble(&ok);
    if (compare.exitStatus() != QProcess::NormalExit || compare.exitCode() > 1 || !ok) {
        *error = QStringLiteral("compare: %1").arg(text);
        return -1;
    }
    error->clear();
    return psnr;
}
