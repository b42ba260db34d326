// Random bytes into the reader of the older product's data files, with the
// real format record reader behind it: it may refuse them, never crash, never
// read past the end, and every item it took is a usable format.
#include "Archive.h"
#include "FuzzInput.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "LegacyDataFile.h"
#include "ShellImages.h"

#include <QBuffer>

#include <cstdlib>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    std::vector<std::unique_ptr<CFormat>> made;
    size_t taken = 0;
    const LegacyDataFile::Result result = LegacyDataFile::Read(
        ar,
        [&](int icon) -> CGenData * {
            if (icon != kIconFormat)
                return nullptr; // kinds this run does not hold stop the import
            made.push_back(std::make_unique<CFormat>());
            return made.back().get();
        },
        [&](CGenData *item) {
            FuzzCheck(item == made.back().get());
            FuzzCheck(static_cast<CFormat *>(item)->Data().CheckValues().isEmpty());
            ++taken;
        });
    FuzzCheck(input.Buffer().pos() <= qint64(size));
    FuzzCheck(taken <= made.size() && made.size() <= LegacyDataFile::kMaxItems);
    if (result == LegacyDataFile::Result::Imported)
        FuzzCheck(taken == made.size());
    return 0;
}
