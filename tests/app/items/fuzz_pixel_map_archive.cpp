// Random bytes into the pixel map file reader: it may refuse them, never
// crash, and what it takes is a map whose every pixel can be read and
// which stores again.
#include "Archive.h"
#include "CPixelMap.h"
#include "FuzzInput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    try {
        if (std::unique_ptr<CPixelMap> map = ar.ReadObject<CPixelMap>()) {
            const PixelMapData &read = map->Data();
            std::uint32_t any = 0;
            for (int y = 0; y < read.height; ++y)
                for (int x = 0; x < read.width; ++x)
                    any |= read.Pixel(x, y);
            FuzzCheck(read.lut.size() == PixelMapData::LutSize(read.depth) && any < read.lut.size());
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            CArchive store(&out, CArchive::store);
            map->StoreObject(store, false);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
