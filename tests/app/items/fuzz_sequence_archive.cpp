// Random bytes into the sequence file reader: it may refuse them, never
// crash, and every step it takes lies in the step tables and stores again.
#include "Archive.h"
#include "CSequence.h"
#include "FuzzInput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    try {
        if (std::unique_ptr<CSequence> sequence = ar.ReadObject<CSequence>()) {
            for (CSequenceStep step : sequence->Steps())
                FuzzCheck(step.Normalize());
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            CArchive store(&out, CArchive::store);
            sequence->StoreObject(store, false);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
