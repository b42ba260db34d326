// Random bytes into the older product's record reader (positioned after the
// record kind, as the data list leaves it): it may refuse them, never crash;
// a refusal leaves the item as it was, and what it takes is usable and
// stores again as such a record.
#include "Archive.h"
#include "FuzzInput.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    CFormat format;
    const CGeneralFormatData before = format.Data();
    try {
        if (!format.ImportLegacyBinary(ar)) {
            FuzzCheck(format.Data().name == before.name && format.Data().gamma == before.gamma);
            return 0;
        }
        FuzzCheck(format.Data().CheckValues().isEmpty());
        FuzzCheck(format.Data().name.size() <= CFormat::kLegacyNameLength);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        CArchive store(&out, CArchive::store);
        format.StoreObject(store, true);
    } catch (const CArchiveException &) {
        // A record cut short: the item keeps what it had.
        FuzzCheck(format.Data().name == before.name && format.Data().gamma == before.gamma);
    }
    return 0;
}
