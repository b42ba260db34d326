// Random bytes into the older product's image record reader (positioned
// after the record kind, as the data list leaves it): it may refuse them,
// never crash; a refusal or a record cut short leaves the image as it was.
#include "Archive.h"
#include "CImage.h"
#include "CPrimitive.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzPrompter.h"

namespace {

bool Untouched(const CImage &image)
{
    return image.GetName() == QStringLiteral("Image") && image.Primitives().empty() && image.Width() == 640
        && image.Height() == 480;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    InstallFuzzPrompter(); // a primitive of an unknown kind is reported
    FuzzArchive input(data, size);
    CImage image;
    try {
        if (!image.ImportLegacyBinary(input.Archive())) {
            FuzzCheck(Untouched(image) && !image.LastError().isEmpty());
            return 0;
        }
    } catch (const CArchiveException &) {
        FuzzCheck(Untouched(image));
        return 0;
    }
    FuzzCheck(image.GetName().size() <= 10);
    FuzzCheck(int(image.Primitives().size()) <= CImage::kMaxPrimitives);
    FuzzCheck(image.Width() >= 2 && image.Width() <= CImage::kMaxSide);
    FuzzCheck(image.Height() >= 2 && image.Height() <= CImage::kMaxSide);
    return 0;
}
