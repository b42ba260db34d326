// Whatever bytes a host stages as a font image: the firmware's reader takes
// a font it can draw or refuses the image, and text in an installed font
// never draws outside the screen or reads past the staged block. The seeds
// in corpus/fuzz_font_image are images of the built-in fonts (fontImage):
// all of OPIX9, SYS16's A-C, BIG30's digits, OPIX9's blank alone.

#include "gensim/CardDci.h"
#include "gensim/CardDrawing.h"
#include "gensim/Generator.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kFirst = 0xFF200000;
constexpr uint32_t kHeapBytes = 1 << 17;
constexpr std::size_t kVideoBytes = 64 * 32;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static gensim::Generator generator{gensim::GeneratorOptions{.pty = false, .isaSlot = 0}};
    if (const auto font = gensim::drawing::readFontImage(data, size)) {
        for (int ch = font->first; ch <= font->last; ++ch) {
            const gensim::drawing::Glyph* g = gensim::drawing::glyph(*font, ch);
            if (g == nullptr || g->bits.size() != static_cast<std::size_t>(g->width) * static_cast<std::size_t>(font->height))
                __builtin_trap();
        }
    }
    if (size + 8 > kHeapBytes)
        return 0;
    std::vector<uint8_t> video(kVideoBytes);
    std::vector<uint8_t> heap(kHeapBytes);
    gensim::CardDci dci(generator, "isa0", video.data(), video.size(), {kFirst, kHeapBytes, 8, 2, heap.data()});
    dci.setValue("width", 64);
    dci.setValue("height", 32);
    const uint32_t image = dci.run("Allocate", {static_cast<double>(size)});
    const uint32_t text = dci.run("Allocate", {8});
    if (image == 0 || text == 0)
        return 0;
    std::copy(data, data + size, heap.data() + (image - kFirst) / 8);
    const char sample[8] = {'A', 'g', ' ', '~', '\x7F', '\x01', 'W', '\0'};
    std::copy(sample, sample + 8, heap.data() + (text - kFirst) / 8);
    const auto slot = static_cast<int32_t>(dci.run("XR_InstallFont", {0, static_cast<double>(image)}));
    if (slot >= 0) {
        dci.run("XR_SelectFont", {static_cast<double>(slot)});
        dci.run("XR_GetWidth", {static_cast<double>(text)});
        dci.run("XR_DrawString", {-3, -2, static_cast<double>(text)});
        dci.run("XR_DrawItalic", {40, 20, static_cast<double>(text)});
    }
    return 0;
}
