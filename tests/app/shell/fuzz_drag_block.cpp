// Random bytes as a generator item drag block: the reader may refuse them,
// never read past the end, and what it takes is a block it would write the
// same way again.
#include "GeneratorItemDragBlock.h"

#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto entries = GeneratorItemDragBlock::Parse(block);
    if (!entries)
        return 0;
    Check(!entries->empty());
    for (const GeneratorItemDragBlock::Entry &entry : *entries) {
        Check(entry.listNumber >= GeneratorItemDragBlock::kFirstListNumber);
        Check(entry.listNumber <= GeneratorItemDragBlock::kLastListNumber);
        Check(!entry.name.isEmpty());
    }
    Check(GeneratorItemDragBlock::Build(*entries) == block);
    return 0;
}
