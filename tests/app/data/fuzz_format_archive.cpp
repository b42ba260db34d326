// Random bytes into the format file reader and the older product's record
// reader: they may refuse them, never crash, and what they take is usable.
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

// What a reader accepted must store again.
void CheckUsable(CFormat &format)
{
    Check(format.Data().CheckValues().isEmpty());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CArchive ar(&out, CArchive::store);
    format.StoreObject(ar, false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the reader.
    QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    try {
        if (data[0] & 1) {
            CFormat format;
            const CGeneralFormatData before = format.Data();
            if (format.ImportLegacyBinary(ar))
                CheckUsable(format);
            else
                Check(format.Data().name == before.name && format.Data().gamma == before.gamma);
        } else if (std::unique_ptr<CFormat> format = ar.ReadObject<CFormat>()) {
            CheckUsable(*format);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
