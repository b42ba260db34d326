#pragma once
// The input bytes of a fuzz target of an archive reader, as an archive
// being loaded.

#include "Archive.h"
#include "FuzzCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

class FuzzArchive
{
public:
    FuzzArchive(const uint8_t *data, size_t size)
        : m_bytes(reinterpret_cast<const char *>(data), qsizetype(size))
        , m_buffer(&m_bytes)
    {
        m_buffer.open(QIODevice::ReadOnly);
    }
    CArchive &Archive() { return m_archive; }
    QBuffer &Buffer() { return m_buffer; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    CArchive m_archive{&m_buffer, CArchive::load};
};
