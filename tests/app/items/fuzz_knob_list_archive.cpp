// Random bytes into the knob list file reader: it may refuse them, never
// crash, and what it takes stores again.
#include "Archive.h"
#include "CKnobList.h"
#include "FuzzInput.h"

#include <QBuffer>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    try {
        if (std::unique_ptr<CKnobList> list = ar.ReadObject<CKnobList>()) {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            CArchive store(&out, CArchive::store);
            list->StoreObject(store, false);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
