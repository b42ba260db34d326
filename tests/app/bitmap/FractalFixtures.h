#pragma once
// Planes for the fractal codec's tests and benchmark: the deterministic test
// plane, the quality floor and PSNR, ours and ImageMagick's.

#include <QByteArray>
#include <QString>

// A width x height plane (one byte a pixel, rows top first): a background of
// two crossing ramps, 48 grey rectangles, an inverted disc, a checkerboard,
// stripes and a little noise, in integers only.
QByteArray TestPlane(int width, int height);

// Every side x side block of plane replaced by its mean on the codec's offset
// grid (7 bits), as its scale-0 transformation decodes it.
QByteArray FloorPlane(const QByteArray &plane, int width, int height, int side);

// Peak signal-to-noise ratio of b against a, in dB (infinity when equal).
double Psnr(const QByteArray &a, const QByteArray &b);

// ImageMagick's PSNR of two raw grey planes; negative with error set on failure.
double ImageMagickPsnr(const QString &a, const QString &b, int width, int height, QString *error);
