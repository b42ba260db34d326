#include "MemoryFileReader.h"

#include "MemoryFileBytes.h"

#include <cstring>

MemoryFileReader::MemoryFileReader(QByteArray file) : m_file(std::move(file)) {}

bool MemoryFileReader::ReadHeader()
{
    m_headerRead = false;
    if (m_file.size() < kMemoryHeaderSize)
        return false;
    m_header = MemoryFileHeader::Parse(BytesAt(m_file, 0));
    const qsizetype size = m_file.size();
    if (m_header.marker != 1 || m_header.offset != kMemoryHeaderSize || qsizetype(m_header.size) != size)
        return false;
    if (m_header.count > (size - kMemoryHeaderSize) / kObjectHeaderSize)
        return false;
    m_headerRead = true;
    m_position = kMemoryHeaderSize;
    m_objectsRead = 0;
    return true;
}

MemoryFileReader::Next MemoryFileReader::Stop()
{
    m_headerRead = false;
    return Next::Malformed;
}

MemoryFileReader::Next MemoryFileReader::NextObject(MemoryObject &object)
{
    if (!m_headerRead)
        return Next::Malformed;
    if (m_objectsRead == m_header.count)
        return Next::End;
    const qsizetype left = m_file.size() - m_position;
    if (left < kObjectHeaderSize)
        return Stop();
    const uint8_t *at = BytesAt(m_file, m_position);
    object.header = ObjectHeader::Parse(at);
    const qsizetype size = object.header.size;
    if (size < kObjectHeaderSize || size > left)
        return Stop();
    const qsizetype bodySize = size - kObjectHeaderSize;
    object.body = m_file.mid(m_position + kObjectHeaderSize, bodySize);
    object.checksumHolds = ObjectChecksum(at, at + kObjectHeaderSize, bodySize) == object.header.checksum;
    m_position += size;
    ++m_objectsRead;
    return Next::Object;
}

std::optional<std::array<QByteArray, 4>> MemoryFileReader::PathNames() const
{
    if (m_file.size() < kMemoryHeaderSize + 4 * 9)
        return std::nullopt;
    std::array<QByteArray, 4> names;
    for (int i = 0; i < 4; ++i) {
        const char *name = m_file.constData() + kMemoryHeaderSize + 9 * i;
        names[size_t(i)] = QByteArray(name, qsizetype(strnlen(name, 9)));
    }
    return names;
}
