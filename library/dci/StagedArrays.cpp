#include "StagedArrays.h"

#include <cstring>
#include <vector>

namespace morvane::dci {

namespace {

// An array's bytes in whole units; the caller's array may not be aligned to
// them, so it is copied rather than reinterpreted.
template <typename T>
std::vector<T> StagedArraysUnits(const void* data, std::size_t bytes)
{
    std::vector<T> units((bytes + sizeof(T) - 1) / sizeof(T));
    if (bytes > 0)
        std::memcpy(units.data(), data, bytes);
    return units;
}

template <typename T>
void StagedArraysCopyOut(const std::vector<T>& units, void* data, std::size_t bytes)
{
    if (bytes > 0)
        std::memcpy(data, units.data(), bytes);
}

}  // namespace

bool PutStaged(Session& session, uint32_t address, const void* data, std::size_t bytes, PciUnit unit)
{
    if (session.Dead())
        return false;
    if (BoundPath() == Path::Isa) {
        const std::vector<uint16_t> words = StagedArraysUnits<uint16_t>(data, bytes);
        return IsaWriteWords(session, address, words.data(), words.size());
    }
    if (unit == PciUnit::Int16) {
        const std::vector<int16_t> values = StagedArraysUnits<int16_t>(data, bytes);
        PciWriteInt16(values.data(), address, static_cast<int32_t>(values.size()));
    } else {
        const std::vector<uint32_t> values = StagedArraysUnits<uint32_t>(data, bytes);
        PciWriteInt32(values.data(), address, static_cast<int32_t>(values.size()));
    }
    return session.Check();
}

bool GetStaged(Session& session, uint32_t address, void* data, std::size_t bytes, PciUnit unit)
{
    if (session.Dead())
        return false;
    if (BoundPath() == Path::Isa) {
        std::vector<uint16_t> words((bytes + 1) / 2);
        if (!IsaReadWords(session, address, words.data(), words.size()))
            return false;
        StagedArraysCopyOut(words, data, bytes);
        return true;
    }
    if (unit == PciUnit::Int16) {
        std::vector<int16_t> values((bytes + 1) / 2);
        PciReadInt16(address, values.data(), static_cast<int32_t>(values.size()));
        if (!session.Check())
            return false;
        StagedArraysCopyOut(values, data, bytes);
    } else {
        std::vector<uint32_t> values((bytes + 3) / 4);
        PciReadInt32(address, values.data(), static_cast<int32_t>(values.size()));
        if (!session.Check())
            return false;
        StagedArraysCopyOut(values, data, bytes);
    }
    return true;
}

}  // namespace morvane::dci
