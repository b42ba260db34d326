// Whatever bytes a host stages as a run-length block: the card draws what
// the block holds on a small screen, or stops at its first fault; it never
// reads past the staged block or draws outside the screen. The first two
// bytes place the block, the third sets transparency.

#include "gensim/CardDci.h"
#include "gensim/Generator.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kHeapFirst = 0xFF200000;
constexpr std::size_t kHeapBytes = 8192;
constexpr std::size_t kVideoBytes = 64 * 32;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static gensim::Generator generator{gensim::GeneratorOptions{.pty = false, .isaSlot = 0}};
    if (size < 3)
        return 0;
    std::vector<uint8_t> video(kVideoBytes);
    std::vector<uint8_t> heap(kHeapBytes);
    gensim::CardDci dci(generator, "isa0", video.data(), video.size(),
                        {kHeapFirst, static_cast<uint32_t>(heap.size()), 8, 2, heap.data()});
    dci.setValue("width", 64);
    dci.setValue("height", 32);
    const std::size_t bytes = std::min(size - 3, kHeapBytes);
    const uint32_t block = dci.run("Allocate", {static_cast<double>(bytes)});
    if (block == 0)
        return 0;
    std::copy_n(data + 3, bytes, heap.data() + (block - kHeapFirst) / 8);
    if (data[2] & 1)
        dci.run("XR_TranspON", {});
    dci.run("XR_RunDecode", {static_cast<double>(static_cast<int8_t>(data[0])),
                             static_cast<double>(static_cast<int8_t>(data[1])), static_cast<double>(block)});
    return 0;
}
