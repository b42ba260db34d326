// Whatever words a host leaves in the argument buffer before a direct call:
// the firmware decodes them back from the call number and runs the call on
// a small screen, or logs why it cannot; it never reads or draws outside.

#include "gensim/CardDci.h"
#include "gensim/DciCallTable.h"
#include "gensim/Generator.h"
#include "gensim/IsaCardMap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kFirst = gensim::isa::kCallArguments.first;
constexpr std::size_t kVideoBytes = 64 * 32;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static gensim::Generator generator{gensim::GeneratorOptions{.pty = false, .isaSlot = 0}};
    static std::vector<uint8_t> video(kVideoBytes);
    std::vector<uint16_t> words(size / 2);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
    auto word = [&words](uint32_t address) -> uint16_t {
        const uint32_t index = (address - kFirst) / 16;
        return address >= kFirst && index < words.size() ? words[index] : 0xFFFF;
    };
    const gensim::DecodedIsaCall call
        = gensim::decodeIsaCall(word, kFirst, kFirst + 16 * static_cast<uint32_t>(words.size()));
    gensim::CardDci dci(generator, "isa0", video.data(), video.size(), {gensim::isa::kStagingHeap.first, 4096, 8, 2});
    dci.setValue("width", 64);
    dci.setValue("height", 32);
    if (call.problem.empty())
        dci.run(call.row->name, call.args);
    return 0;
}
