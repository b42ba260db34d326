#pragma once
// What a "firmware.bin" holds, read by its size: the version it carries (or
// none) and its checksum, or why it is refused. Three layouts: 0x80000 bytes
// (ISA parts, version in the processor's double form near the end, 8-bit
// sums of the even and odd bytes), 0x40000 bytes (no version, no sum), and
// any other size (a 256-byte big-endian header with the version, the file
// size and the sums of its 16-bit words).

#include <QByteArray>
#include <QString>

struct FirmwareFileCheck {
    bool accepted = false;
    unsigned failureId = 0; // the box's text when refused
    double version = -1.0;  // -1: not known
    bool checksumKnown = false;
    QString checksum;       // as shown; empty when the layout has none
    bool operator==(const FirmwareFileCheck&) const = default;
};

namespace FirmwareFile {

inline constexpr qint64 kIsaImageBytes = 0x80000;
inline constexpr qint64 kNoVersionBytes = 0x40000;
inline constexpr qint64 kHeaderBytes = 256;

FirmwareFileCheck Check(const QByteArray& bytes);

// Reads and checks the file at path; a file that cannot be opened is
// refused with the open failure's text, one that cannot be read whole with
// the size's.
FirmwareFileCheck CheckPath(const QString& path);

// The thousandths digit of a version, rounded to the nearest thousandth
// first (7.002 is stored a little below itself).
int ThousandthsDigit(double version);

} // namespace FirmwareFile
