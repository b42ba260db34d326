#pragma once
// Bitmaps for the tools' tests and benchmarks: a writer of small bitmap
// files by field, the ImageMagick command line, and the reader's pixel words
// turned into RGB bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CBitmapReader;

// A bitmap file assembled field by field, so a test can write any value.
struct BmpFile {
    int32_t width = 1;
    int32_t height = 1;   // negative: top-down
    uint16_t depth = 8;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
    uint16_t type = 0x4D42;
    std::vector<uint32_t> palette; // 0x00RRGGBB, written blue, green, red, 0
    QByteArray masks;              // written after a 40-byte header
    QByteArray pixels;             // the stored rows or run-length data
    int64_t offset = -1;           // bfOffBits; -1: right after the palette

    QByteArray Bytes() const;
};

// Runs ImageMagick's convert with args; its standard output, or a failure
// text in error.
QByteArray RunConvert(const QStringList &args, QString *error = nullptr);

// A P6 file of width x height pixels of rgb (3 bytes a pixel).
QByteArray PpmFile(int width, int height, const QByteArray &rgb);

// width x height RGB pixels with many colours, a fixed function of x and y.
QByteArray TestPicture(int width, int height);

// Reads every pixel of an open reader as R, G, B (and A when withAlpha, from
// a 32-bit file's fourth byte): indexes through the colour table, 24 and 32
// bits from their stored bytes. Empty when a read fails.
QByteArray ReaderRgb(CBitmapReader &reader, bool withAlpha = false);

bool WriteFile(const QString &path, const QByteArray &bytes);
QByteArray ReadFile(const QString &path);
