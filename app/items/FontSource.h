#pragma once
// The font as an assembler source file (".s") for the generator's firmware
// build: a '*' comment header with the font's description, then the header
// words and the four tables as ".word" lines of 32-bit constants.

#include <QByteArray>
#include <QString>

struct FontData;

namespace FontSource {

// The whole file for the chosen file's name; date is today's as
// "%m/%d/%y". Lines end with LF.
QByteArray Text(const FontData &font, const QString &fileName, const QString &date);

} // namespace FontSource
