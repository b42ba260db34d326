// Random bytes into the older product's knob list record: a refusal leaves
// the item as it was; what is taken keeps its bounds.
#include "Archive.h"
#include "CKnobList.h"
#include "FuzzInput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    CKnobList list;
    if (!list.ImportLegacyBinary(ar)) {
        FuzzCheck(!list.LastError().isEmpty());
        FuzzCheck(list.GetName() == QStringLiteral("KnobList") && list.Entries().isEmpty());
        return 0;
    }
    FuzzCheck(list.GetName().size() <= int(CKnobList::kLegacyNameLength));
    FuzzCheck(list.Entries().size() <= qsizetype(CKnobList::kMaxLegacyEntries));
    for (const QString &entry : list.Entries())
        FuzzCheck(entry.size() <= CKnobList::kEntryLength);
    return 0;
}
