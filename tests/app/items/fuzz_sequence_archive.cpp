// Random bytes into the sequence file reader: it may refuse them, never
// crash, and every step it takes lies in the step tables and stores again.
#include "Archive.h"
#include "CSequence.h"

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
    try {
        if (std::unique_ptr<CSequence> sequence = ar.ReadObject<CSequence>()) {
            for (CSequenceStep step : sequence->Steps())
                Check(step.Normalize());
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            CArchive store(&out, CArchive::store);
            sequence->StoreObject(store, false);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
