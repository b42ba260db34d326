#pragma once
// The pixel map as a constant-array source file (".cc") for the
// generator's firmware build: a block-comment header with the map's size
// and colour sets, then one line of 32-bit constants a pixel row.

#include <QByteArray>
#include <QString>

struct PixelMapData;

namespace PixelMapSource {

// The array's label from the chosen file's name: cut at its first '.',
// lower-cased, made an identifier (any other character '_', and '_' before
// a leading digit).
QString Label(const QString &fileName);

// The whole file; date is today's as "%m/%d/%y". Lines end with LF.
QByteArray Text(const PixelMapData &map, const QString &fileName, const QString &date);

} // namespace PixelMapSource
