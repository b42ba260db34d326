#include "FirmwareFile.h"

#include "ProcessorNumbers.h"
#include "ResourceIds.h"

#include <QFile>

#include <cmath>
#include <cstring>

namespace {

constexpr qint64 kIsaVersionAt = 524140;
constexpr qint64 kIsaSumsAt = 524148;
constexpr uint8_t kIsaVersionTop = 0x40; // byte 7 of a plausible version
constexpr double kIsaVersionLeast = 2.0;
constexpr double kIsaVersionBelow = 7.0;

constexpr qint64 kHeaderVersionAt = 240;
constexpr qint64 kHeaderSumsAt = 248;
constexpr qint64 kHeaderSizeAt = 252;
constexpr qint64 kSumWord = kHeaderSumsAt / 2; // words 124 and 125 hold the sums
constexpr double kHeaderVersionLeast = 2.0;
constexpr double kHeaderVersionMost = 20.0;
constexpr double kSplitSumsSince = 7.002;

const uint8_t* At(const QByteArray& bytes, qint64 at)
{
    return reinterpret_cast<const uint8_t*>(bytes.constData()) + at;
}

// A big-endian field made native.
template <typename T>
T Big(const QByteArray& bytes, qint64 at)
{
    uint8_t field[sizeof(T)];
    std::memcpy(field, At(bytes, at), sizeof(T));
    SwapBytes(field, sizeof(T));
    T value;
    std::memcpy(&value, field, sizeof(T));
    return value;
}

QString Hex(unsigned value) { return QStringLiteral("0x") + QString::number(value, 16).toUpper(); }

FirmwareFileCheck Refused(unsigned id)
{
    FirmwareFileCheck check;
    check.failureId = id;
    return check;
}

FirmwareFileCheck CheckIsaImage(const QByteArray& bytes)
{
    FirmwareFileCheck check;
    const uint8_t* version = At(bytes, kIsaVersionAt);
    if (version[7] == kIsaVersionTop) {
        const double v = UnpackDouble(version);
        if (v >= kIsaVersionLeast && v < kIsaVersionBelow)
            check.version = v;
    }
    uint8_t even = 0;
    uint8_t odd = 0;
    const uint8_t* b = At(bytes, 0);
    for (qint64 i = 0; i < bytes.size(); ++i) {
        if (i == kIsaSumsAt || i == kIsaSumsAt + 1)
            continue;
        (i % 2 == 0 ? even : odd) += b[i];
    }
    if (even != b[kIsaSumsAt] || odd != b[kIsaSumsAt + 1])
        return Refused(IDS_FIRMWARE_CHECKSUM_FAILED);
    check.accepted = true;
    check.checksumKnown = true;
    check.checksum = Hex(unsigned(even) * 256 + odd);
    return check;
}

FirmwareFileCheck CheckHeaderImage(const QByteArray& bytes)
{
    const qint64 size = bytes.size();
    if (size < FirmwareFile::kHeaderBytes || size % 2 != 0)
        return Refused(IDS_FIRMWARE_NO_SIZE);
    if (qint64(Big<uint32_t>(bytes, kHeaderSizeAt)) != size)
        return Refused(IDS_FIRMWARE_SIZES_DIFFER);
    const double v = Big<double>(bytes, kHeaderVersionAt);
    if (!std::isfinite(v) || v < kHeaderVersionLeast || v > kHeaderVersionMost)
        return Refused(IDS_FIRMWARE_NO_VERSION);
    uint32_t even = 0;
    uint32_t odd = 0;
    for (qint64 w = 0; w < size / 2; ++w) {
        if (w == kSumWord || w == kSumWord + 1)
            continue;
        (w % 2 == 0 ? even : odd) += Big<uint16_t>(bytes, 2 * w);
    }
    FirmwareFileCheck check;
    if (v >= kSplitSumsSince) {
        if ((even & 0xFFFF) != Big<uint16_t>(bytes, kHeaderSumsAt) || (odd & 0xFFFF) != Big<uint16_t>(bytes, kHeaderSumsAt + 2))
            return Refused(IDS_FIRMWARE_CHECKSUM_FAILED);
        check.checksum = Hex(even & 0xFFFF) + QLatin1Char(',') + Hex(odd & 0xFFFF);
    } else {
        if (even + odd != Big<uint32_t>(bytes, kHeaderSumsAt))
            return Refused(IDS_FIRMWARE_CHECKSUM_FAILED);
        check.checksum = Hex(even + odd);
    }
    check.accepted = true;
    check.version = v;
    check.checksumKnown = true;
    return check;
}

} // namespace

namespace FirmwareFile {

FirmwareFileCheck Check(const QByteArray& bytes)
{
    if (bytes.size() == kIsaImageBytes)
        return CheckIsaImage(bytes);
    if (bytes.size() == kNoVersionBytes) {
        FirmwareFileCheck check;
        check.accepted = true;
        return check;
    }
    return CheckHeaderImage(bytes);
}

FirmwareFileCheck CheckPath(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refused(IDS_FIRMWARE_CANNOT_OPEN);
    const qint64 size = file.size();
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size || file.error() != QFileDevice::NoError)
        return Refused(IDS_FIRMWARE_NO_SIZE);
    return Check(bytes);
}

int ThousandthsDigit(double version)
{
    return int(std::llround(version * 1000.0) % 10);
}

} // namespace FirmwareFile
