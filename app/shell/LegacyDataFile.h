#pragma once
// The older product's data files (read only, little-endian): 5 leading
// bytes, a 32-bit kind, then one item record (kinds 1 format, 2 image,
// 3 sequence, 4 knob list) or a counted list of {kind, record} (kind 6).
// Each record is read by its item's ImportLegacyBinary.

#include <functional>

class CArchive;
class CGenData;

namespace LegacyDataFile {

inline constexpr int kHeaderBytes = 5;
inline constexpr int kList = 6;
inline constexpr unsigned kMaxItems = 10000;

enum class Result {
    Imported, // every record was taken
    Stopped,  // a kind outside the table, a count above kMaxItems or a refused record
    Damaged,  // the file ends before what it announces
};

// Makes an empty item for a kind icon (12 format, 13 image, 14 sequence,
// 10 knob list); nullptr when the program holds no such kind.
using MakeItem = std::function<CGenData *(int icon)>;
// A record was read into item.
using ItemTaken = std::function<void(CGenData *item)>;

// Reads the file from its start. Items made stay the caller's; on Damaged
// the record being read is incomplete.
Result Read(CArchive &ar, const MakeItem &make, const ItemTaken &taken);

} // namespace LegacyDataFile
