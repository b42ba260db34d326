#include "BitmapFixtures.h"

#include "CBitmapReader.h"

#include <QFile>
#include <QProcess>

namespace {

void PutU16(QByteArray &out, uint32_t v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void PutU32(QByteArray &out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

} // namespace

QByteArray BmpFile::Bytes() const
{
    QByteArray info;
    PutU32(info, headerSize);
    PutU32(info, uint32_t(width));
    PutU32(info, uint32_t(height));
    PutU16(info, 1);
    PutU16(info, depth);
    PutU32(info, compression);
    PutU32(info, uint32_t(pixels.size()));
    PutU32(info, 2835);
    PutU32(info, 2835);
    PutU32(info, colorsUsed);
    PutU32(info, colorsImportant);
    info.resize(qsizetype(headerSize), '\0');
    QByteArray table = masks;
    for (uint32_t rgb : palette)
        PutU32(table, rgb & 0xFFFFFF);
    const uint32_t pixelsAt = offset >= 0 ? uint32_t(offset) : uint32_t(14 + info.size() + table.size());
    QByteArray out;
    PutU16(out, type);
    PutU32(out, uint32_t(14 + info.size() + table.size() + pixels.size()));
    PutU32(out, 0);
    PutU32(out, pixelsAt);
    return out + info + table + pixels;
}

QByteArray RunConvert(const QStringList &args, QString *error)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"), args);
    if (!convert.waitForStarted(-1)) {
        if (error)
            *error = QStringLiteral("convert did not start (is ImageMagick installed?)");
        return {};
    }
    convert.closeWriteChannel();
    convert.waitForFinished(-1);
    const QByteArray out = convert.readAllStandardOutput();
    if (convert.exitStatus() != QProcess::NormalExit || convert.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("convert %1: %2").arg(args.join(' '), QString::fromLocal8Bit(convert.readAllStandardError()));
        return {};
    }
    if (error)
        error->clear();
    return out;
}

QByteArray PpmFile(int width, int height, const QByteArray &rgb)
{
    return QByteArray("P6\n") + QByteArray::number(width) + ' ' + QByteArray::number(height) + "\n255\n" + rgb;
}

QByteArray TestPicture(int width, int height)
{
    QByteArray rgb;
    rgb.reserve(3 * width * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rgb.append(char((x * 37 + y * 11) & 0xFF));
            rgb.append(char((y * 23 + (x ^ y) * 5) & 0xFF));
            rgb.append(char(((x + y) % 7) * 36));
        }
    }
    return rgb;
}

QByteArray ReaderRgb(CBitmapReader &reader, bool withAlpha)
{
    std::vector<uint32_t> words;
    std::vector<uint32_t> lut;
    if (!reader.ReadPixels(words) || (reader.depth <= 8 && !reader.ReadColorTable(lut)))
        return {};
    const int d = reader.depth;
    QByteArray out;
    for (uint32_t y = 0; y < reader.height; ++y) {
        const uint32_t *row = words.data() + size_t(y) * reader.wordsPerRow;
        // Byte k of the stored row is the (k % 4)-th most significant byte of word k / 4.
        auto rowByte = [row](uint64_t k) { return uint8_t(row[k / 4] >> (24 - 8 * (k % 4))); };
        for (int32_t x = 0; x < reader.width; ++x) {
            if (d <= 8) {
                const uint64_t bit = uint64_t(x) * uint64_t(d);
                const uint32_t index = (rowByte(bit / 8) >> (8 - d - bit % 8)) & ((1u << d) - 1);
                const uint32_t colour = index < lut.size() ? lut[index] : 0xFFFFFFFF;
                out.append(char(colour & 0xFF)).append(char((colour >> 8) & 0xFF)).append(char((colour >> 16) & 0xFF));
                continue;
            }
            const uint64_t at = uint64_t(x) * uint64_t(d / 8);
            out.append(char(rowByte(at + 2))).append(char(rowByte(at + 1))).append(char(rowByte(at)));
            if (withAlpha)
                out.append(char(rowByte(at + 3)));
        }
    }
    return out;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
