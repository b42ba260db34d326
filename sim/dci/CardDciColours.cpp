// The drawing library's colours: names, the colour table and its levels,
// edge blends, replicated pixels.
#include "gensim/CardDci.h"

#include <algorithm>

namespace gensim {

namespace {

uint32_t coloursWord(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() ? static_cast<uint32_t>(static_cast<int64_t>(a[i])) : 0;
}

int coloursIndex(std::string_view name)
{
    const std::string plain = drawing::plainName(name);
    for (int k = 0; k < drawing::kNamedColours; ++k)
        if (colourName(k) == plain)
            return k;
    return -1;
}

} // namespace

std::array<uint32_t, 3> CardDci::level(uint32_t pixel) const
{
    std::lock_guard lock(m_mutex);
    return levelLocked(pixel);
}

std::array<uint32_t, 3> CardDci::levelLocked(uint32_t pixel) const
{
    if (auto it = m_levels.find(pixel & 0xFF); it != m_levels.end())
        return it->second;
    for (int k = 0; k < drawing::kNamedColours; ++k) {
        const uint32_t value = drawing::tableColour(k, m_lutSelector);
        if (value != 0 && (value & 0xFF) == (pixel & 0xFF))
            return drawing::namedLevels(k, m_levelMax);
    }
    return {0, 0, 0};
}

uint32_t CardDci::levelLimit(uint32_t level) const
{
    return std::min(level, m_levelMax);
}

int CardDci::psize() const
{
    return static_cast<int>(static_cast<int64_t>(valueLocked("uintsize")));
}

uint32_t CardDci::transparentColour(const std::vector<double>& a)
{
    m_colour1 = coloursWord(a, 0);
    m_transparent = true;
    return 0;
}

uint32_t CardDci::opaqueColours(const std::vector<double>& a)
{
    m_colour1 = coloursWord(a, 0);
    m_colour0 = coloursWord(a, 1);
    m_transparent = false;
    return 0;
}

// Colour 1 from a name; its value, or 0 (colour 1 kept) for a name the
// table lacks.
uint32_t CardDci::setColourNamed(const std::vector<double>& a)
{
    const uint32_t value = drawing::tableColour(coloursIndex(stagedText(coloursWord(a, 0))), m_lutSelector);
    if (value != 0)
        m_colour1 = value;
    return value;
}

// (left name, right name): the next edge's first colour, or 0.
uint32_t CardDci::setEdgeColourNamed(const std::vector<double>& a)
{
    const uint32_t left = drawing::tableColour(coloursIndex(stagedText(coloursWord(a, 0))), m_lutSelector);
    const uint32_t right = drawing::tableColour(coloursIndex(stagedText(coloursWord(a, 1))), m_lutSelector);
    if (left == 0 || right == 0 || m_edges >= drawing::kMaxEdges)
        return 0;
    const std::array<uint32_t, 3> from = levelLocked(left), to = levelLocked(right);
    const int edge = m_edges++;
    for (int j = 0; j < drawing::kEdgeSamples; ++j)
        m_levels[drawing::edgePixel(edge, j) & 0xFF] = drawing::blendLevels(from, to, j);
    return drawing::edgePixel(edge, 0);
}

// (edge, sample).
uint32_t CardDci::getEdgeColour(const std::vector<double>& a)
{
    const auto edge = static_cast<int32_t>(coloursWord(a, 0));
    const auto sample = static_cast<int32_t>(coloursWord(a, 1));
    if (edge < 0 || edge >= m_edges || sample < 0 || sample >= drawing::kEdgeSamples)
        return 0;
    return drawing::edgePixel(edge, sample);
}

uint32_t CardDci::getEdgeColourMany(const std::vector<double>&)
{
    return drawing::kEdgeSamples;
}

uint32_t CardDci::setLut(const std::vector<double>& a)
{
    m_lutSelector = coloursWord(a, 0);
    m_levels.clear();
    m_edges = 0;
    return 0;
}

uint32_t CardDci::resetLut(const std::vector<double>& a)
{
    return setLut(a);
}

uint32_t CardDci::initLut(const std::vector<double>&)
{
    m_lutSelector.reset();
    m_levels.clear();
    m_edges = 0;
    return 0;
}

uint32_t CardDci::selectColour(const std::vector<double>& a) { m_selectedColour = coloursWord(a, 0) & 0xFF; return 0; }
uint32_t CardDci::pokeColour(const std::vector<double>& a) { m_pokedColour = coloursWord(a, 0) & 0xFF; return 0; }
uint32_t CardDci::setCode(const std::vector<double>& a) { m_code = coloursWord(a, 0); return 0; }
uint32_t CardDci::pokeCode(const std::vector<double>& a) { m_pokedCode = coloursWord(a, 0); return 0; }

// (red, green, blue) for the selected colour: the values themselves on ISA,
// on PCI the addresses of three staged 32-bit words.
uint32_t CardDci::setLevelRgb(const std::vector<double>& a)
{
    std::array<uint32_t, 3> levels{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (isIsa()) {
            levels[i] = coloursWord(a, i) & 0xFFFF;
            continue;
        }
        const Staged s = staged(coloursWord(a, i));
        if (s.data == nullptr || s.size < 4)
            return 0;
        levels[i] = uint32_t{s.data[0]} | uint32_t{s.data[1]} << 8 | uint32_t{s.data[2]} << 16 | uint32_t{s.data[3]} << 24;
    }
    m_levels[m_selectedColour] = {levelLimit(levels[0]), levelLimit(levels[1]), levelLimit(levels[2])};
    return 0;
}

uint32_t CardDci::pokeLevelRgb(const std::vector<double>& a)
{
    m_levels[m_pokedColour] = {levelLimit(coloursWord(a, 0) & 0xFFFF), levelLimit(coloursWord(a, 1) & 0xFFFF),
                               levelLimit(coloursWord(a, 2) & 0xFFFF)};
    return 0;
}

uint32_t CardDci::setLevelGray(const std::vector<double>& a)
{
    const uint32_t g = levelLimit(coloursWord(a, 0) & 0xFFFF);
    m_levels[m_selectedColour] = {g, g, g};
    return 0;
}

uint32_t CardDci::setLevelGrayPercent(const std::vector<double>& a)
{
    const int64_t percent = std::clamp<int64_t>(static_cast<int32_t>(coloursWord(a, 0)), 0, 100);
    const auto g = static_cast<uint32_t>(int64_t{m_levelMax} * percent / 100);
    m_levels[m_selectedColour] = {g, g, g};
    return 0;
}

uint32_t CardDci::pokeBlackColours(const std::vector<double>&)
{
    for (uint32_t p = 0; p < 256; ++p)
        m_levels[p] = {0, 0, 0};
    return 0;
}

uint32_t CardDci::repPixelRoutine(const std::vector<double>& a)
{
    return drawing::repPixel(coloursWord(a, 0), psize());
}

uint32_t CardDci::unRepPixel(const std::vector<double>& a)
{
    const int bits = psize();
    return coloursWord(a, 0) & (bits == 1 ? 1u : bits == 2 ? 3u : bits == 4 ? 0xFu : 0xFFu);
}

} // namespace gensim
