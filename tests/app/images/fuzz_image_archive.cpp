// Random bytes into the image file reader: it may refuse them, never crash;
// what it takes has a size an image can have, unlocked primitives, and
// stores again to bytes that load to the same lines.
#include "Archive.h"
#include "CImage.h"
#include "CPrimitive.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzPrompter.h"

#include <QBuffer>

namespace {

QByteArray StoreImage(CImage &image)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CArchive store(&out, CArchive::store);
    store.WriteObject(&image);
    return out.data();
}

QStringList LinesOf(const CImage &image)
{
    QStringList lines;
    for (const auto &primitive : image.Primitives())
        lines.append(primitive->GetCommandText());
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    InstallFuzzPrompter(); // a primitive of an unknown kind is reported
    FuzzArchive input(data, size);
    std::unique_ptr<CImage> image;
    try {
        image = input.Archive().ReadObject<CImage>();
    } catch (const CArchiveException &) {
        return 0;
    }
    if (!image)
        return 0;
    FuzzCheck(image->Width() >= 1 && image->Width() <= CImage::kMaxSide);
    FuzzCheck(image->Height() >= 1 && image->Height() <= CImage::kMaxSide);
    for (const auto &primitive : image->Primitives())
        FuzzCheck(primitive && !primitive->IsLocked());
    QByteArray stored = StoreImage(*image);
    QBuffer again(&stored);
    again.open(QIODevice::ReadOnly);
    CArchive load(&again, CArchive::load);
    const std::unique_ptr<CImage> reloaded = load.ReadObject<CImage>();
    FuzzCheck(reloaded && LinesOf(*reloaded) == LinesOf(*image));
    return 0;
}
