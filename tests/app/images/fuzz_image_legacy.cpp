// Random bytes into the older product's image record reader (positioned
// after the record kind, as the data list leaves it): it may refuse them,
// never crash; a refusal or a record cut short leaves the image as it was.
#include "Archive.h"
#include "CImage.h"
#include "CPrimitive.h"

#include <QBuffer>

#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool Untouched(const CImage &image)
{
    return image.GetName() == QStringLiteral("Image") && image.Primitives().empty() && image.Width() == 640
        && image.Height() == 480;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    CImage image;
    try {
        if (!image.ImportLegacyBinary(ar)) {
            Check(Untouched(image) && !image.LastError().isEmpty());
            return 0;
        }
    } catch (const CArchiveException &) {
        Check(Untouched(image));
        return 0;
    }
    Check(image.GetName().size() <= 10);
    Check(int(image.Primitives().size()) <= CImage::kMaxPrimitives);
    Check(image.Width() >= 2 && image.Width() <= CImage::kMaxSide);
    Check(image.Height() >= 2 && image.Height() <= CImage::kMaxSide);
    return 0;
}
