// Random bytes into the format file reader: it may refuse them, never
// crash, and what it takes is usable.
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
    try {
        if (std::unique_ptr<CFormat> format = ar.ReadObject<CFormat>()) {
            FuzzCheck(format->Data().CheckValues().isEmpty());
            // What was taken must store again.
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            CArchive store(&out, CArchive::store);
            format->StoreObject(store, false);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
