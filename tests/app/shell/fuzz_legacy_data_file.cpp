// Random bytes into the reader of the older product's data files, with the
// real format record reader behind it: it may refuse them, never crash, never
// read past the end, and every item it took is a usable format.
#include "Archive.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "LegacyDataFile.h"
#include "ShellImages.h"

#include <QBuffer>

#include <cstdlib>
#include <memory>
#include <vector>

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
            Check(item == made.back().get());
            Check(static_cast<CFormat *>(item)->Data().CheckValues().isEmpty());
            ++taken;
        });
    Check(buffer.pos() <= bytes.size());
    Check(taken <= made.size() && made.size() <= LegacyDataFile::kMaxItems);
    if (result == LegacyDataFile::Result::Imported)
        Check(taken == made.size());
    return 0;
}
