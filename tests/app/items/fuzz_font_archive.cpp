// Random bytes into the font file reader: it may refuse them, never crash,
// and what it takes is a font the editor can unpack, whose every glyph's
// columns lie within the strike, and which stores again.
#include "Archive.h"
#include "CFontData.h"
#include "FuzzInput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    try {
        if (std::unique_ptr<CFontData> font = ar.ReadObject<CFontData>()) {
            const FontData &read = font->Data();
            FuzzCheck(read.Valid());
            std::uint32_t any = 0;
            for (std::size_t g = 0; g < read.Glyphs(); ++g)
                for (int row = 0; row < read.charHeight; ++row)
                    for (int column = read.locTable[g]; column < read.locTable[g + 1]; ++column)
                        any |= read.bitmap[std::size_t(row) * std::size_t(read.pitch32) + std::size_t(column)];
            (void)any;
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            CArchive store(&out, CArchive::store);
            font->StoreObject(store, false);
        }
    } catch (const CArchiveException &) {
    }
    return 0;
}
