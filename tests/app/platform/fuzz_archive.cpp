// Random bytes into the archive reader: it may refuse them, never crash.
#include "ArchiveTestClasses.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    try {
        while (ar.BytesLeft() > 0)
            ar.ReadObject(RUNTIME_CLASS(CObject));
    } catch (const CArchiveException &) {
    }
    return 0;
}
