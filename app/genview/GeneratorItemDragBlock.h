#pragma once
// The generator item drag block: the only data a drag between two
// generator panes carries. A little-endian u32 magic, a u32 entry count,
// then per entry the list number (1 formats .. 6 icons), the name's
// characters and a NUL. The reader takes nothing on trust: the count, the
// list numbers and every name are checked against the bytes there are.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace GeneratorItemDragBlock {

constexpr quint32 kMagic = 0x12340010;
constexpr qsizetype kHeaderSize = 8;
constexpr int kFirstListNumber = 1; // formats
constexpr int kLastListNumber = 6;  // icons

// The MIME type the block travels under.
QString MimeType();

struct Entry {
    int listNumber = 0;
    QString name;
    bool operator==(const Entry &) const = default;
};

// The block of these entries; empty when one cannot be written (a list
// number out of range, an empty name, a NUL or a character beyond Latin-1).
QByteArray Build(const std::vector<Entry> &entries);

// The first u32 is the magic (the test a target makes before a drop).
bool HasMagic(const QByteArray &block);

// The entries, or nothing when the block is not exactly what its header
// says: short, a count the bytes do not hold, a name without its NUL, a
// list number out of range, an empty name, bytes after the last entry, or
// no entry at all.
std::optional<std::vector<Entry>> Parse(const QByteArray &block);

} // namespace GeneratorItemDragBlock
