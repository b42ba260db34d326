// The image-memory steps: the characters primitive's font word at 2.179,
// the fill, grill and characters changes of 2.349.
#include "MemoryFileConverter.h"

#include "MemoryRecords.h"
#include "StringTable.h"

namespace {

constexpr uint16_t kCharacters = 7;
constexpr uint16_t kFillWord = 16;  // the fill patterns 2.349 kept

void AddFontWord(OldPrimitive &primitive)
{
    if (primitive.opcode == kCharacters)
        primitive.words.push_back(0);
}

void ChangeAt2349(OldPrimitive &primitive)
{
    std::vector<uint16_t> &w = primitive.words;
    switch (primitive.opcode) {
    case 0:
    case 1:
        if (w[5] != 0)
            w[5] = kFillWord;
        break;
    case 10:
        if (w[7] != 0)
            w[7] = kFillWord;
        break;
    case 5:
    case 6:
        w.push_back(w[1]);
        break;
    case kCharacters:
        w = {w[0], 10000, 10000, 0, 0, w[2], w[1]};
        break;
    default:
        break;
    }
}

} // namespace

bool MemoryFileConverter::ImageMemory(int revision)
{
    if (!m_presence.images)
        return true;
    Log(IDS_CONVERT_IMAGE_MEMORY);
    const QString name = QStringLiteral("images.img");
    const bool at2179 = revision == 2179;
    if (at2179) {
        Log(IDS_CONVERT_ADD_FONT);
    } else {
        Log(IDS_CONVERT_MODIFY);
        Log(IDS_CONVERT_FILL_PATTERNS);
        Log(IDS_CONVERT_GRILL);
        Log(IDS_CONVERT_CHARACTERS);
    }
    const bool converted = Rewrite(name, [at2179](const QByteArray &in, QByteArray &out) {
        std::vector<OldImage> images;
        if (!ReadOldImages(in, at2179 ? PrimitiveLayoutBefore2179 : PrimitiveLayout2179, images))
            return false;
        for (OldImage &image : images)
            for (OldPrimitive &primitive : image.primitives)
                at2179 ? AddFontWord(primitive) : ChangeAt2349(primitive);
        out = WriteOldImages(images);
        return true;
    });
    if (!converted || at2179)
        return converted;
    Log(IDS_CONVERT_IMAGE_RENAME_FILE);
    return RenameFile(name, QStringLiteral("image.mem"));
}
