#pragma once
// The primitive records of the older product's image files: a kind, bytes
// the reader skips, the kind's fields (little-endian int32 each) and a
// closing byte. One row per kind the program can build.

#include <QString>

#include <memory>

class CArchive;
class CPrimitive;

// The longest text a record may hold (a text primitive's): the image
// language carries no longer line.
inline constexpr qint32 kMaxLegacyTextLength = 255;

// A record's counted text (int32 length, the bytes); false, with the
// reason in error, for a length below 0 or above kMaxLegacyTextLength.
bool ReadLegacyText(CArchive &ar, QString &text, QString &error);

// Reads one record at nesting depth (0 for a top-level primitive). Null
// when the record is refused, with the reason in error; a file that ends
// inside the record raises CArchiveException.
std::unique_ptr<CPrimitive> ReadLegacyPrimitive(CArchive &ar, int depth, QString &error);
