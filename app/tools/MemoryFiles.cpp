#include "MemoryFiles.h"

#include "MemoryFileBytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool IsTableRevision(int conversionRevision)
{
    return conversionRevision != 0
        && std::find(RevisionTable.begin(), RevisionTable.end(), conversionRevision) != RevisionTable.end();
}

int MapRevision(double revision)
{
    const double product = revision * 1000.0;
    // 2^63: a product this far out has no 64-bit integer.
    if (!std::isfinite(product) || std::fabs(product) >= 9223372036854775808.0)
        return 0;
    const double nearest = std::nearbyint(product);
    const double whole = std::fabs(product - nearest) <= 1e-6 ? nearest : std::trunc(product);
    const int64_t x = static_cast<int64_t>(whole);
    if (x >= 2000 && x < 3000 && IsTableRevision(static_cast<int>(x)))
        return static_cast<int>(x);
    if (x >= 7000 && x < 100000)
        return 7000;
    return x >= 3000 ? 3000 : 0;
}

namespace {

double GetDoubleBE(const uint8_t *p)
{
    uint8_t bytes[8];
    std::memcpy(bytes, p, 8);
    uint64_t bits = 0;
    for (uint8_t b : bytes)
        bits = bits << 8 | b;
    double value = 0;
    std::memcpy(&value, &bits, 8);
    return value;
}

void PutDoubleBE(uint8_t *p, double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, 8);
    for (int i = 7; i >= 0; --i, bits >>= 8)
        p[i] = uint8_t(bits);
}

} // namespace

MemoryFileHeader MemoryFileHeader::Parse(const uint8_t *bytes)
{
    MemoryFileHeader h;
    h.marker = GetU32BE(bytes);
    h.type = GetU32BE(bytes + 4);
    h.size = GetU32BE(bytes + 8);
    h.revision = GetDoubleBE(bytes + 12);
    h.count = GetU32BE(bytes + 20);
    h.offset = GetU32BE(bytes + 24);
    h.checksum = GetU32BE(bytes + 28);
    return h;
}

void MemoryFileHeader::Store(uint8_t *bytes) const
{
    PutU32BE(bytes, marker);
    PutU32BE(bytes + 4, type);
    PutU32BE(bytes + 8, size);
    PutDoubleBE(bytes + 12, revision);
    PutU32BE(bytes + 20, count);
    PutU32BE(bytes + 24, offset);
    PutU32BE(bytes + 28, checksum);
}

ObjectHeader ObjectHeader::Parse(const uint8_t *bytes)
{
    ObjectHeader h;
    h.marker = GetU32BE(bytes);
    h.type = GetU32BE(bytes + 4);
    h.size = GetU32BE(bytes + 8);
    h.one = GetU32BE(bytes + 12);
    std::memcpy(h.name.data(), bytes + 16, h.name.size());
    h.checksum = GetU32BE(bytes + 28);
    return h;
}

void ObjectHeader::Store(uint8_t *bytes) const
{
    PutU32BE(bytes, marker);
    PutU32BE(bytes + 4, type);
    PutU32BE(bytes + 8, size);
    PutU32BE(bytes + 12, one);
    std::memcpy(bytes + 16, name.data(), name.size());
    PutU32BE(bytes + 28, checksum);
}

void ObjectHeader::SetName(const QByteArray &text)
{
    name.fill(0);
    for (qsizetype i = 0; i < std::min<qsizetype>(text.size(), 8) && text[i] != '\0'; ++i)
        name[size_t(i)] = text[i];
}

QByteArray ObjectHeader::Name() const
{
    return QByteArray(name.data(), qsizetype(strnlen(name.data(), 8)));
}

uint32_t MemoryFileChecksum(const QByteArray &file)
{
    const uint8_t *p = BytesAt(file, 0);
    const qsizetype n = file.size();
    const qsizetype before = std::min(n, kChecksumOffset);
    const qsizetype after = std::min(n, kChecksumOffset + 4);
    return ByteSum(p + after, n - after, ByteSum(p, before));
}

uint32_t ObjectChecksum(const uint8_t *header, const uint8_t *body, qsizetype bodySize)
{
    return ByteSum(body, bodySize, ByteSum(header, 28));
}
