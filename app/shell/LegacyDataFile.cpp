#include "LegacyDataFile.h"

#include "Archive.h"
#include "CGenData.h"
#include "DataKindRegistry.h"

namespace LegacyDataFile {

namespace {

// Each list entry takes at least its 4-byte kind.
constexpr qint64 kMinEntryBytes = 4;

Result ReadRecord(CArchive &ar, qint32 kind, const MakeItem &make, const ItemTaken &taken)
{
    const int icon = DataKinds::LegacyKindIcon(kind);
    CGenData *item = icon < 0 ? nullptr : make(icon);
    if (!item || !item->ImportLegacyBinary(ar))
        return Result::Stopped;
    taken(item);
    return Result::Imported;
}

Result ReadList(CArchive &ar, const MakeItem &make, const ItemTaken &taken)
{
    quint32 count = 0;
    ar >> count;
    if (count > kMaxItems)
        return Result::Stopped;
    if (qint64(count) * kMinEntryBytes > ar.BytesLeft())
        return Result::Damaged; // cut short: refused before anything is made
    for (quint32 i = 0; i < count; ++i) {
        qint32 kind = 0;
        ar >> kind;
        if (const Result result = ReadRecord(ar, kind, make, taken); result != Result::Imported)
            return result;
    }
    return Result::Imported;
}

} // namespace

Result Read(CArchive &ar, const MakeItem &make, const ItemTaken &taken)
{
    try {
        ar.ReadBytes(kHeaderBytes);
        qint32 kind = 0;
        ar >> kind;
        if (kind == kList)
            return ReadList(ar, make, taken);
        return ReadRecord(ar, kind, make, taken);
    } catch (const CArchiveException &) {
        return Result::Damaged;
    }
}

} // namespace LegacyDataFile
