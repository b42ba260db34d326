#pragma once
// The format-list file (.fls): the rows of a generator's detailed format
// list in display order, through the archive layer (little-endian, no
// padding): the magic 0x1A2B802B, the i32 row count, then each row as a
// counted name, i16 video index, u16 SSST code, i32 H and V resolution,
// f64 H rate (Hz), V rate (Hz), pixel rate (MHz) and i32 scan. Whether the
// generator holds a row as user or built-in data is not stored.

#include "CFormatListEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>

class CArchive;
class QIODevice;

class FormatListFile {
public:
    static constexpr quint32 kMagic = 0x1A2B802B;
    static constexpr qint64 kHeaderSize = 8;
    // A row without the characters of its name (the length byte included).
    static constexpr qint64 kRowSize = 41;
    static constexpr int kMaxNameLength = 255;

    // Row by row, so that the writer can show how far it got.
    static void WriteHeader(CArchive &ar, qint32 count);
    static void WriteRow(CArchive &ar, const CFormatListEntry &entry);
    // The whole file.
    static QByteArray Bytes(const QList<CFormatListEntry> &rows);

    // Reads a whole file from device (open for reading, at its start). A
    // file is taken whole or not at all: false, with the reason, for a wrong
    // magic, a count the bytes cannot hold, a row cut short, a name that is
    // empty, longer than 255 characters or not fit for a command line, and
    // bytes after the last row. Rates that are not numbers come back as
    // NaN (missing); icons as 15, for the caller to set.
    static bool Read(QIODevice &device, QList<CFormatListEntry> &rows, QString &error);
    static bool Read(const QByteArray &bytes, QList<CFormatListEntry> &rows, QString &error);
};
