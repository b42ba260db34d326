// Any bytes as a revision-7 memory file and as system.sys: the readers may
// refuse them, never read past them, and what they take stays inside them.
#include "FuzzCheck.h"
#include "MemoryFileReader.h"
#include "SystemRecord.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const std::optional<SystemRecord> record = SystemRecord::FromBytes(bytes)) {
        FuzzCheck(record->Bytes() == bytes);
        if (const std::optional<double> revision = record->Revision())
            FuzzCheck(std::isfinite(*revision) && *revision >= 0 && *revision < 65536);
    }

    MemoryFileReader reader(bytes);
    if (!reader.ReadHeader())
        return 0;
    const MemoryFileHeader &header = reader.Header();
    FuzzCheck(header.size == size && header.count <= (size - 32) / 32);
    (void)reader.ChecksumHolds();
    (void)reader.PathNames();
    size_t taken = 32;
    uint32_t objects = 0;
    MemoryObject object;
    MemoryFileReader::Next next;
    while ((next = reader.NextObject(object)) == MemoryFileReader::Next::Object) {
        FuzzCheck(object.header.size >= 32 && qsizetype(object.header.size) == 32 + object.body.size());
        taken += object.header.size;
        ++objects;
        FuzzCheck(taken <= size && objects <= header.count);
        FuzzCheck(object.header.Name().size() <= 8);
    }
    FuzzCheck(next == MemoryFileReader::Next::Malformed || objects == header.count);
    return 0;
}
