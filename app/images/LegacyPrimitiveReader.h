#pragma once
// The primitive records of the older product's image files: a kind, bytes
// the reader skips, the kind's fields (little-endian int32 each) and a
// closing byte. One row per kind the program can build.

#include <QString>

#include <memory>

class CArchive;
class CPrimitive;

// Reads one record at nesting depth (0 for a top-level primitive). Null
// when the record is refused, with the reason in error; a file that ends
// inside the record raises CArchiveException.
std::unique_ptr<CPrimitive> ReadLegacyPrimitive(CArchive &ar, int depth, QString &error);
