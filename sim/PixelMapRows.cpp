// The pixel-map commands beside the MAP family: the size of the map being
// uploaded (DMAP) or read (DMAP?), its words (MDTA, MDTA?), and the store,
// which like DMAP reports a lack of memory only in the error count (NERR?),
// not as a refusal.

#include "gensim/Arguments.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"
#include "gensim/PixelMaps.h"

#include <limits>

namespace gensim {

namespace {

// Sides the generator takes; memory bounds a map long before these.
constexpr long long kMaxSide = 65535;

bool isMapDepth(long long depth) { return depth == 1 || depth == 2 || depth == 4 || depth == 8; }

// The family exists only above this firmware, its commands with it.
bool knowsMaps(const GeneratorState& s) { return s.firmware > itemKind(ItemKind::PixelMap).aboveFirmware; }

// DMAP width height depth: a buffer of zero words. Without the memory for
// it nothing is allocated and the error count grows; the reply is silent.
Outcome allocateMap(GeneratorState& s, const Command& c)
{
    long long v[3] = {};
    if (Outcome o = wholeArguments(c, 3, v); o.status != Outcome::Status::Ok)
        return o;
    if (v[0] < 1 || v[0] > kMaxSide || v[1] < 1 || v[1] > kMaxSide || !isMapDepth(v[2]))
        return Outcome::failed(ExecError::OutOfRange);
    PixelMapBuffer& b = s.mapBuffer;
    b = PixelMapBuffer{};
    const int width = static_cast<int>(v[0]), height = static_cast<int>(v[1]), depth = static_cast<int>(v[2]);
    const std::uint64_t words = std::uint64_t(height) * std::uint64_t(mapPitch32(width, depth));
    if (memoryUsed(s) + words * 4 > s.memorySize) {
        ++s.errorCount;
        return Outcome::ok();
    }
    b.width = width;
    b.height = height;
    b.depth = depth;
    b.words.assign(words, 0u);
    return Outcome::ok();
}

Outcome mapSize(GeneratorState& s, const Command& c)
{
    if (!c.words.empty())
        return Outcome::failed(ExecError::ArgumentCount);
    const PixelMapBuffer& b = s.mapBuffer;
    return Outcome::ok({std::to_string(b.width) + "," + std::to_string(b.height) + "," + std::to_string(b.depth)});
}

// The buffer's word at the index argument, or the refusal.
Outcome wordAt(GeneratorState& s, const std::string& text, std::uint32_t*& word)
{
    long long index = 0;
    if (!wholeNumber(text, index))
        return Outcome::failed(ExecError::NotANumber);
    std::vector<std::uint32_t>& words = s.mapBuffer.words;
    if (words.empty())
        return Outcome::failed(ExecError::NoMapToSave);
    if (index < 0 || index >= static_cast<long long>(words.size()))
        return Outcome::failed(ExecError::OutOfRange);
    word = &words[static_cast<std::size_t>(index)];
    return Outcome::ok();
}

// MDTA index word: the word in either form, signed or not.
Outcome writeWord(GeneratorState& s, const Command& c)
{
    if (c.words.size() != 2)
        return Outcome::failed(ExecError::ArgumentCount);
    std::uint32_t* word = nullptr;
    if (Outcome o = wordAt(s, c.words[0], word); o.status != Outcome::Status::Ok)
        return o;
    long long value = 0;
    if (!wholeNumber(c.words[1], value))
        return Outcome::failed(ExecError::NotANumber);
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::uint32_t>::max())
        return Outcome::failed(ExecError::OutOfRange);
    *word = static_cast<std::uint32_t>(value);
    return Outcome::ok();
}

// MDTA? index: signed, or unsigned on a generator that writes them so.
Outcome readWord(GeneratorState& s, const Command& c)
{
    if (c.words.size() != 1)
        return Outcome::failed(ExecError::ArgumentCount);
    std::uint32_t* word = nullptr;
    if (Outcome o = wordAt(s, c.words[0], word); o.status != Outcome::Status::Ok)
        return o;
    if (s.options.unsignedMapWords)
        return Outcome::ok({std::to_string(*word)});
    return Outcome::ok({std::to_string(static_cast<std::int32_t>(*word))});
}

using Handler = CommandInterpreter::Handler;

Handler gatedMapRow(Outcome (*row)(GeneratorState&, const Command&))
{
    return [row](GeneratorState& s, const Command& c) { return knowsMaps(s) ? row(s, c) : Outcome::invalid(); };
}

}  // namespace

void CommandInterpreter::addPixelMapRows()
{
    addRow("DMAP", gatedMapRow(allocateMap));
    addRow("DMAP?", gatedMapRow(mapSize));
    addRow("MDTA", gatedMapRow(writeWord));
    addRow("MDTA?", gatedMapRow(readWord));
    // A store without the memory for it keeps what was stored and only
    // counts the error; one without a map allocated has nothing to save.
    Handler store = m_rows.at("MAPA");
    m_rows["MAPA"] = [store = std::move(store)](GeneratorState& s, const Command& c) {
        if (knowsMaps(s) && s.mapBuffer.words.empty())
            return Outcome::failed(ExecError::NoMapToSave);
        Outcome o = store(s, c);
        if (o.status == Outcome::Status::Failed && o.error == ExecError::InsufficientMemory) {
            ++s.errorCount;
            return Outcome::ok();
        }
        return o;
    };
}

int mapPitch32(int width, int depth)
{
    return (width * depth + 31) / 32;
}

void beginPixelMap(GeneratorState& s)
{
    s.mapBuffer = PixelMapBuffer{};
}

void fillPixelMap(const GeneratorState& s, StoredItem& item)
{
    const PixelMapBuffer& b = s.mapBuffer;
    item.width = b.width;
    item.height = b.height;
    item.depth = b.depth;
    item.words = b.words;
}

Outcome loadPixelMap(GeneratorState& s, const StoredItem* item)
{
    s.mapBuffer = PixelMapBuffer{};
    if (item) {
        s.mapBuffer.width = item->width;
        s.mapBuffer.height = item->height;
        s.mapBuffer.depth = item->depth;
        s.mapBuffer.words = item->words;
    }
    return Outcome::ok();
}

StoredItem samplePixelMap(std::string name, bool user, int width, int height, int depth, int variant)
{
    StoredItem item{std::move(name), user};
    item.width = width;
    item.height = height;
    item.depth = depth;
    const std::size_t count = std::size_t(height) * std::size_t(mapPitch32(width, depth));
    std::uint32_t seed = 0x9E3779B9u * std::uint32_t(variant + 1);
    for (std::size_t i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        item.words.push_back(seed);
    }
    return item;
}

std::vector<StoredItem> builtInPixelMaps()
{
    // Arrow: a 16 x 16 one-bit arrow, tip at the top left.
    StoredItem arrow{"Arrow", false};
    arrow.width = arrow.height = 16;
    arrow.depth = 1;
    for (int y = 0; y < 16; ++y) {
        const int run = y < 11 ? y + 1 : (y < 14 ? 3 : 0);
        arrow.words.push_back(run == 0 ? 0u : ~0u << (32 - run));
    }
    return {arrow, samplePixelMap("Cursor", false, 8, 8, 4, 0)};
}

}  // namespace gensim
