#pragma once
// Reads a revision-7 memory file: its header, its sum, then one object at
// a time with the object's own sum. Nothing in the file is trusted: a
// header whose marker, offset, size or count does not fit the bytes, or an
// object that does not fit the bytes left, ends the reading.

#include "MemoryFiles.h"

#include <QByteArray>

#include <optional>

struct MemoryObject {
    ObjectHeader header;
    QByteArray body;
    bool checksumHolds = false;
};

class MemoryFileReader {
public:
    enum class Next { Object, End, Malformed };

    explicit MemoryFileReader(QByteArray file);

    // Marker 1, objects from offset 32, the size field the file's size and
    // no more objects than 32-byte headers fit in the rest.
    bool ReadHeader();
    const MemoryFileHeader &Header() const { return m_header; }
    uint32_t ComputedChecksum() const { return MemoryFileChecksum(m_file); }
    bool ChecksumHolds() const { return ComputedChecksum() == m_header.checksum; }

    // The header's count of objects, one at a time; an object whose size is
    // below 32 or beyond the bytes left is Malformed and ends the reading.
    Next NextObject(MemoryObject &object);

    // Path memory: the current path and the format, image and sequence knob
    // lists, each up to its first NUL; nothing when the file is too short.
    std::optional<std::array<QByteArray, 4>> PathNames() const;

private:
    Next Stop();  // a malformed object: no more are read

    QByteArray m_file;
    MemoryFileHeader m_header;
    bool m_headerRead = false;
    qsizetype m_position = kMemoryHeaderSize;
    uint32_t m_objectsRead = 0;
};
