// The font commands beside the FNT family: the header of the font being
// uploaded (FDTA 0 k value), the allocation of its tables (FNTG), their
// entries (FDTA t i value) and the read-back of a loaded font (FDTA? t i).

#include "gensim/Arguments.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/Fonts.h"
#include "gensim/Generator.h"

#include <limits>

namespace gensim {

namespace {

constexpr int kMaxCode = 255;
constexpr int kMaxCharHeight = 1000;

// The family exists only above this firmware, its commands with it.
bool knowsFonts(const GeneratorState& s) { return s.firmware > itemKind(ItemKind::Font).aboveFirmware; }

bool isHeaderSlot(long long k) { return k >= 1 && k < FontTables::kHeaderSlots && k != 8; }

// What an entry of table t may hold.
bool entryFits(long long t, long long value)
{
    switch (t) {
    case 1: return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::uint32_t>::max();
    case 2:
    case 3: return value >= 0 && value <= 0xFFFF;
    default: return value >= 0 && value <= 0xFF;
    }
}

// The entry t i of the buffer's tables, or the refusal: none before FNTG
// or FNTL, none outside its table.
Outcome entryAt(GeneratorState& s, long long t, long long i, std::uint32_t*& entry)
{
    if (t < 1 || t > FontTables::kTables)
        return Outcome::failed(ExecError::OutOfRange);
    if (!s.fontBuffer.allocated)
        return Outcome::failed(ExecError::FontNotFound);
    std::vector<std::uint32_t>& table = s.fontBuffer.font.tables[static_cast<std::size_t>(t - 1)];
    if (i < 0 || i >= static_cast<long long>(table.size()))
        return Outcome::failed(ExecError::OutOfRange);
    entry = &table[static_cast<std::size_t>(i)];
    return Outcome::ok();
}

// FDTA 0 k value sets a header value; FDTA t i value an entry.
Outcome writeEntry(GeneratorState& s, const Command& c)
{
    long long v[3] = {};
    if (Outcome o = wholeArguments(c, 3, v); o.status != Outcome::Status::Ok)
        return o;
    if (v[0] == 0) {
        if (!isHeaderSlot(v[1]) || v[2] < std::numeric_limits<std::int32_t>::min() ||
            v[2] > std::numeric_limits<std::int32_t>::max())
            return Outcome::failed(ExecError::OutOfRange);
        s.fontBuffer.font.header[static_cast<std::size_t>(v[1])] = static_cast<std::int32_t>(v[2]);
        return Outcome::ok();
    }
    std::uint32_t* entry = nullptr;
    if (Outcome o = entryAt(s, v[0], v[1], entry); o.status != Outcome::Status::Ok)
        return o;
    if (!entryFits(v[0], v[2]))
        return Outcome::failed(ExecError::OutOfRange);
    *entry = static_cast<std::uint32_t>(v[2]);
    return Outcome::ok();
}

// FDTA? 0 k: a header value; FDTA? t i: an entry, the strike's words signed.
Outcome readEntry(GeneratorState& s, const Command& c)
{
    long long v[2] = {};
    if (Outcome o = wholeArguments(c, 2, v); o.status != Outcome::Status::Ok)
        return o;
    if (v[0] == 0) {
        if (!isHeaderSlot(v[1]))
            return Outcome::failed(ExecError::OutOfRange);
        return Outcome::ok({std::to_string(s.fontBuffer.font.header[static_cast<std::size_t>(v[1])])});
    }
    std::uint32_t* entry = nullptr;
    if (Outcome o = entryAt(s, v[0], v[1], entry); o.status != Outcome::Status::Ok)
        return o;
    if (v[0] == 1)
        return Outcome::ok({std::to_string(static_cast<std::int32_t>(*entry))});
    return Outcome::ok({std::to_string(*entry)});
}

// FNTG: zeroed tables of the sizes the header asks for.
Outcome allocateTables(GeneratorState& s, const Command& c)
{
    if (!c.words.empty())
        return Outcome::failed(ExecError::ArgumentCount);
    FontBuffer& b = s.fontBuffer;
    std::array<std::size_t, FontTables::kTables> sizes{};
    if (!b.font.tableSizes(sizes))
        return Outcome::failed(ExecError::OutOfRange);
    for (std::size_t t = 0; t < sizes.size(); ++t)
        b.font.tables[t].assign(sizes[t], 0u);
    b.allocated = true;
    return Outcome::ok();
}

using Handler = CommandInterpreter::Handler;

Handler gatedFontRow(Outcome (*row)(GeneratorState&, const Command&))
{
    return [row](GeneratorState& s, const Command& c) { return knowsFonts(s) ? row(s, c) : Outcome::invalid(); };
}

}  // namespace

bool FontTables::tableSizes(std::array<std::size_t, kTables>& sizes) const
{
    const long long first = header[kFirst], last = header[kLast];
    const long long height = header[kCharHeight], pitch32 = header[kPitch32];
    if (first < 0 || last < first || last > kMaxCode || height < 1 || height > kMaxCharHeight)
        return false;
    const long long glyphs = last - first + 2;  // the characters and the missing glyph
    if (pitch32 < 1 || pitch32 > 8 * glyphs)
        return false;
    sizes = {static_cast<std::size_t>(pitch32 * height), static_cast<std::size_t>(glyphs + 1),
             static_cast<std::size_t>(glyphs + 1), static_cast<std::size_t>(glyphs)};
    return true;
}

std::uint64_t FontTables::bytes() const
{
    return 4 * tables[0].size() + 2 * tables[1].size() + 2 * tables[2].size() + tables[3].size();
}

void CommandInterpreter::addFontRows()
{
    addRow("FDTA", gatedFontRow(writeEntry));
    addRow("FDTA?", gatedFontRow(readEntry));
    addRow("FNTG", gatedFontRow(allocateTables));
}

void beginFont(GeneratorState& s)
{
    s.fontBuffer = FontBuffer{};
}

void fillFont(const GeneratorState& s, StoredItem& item)
{
    item.font = s.fontBuffer.font;
}

Outcome loadFont(GeneratorState& s, const StoredItem* item)
{
    s.fontBuffer = FontBuffer{};
    if (item) {
        s.fontBuffer.font = item->font;
        s.fontBuffer.allocated = true;
    }
    return Outcome::ok();
}

StoredItem sampleFont(std::string name, bool user, int first, int last, int width, int height, int variant)
{
    StoredItem item{std::move(name), user};
    FontTables& f = item.font;
    const int glyphs = last - first + 2;
    // first, last, wideMax, kernMax, negDescent, rectWidth, height, -, ascent, descent, leading, pitch32
    f.header = {0, first, last, width, 0, -1, width, height, 0, height - 1, 1, height + 1, glyphs};
    f.tables[0].assign(std::size_t(glyphs) * std::size_t(height), 0u);
    const std::uint32_t widthMask = width >= 32 ? ~0u : ~(~0u >> width);
    std::uint32_t seed = 0x9E3779B9u * std::uint32_t(variant + 1);
    for (int row = 0; row < height; ++row) {
        for (int g = 0; g + 1 < glyphs; ++g) {
            seed = seed * 1664525u + 1013904223u;
            f.tables[0][std::size_t(row * glyphs + g)] = seed & widthMask;
        }
        const bool edge = row == 0 || row == height - 1;
        const std::uint32_t sides = (0x80000000u | (0x80000000u >> (width - 1))) & widthMask;
        f.tables[0][std::size_t(row * glyphs + glyphs - 1)] = edge ? widthMask : sides;
    }
    for (int g = 0; g <= glyphs; ++g) {
        f.tables[1].push_back(std::uint32_t(g));
        f.tables[2].push_back(g == glyphs ? 0xFFFFu : std::uint32_t(width));
    }
    f.tables[3].assign(std::size_t(glyphs), std::uint32_t(width));
    return item;
}

std::vector<StoredItem> builtInFonts()
{
    return {sampleFont("Fixed_9", false, 32, 126, 6, 9, 0), sampleFont("Fixed_16", false, 32, 126, 8, 16, 1)};
}

}  // namespace gensim
