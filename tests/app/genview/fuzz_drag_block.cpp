// Random bytes as a generator item drag block: the reader may refuse them,
// never read past the end, and what it takes is a block it would write the
// same way again.
#include "FuzzCheck.h"
#include "GeneratorItemDragBlock.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto entries = GeneratorItemDragBlock::Parse(block);
    if (!entries)
        return 0;
    FuzzCheck(!entries->empty());
    for (const GeneratorItemDragBlock::Entry &entry : *entries) {
        FuzzCheck(entry.listNumber >= GeneratorItemDragBlock::kFirstListNumber);
        FuzzCheck(entry.listNumber <= GeneratorItemDragBlock::kLastListNumber);
        FuzzCheck(!entry.name.isEmpty());
    }
    FuzzCheck(GeneratorItemDragBlock::Build(*entries) == block);
    return 0;
}
