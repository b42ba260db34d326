#pragma once
// Fixed-width fields of the memory files: the revision-7 files hold their
// integers big-endian, the older files little-endian as the generator's
// processor stored them. Callers check the bounds first.

#include <QByteArray>

#include <cstdint>

inline const uint8_t *BytesAt(const QByteArray &bytes, qsizetype at)
{
    return reinterpret_cast<const uint8_t *>(bytes.constData()) + at;
}

inline uint32_t GetU32BE(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline uint16_t GetU16LE(const uint8_t *p)
{
    return uint16_t(p[0] | p[1] << 8);
}

inline void PutU32BE(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

inline void AppendU32BE(QByteArray &out, uint32_t v)
{
    uint8_t b[4];
    PutU32BE(b, v);
    out.append(reinterpret_cast<const char *>(b), 4);
}

inline void AppendU16BE(QByteArray &out, uint16_t v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}

inline void AppendU16LE(QByteArray &out, uint16_t v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

// The unsigned sum of bytes, wrapping at 32 bits.
inline uint32_t ByteSum(const uint8_t *p, qsizetype count, uint32_t sum = 0)
{
    for (qsizetype i = 0; i < count; ++i)
        sum += p[i];
    return sum;
}
