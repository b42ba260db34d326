// Random bytes into the older product's record reader (positioned after the
// record kind, as the data list leaves it): it may refuse them, never crash;
// a refusal leaves the item as it was, and what it takes is usable and
// stores again as such a record.
#include "Archive.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"

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
    CFormat format;
    const CGeneralFormatData before = format.Data();
    try {
        if (!format.ImportLegacyBinary(ar)) {
            Check(format.Data().name == before.name && format.Data().gamma == before.gamma);
            return 0;
        }
        Check(format.Data().CheckValues().isEmpty());
        Check(format.Data().name.size() <= CFormat::kLegacyNameLength);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        CArchive store(&out, CArchive::store);
        format.StoreObject(store, true);
    } catch (const CArchiveException &) {
        // A record cut short: the item keeps what it had.
        Check(format.Data().name == before.name && format.Data().gamma == before.gamma);
    }
    return 0;
}
