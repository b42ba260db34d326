#pragma once
// Builds a revision-7 memory file in memory, as the generator writes one:
// the header with size, count and sum 0; each object behind 32 zero bytes
// that become its header, with its sum, once its body is written; then the
// size and the count, and last the file's sum over everything but its own
// four bytes.

#include "MemoryFiles.h"

#include <QByteArray>

class MemoryFileWriter {
public:
    explicit MemoryFileWriter(MemoryObjectType type, double revision = kVersion7Revision);

    void BeginObject(const QByteArray &name);
    void Append(const QByteArray &bytes) { m_bytes.append(bytes); }
    void AppendU32(uint32_t value);
    void AppendU16(uint16_t value);
    void AppendByte(uint8_t value) { m_bytes.append(char(value)); }
    void EndObject();

    // The finished file. A type-900 file's names are appended without objects.
    QByteArray Finish();

private:
    MemoryObjectType m_type;
    QByteArray m_bytes;
    qsizetype m_objectStart = -1;
    uint32_t m_count = 0;
};
