// Random bytes into the older product's knob list record: a refusal leaves
// the item as it was; what is taken keeps its bounds.
#include "Archive.h"
#include "CKnobList.h"

#include <QBuffer>

#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    CKnobList list;
    if (!list.ImportLegacyBinary(ar)) {
        Check(!list.LastError().isEmpty());
        Check(list.GetName() == QStringLiteral("KnobList") && list.Entries().isEmpty());
        return 0;
    }
    Check(list.GetName().size() <= int(CKnobList::kLegacyNameLength));
    Check(list.Entries().size() <= qsizetype(CKnobList::kMaxLegacyEntries));
    for (const QString &entry : list.Entries())
        Check(entry.size() <= CKnobList::kEntryLength);
    return 0;
}
