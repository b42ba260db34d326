// Random bytes into the format file reader: it may refuse them, never
// crash, and what it takes is usable.
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
    try {
        if (std::unique_ptr<CFormat> format = ar.ReadObject<CFormat>()) {
            Check(format->Data().CheckValues().isEmpty());
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
