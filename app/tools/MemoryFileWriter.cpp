#include "MemoryFileWriter.h"

#include "MemoryFileBytes.h"

MemoryFileWriter::MemoryFileWriter(MemoryObjectType type, double revision) : m_type(type)
{
    MemoryFileHeader header;
    header.type = uint32_t(type);
    header.revision = revision;
    m_bytes.resize(kMemoryHeaderSize);
    header.Store(reinterpret_cast<uint8_t *>(m_bytes.data()));
}

void MemoryFileWriter::BeginObject(const QByteArray &name)
{
    m_objectStart = m_bytes.size();
    m_bytes.append(kObjectHeaderSize, '\0');
    ObjectHeader header;
    header.SetName(name);
    header.Store(reinterpret_cast<uint8_t *>(m_bytes.data()) + m_objectStart);
}

void MemoryFileWriter::AppendU32(uint32_t value) { AppendU32BE(m_bytes, value); }
void MemoryFileWriter::AppendU16(uint16_t value) { AppendU16BE(m_bytes, value); }

void MemoryFileWriter::EndObject()
{
    uint8_t *at = reinterpret_cast<uint8_t *>(m_bytes.data()) + m_objectStart;
    ObjectHeader header = ObjectHeader::Parse(at);
    header.type = uint32_t(m_type);
    header.size = uint32_t(m_bytes.size() - m_objectStart);
    header.Store(at);
    const qsizetype bodySize = header.size - kObjectHeaderSize;
    header.checksum = ObjectChecksum(at, at + kObjectHeaderSize, bodySize);
    header.Store(at);
    m_objectStart = -1;
    ++m_count;
}

QByteArray MemoryFileWriter::Finish()
{
    uint8_t *at = reinterpret_cast<uint8_t *>(m_bytes.data());
    MemoryFileHeader header = MemoryFileHeader::Parse(at);
    header.size = uint32_t(m_bytes.size());
    header.count = m_count;
    header.Store(at);
    header.checksum = MemoryFileChecksum(m_bytes);
    header.Store(at);
    return m_bytes;
}
