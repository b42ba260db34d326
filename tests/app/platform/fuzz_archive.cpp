// Random bytes into the archive reader: it may refuse them, never crash.
#include "FuzzInput.h"
#include "ArchiveTestClasses.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    try {
        while (ar.BytesLeft() > 0)
            ar.ReadObject(RUNTIME_CLASS(CObject));
    } catch (const CArchiveException &) {
    }
    return 0;
}
