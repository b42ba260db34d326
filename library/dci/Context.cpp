// The context block: the generator's values it holds and where each comes
// from (an ISA query number, a PCI item), the order they are read in, the
// colour lists, and the doubles it keeps in two words.
#include "Dci.h"
#include "ProcessorNumbers.h"

#include <cstring>

namespace morvane::dci {

namespace {

enum class Width : uint8_t { Colour, Signed16, Unsigned16, Byte, Double };

// Consecutive words whose ISA query numbers and PCI items run alongside.
struct Source {
    int firstWord;
    int lastWord;
    uint16_t firstQuery;
    uint16_t firstItem;
    Width width;
};

constexpr Source kSources[] = {
    {RCC_BLACK, RCC_BLACK, 32808, 43, Width::Colour},
    {RCC_RED, RCC_RED75, 32863, 98, Width::Colour},
    {RCC_GREEN, RCC_YELLOW50, 32856, 91, Width::Colour},
    {RCC_YELLOW75, RCC_YELLOW75, 32862, 96, Width::Colour},
    {RCC_BLUE, RCC_BLUE75, 32853, 88, Width::Colour},
    {RCC_MAGENTA, RCC_CYAN75, 32866, 101, Width::Colour},
    {RCC_WHITE, RCC_WHITE, 32852, 87, Width::Colour},
    {RCC_BROWN, RCC_BROWN, 32861, 97, Width::Colour},
    {RCC_HUEI, RCC_HUENEGQ, 32874, 109, Width::Colour},
    {RCC_GRAY2, RCC_GRAY97, 32809, 44, Width::Colour},
    {RCC_BACKGROUND, RCC_BACKGROUND, 32873, 108, Width::Colour},
    {RCC_FOREGROUND, RCC_FOREGROUND, 32872, 107, Width::Colour},
    {RCC_IMAGEVERSION, RCC_IMAGEVERSION, 32805, 31, Width::Signed16},
    {RCC_PENW, RCC_DWELL, 32794, 24, Width::Signed16},
    {RCC_OFFSETX, RCC_SPACEY, 32797, 20, Width::Signed16},
    {RCC_DELTAX, RCC_DELTAY, 32801, 27, Width::Signed16},
    {RCC_LEVELRED, RCC_LEVELBLUE, 33001, 118, Width::Unsigned16},
    {RCC_WIDTH, RCC_HEIGHT, 32782, 8, Width::Signed16},
    {RCC_ASPECT, RCC_ASPECT, 32884, 37, Width::Double},
    {RCC_ASPECTSIZE, RCC_ASPECTSIZE, 32886, 39, Width::Double},
    {RCC_ASPECTPIXEL, RCC_ASPECTPIXEL, 32885, 38, Width::Double},
    {RCC_NORMALWIDTH, RCC_NORMALWIDTH, 32887, 40, Width::Double},
    {RCC_NORMALHEIGHT, RCC_NORMALHEIGHT, 32888, 41, Width::Double},
    {RCC_UINTSIZE, RCC_UINTSIZE, 32881, 34, Width::Byte},
    {RCC_WIDTHSIZE, RCC_WIDTHSIZE, 32882, 35, Width::Double},
    {RCC_HEIGHTSIZE, RCC_HEIGHTSIZE, 32883, 36, Width::Double},
    {RCC_METERWIDTH, RCC_METERHEIGHT, 32806, 32, Width::Signed16},
    {RCC_LEFT, RCC_CENTERBOTTOM, 32784, 10, Width::Signed16},
    {RCC_MAJOR, RCC_MINOR, 32792, 116, Width::Signed16},
    {RCC_ADDSPACE, RCC_MODSPACE, 32803, 29, Width::Signed16},
};

// A run of words read one after another, first to last (step -1: downward).
struct Run {
    int first;
    int last;
};

constexpr Run kColourOrder[] = {
    {RCC_HUENEGQ, RCC_HUEI}, {RCC_BACKGROUND, RCC_FOREGROUND}, {RCC_CYAN75, RCC_MAGENTA},
    {RCC_RED75, RCC_RED}, {RCC_YELLOW75, RCC_YELLOW75}, {RCC_BROWN, RCC_BROWN},
    {RCC_YELLOW50, RCC_GREEN}, {RCC_BLUE75, RCC_BLUE}, {RCC_WHITE, RCC_WHITE},
    {RCC_GRAY97, RCC_GRAY2}, {RCC_BLACK, RCC_BLACK},
};

constexpr Run kParameterOrder[] = {
    {RCC_NORMALHEIGHT, RCC_NORMALHEIGHT}, {RCC_NORMALWIDTH, RCC_NORMALWIDTH}, {RCC_ASPECTSIZE, RCC_ASPECTSIZE},
    {RCC_ASPECTPIXEL, RCC_ASPECTPIXEL}, {RCC_ASPECT, RCC_ASPECT}, {RCC_HEIGHTSIZE, RCC_HEIGHTSIZE},
    {RCC_WIDTHSIZE, RCC_WIDTHSIZE}, {RCC_UINTSIZE, RCC_UINTSIZE}, {RCC_METERHEIGHT, RCC_METERWIDTH},
    {RCC_IMAGEVERSION, RCC_IMAGEVERSION}, {RCC_MODSPACE, RCC_ADDSPACE}, {RCC_DELTAX, RCC_DELTAY},
    {RCC_SPACEX, RCC_SPACEY}, {RCC_OFFSETX, RCC_OFFSETY}, {RCC_DWELL, RCC_PENW},
    {RCC_LEVELRED, RCC_LEVELBLUE}, {RCC_MINOR, RCC_CENTERLEFT}, {RCC_BOTTOM, RCC_LEFT},
    {RCC_HEIGHT, RCC_WIDTH},
};

// The colour lists, word by word from RCC_COLOURLISTS.
constexpr uint8_t kColourLists[] = {
    RCC_BLACK, RCC_WHITE, RCC_BLACK, RCC_GRAY10, RCC_GRAY20, RCC_GRAY30, RCC_GRAY40, RCC_GRAY50, RCC_GRAY60,
    RCC_GRAY70, RCC_GRAY80, RCC_GRAY90, RCC_WHITE, RCC_BLACK, RCC_GRAY7, RCC_GRAY13, RCC_GRAY20, RCC_GRAY27,
    RCC_GRAY33, RCC_GRAY40, RCC_GRAY47, RCC_GRAY53, RCC_GRAY60, RCC_GRAY67, RCC_GRAY73, RCC_GRAY80, RCC_GRAY87,
    RCC_GRAY93, RCC_WHITE, RCC_BLACK, RCC_GRAY3, RCC_GRAY7, RCC_GRAY10, RCC_GRAY13, RCC_GRAY17, RCC_GRAY20,
    RCC_GRAY23, RCC_GRAY27, RCC_GRAY30, RCC_GRAY33, RCC_GRAY37, RCC_GRAY40, RCC_GRAY43, RCC_GRAY47, RCC_GRAY50,
    RCC_GRAY53, RCC_GRAY57, RCC_GRAY60, RCC_GRAY63, RCC_GRAY67, RCC_GRAY70, RCC_GRAY73, RCC_GRAY77, RCC_GRAY80,
    RCC_GRAY83, RCC_GRAY87, RCC_GRAY90, RCC_GRAY93, RCC_GRAY97, RCC_WHITE, RCC_BLACK, RCC_GRAY33, RCC_GRAY67,
    RCC_WHITE, RCC_BLACK, RCC_GRAY30, RCC_GRAY70, RCC_WHITE, RCC_GRAY48, RCC_GRAY50, RCC_GRAY51, RCC_GRAY53,
    RCC_GRAY5, RCC_GRAY95, RCC_GRAY50, RCC_GRAY25, RCC_GRAY75, RCC_GRAY30, RCC_GRAY70, RCC_BLUE, RCC_GREEN,
    RCC_RED, RCC_CYAN, RCC_MAGENTA, RCC_YELLOW, RCC_BLUE50, RCC_GREEN50, RCC_CYAN50, RCC_RED50, RCC_MAGENTA50,
    RCC_YELLOW50, RCC_BLUE50, RCC_GREEN50, RCC_CYAN50, RCC_RED50, RCC_MAGENTA50, RCC_YELLOW50, RCC_BLUE,
    RCC_GREEN, RCC_CYAN, RCC_RED, RCC_MAGENTA, RCC_YELLOW, RCC_YELLOW75, RCC_CYAN75, RCC_GREEN75, RCC_MAGENTA75,
    RCC_RED75, RCC_BLUE75, RCC_HUEI, RCC_HUEQ, RCC_HUENEGI, RCC_HUENEGQ, RCC_GRAY2, RCC_GRAY4, RCC_GRAY12,
    RCC_GRAY35, RCC_GRAY45, RCC_GRAY55, RCC_GRAY65, RCC_GRAY85,
};
static_assert(sizeof kColourLists == RCC_WORDS - RCC_COLOURLISTS);

struct Located {
    const Source* source = nullptr;
    int offset = 0;
};

Located Find(int word)
{
    for (const Source& source : kSources)
        if (word >= source.firstWord && word <= source.lastWord)
            return {&source, word - source.firstWord};
    return {};
}

int IsaWords(Width width)
{
    switch (width) {
    case Width::Colour: return 2;
    case Width::Double: return 4;
    default: return 1;
    }
}

uint32_t FromIsaWord(Width width, uint64_t raw)
{
    switch (width) {
    case Width::Signed16: return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(raw)));
    case Width::Unsigned16: return static_cast<uint16_t>(raw);
    case Width::Byte: return static_cast<uint8_t>(raw);
    default: return static_cast<uint32_t>(raw);
    }
}

bool ReadIsa(Session& session, RemoteCallContext& block, int word, const Source& source, int offset)
{
    const auto query = static_cast<uint16_t>(source.firstQuery + offset);
    const uint64_t raw = IsaQuery(session, query, IsaWords(source.width));
    if (session.Dead())
        return false;
    if (source.width == Width::Double) {
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<uint8_t>(raw >> (8 * i));
        WriteDouble(block, word, UnpackDouble(bytes));
    } else {
        block.words[word] = FromIsaWord(source.width, raw);
    }
    return true;
}

bool ReadPci(Session& session, RemoteCallContext& block, int word, const Source& source, int offset)
{
    const std::optional<uint32_t> item = PciItem(session, static_cast<uint32_t>(source.firstItem + offset));
    if (!item)
        return false;
    const uint32_t address = *item + Bound().variablesBase;
    if (source.width == Width::Double) {
        const uint64_t high = PciRead(session, address, 4);
        const uint64_t low = PciRead(session, address + 4, 4);
        const uint64_t bits = high << 32 | low;
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        WriteDouble(block, word, value);
    } else {
        block.words[word] = PciRead(session, address, source.width == Width::Byte ? 1 : 4);
    }
    return !session.Dead();
}

bool ReadRuns(Session& session, RemoteCallContext& block, const Run* runs, std::size_t count)
{
    const bool isa = BoundPath() == Path::Isa;
    for (std::size_t r = 0; r < count; ++r) {
        const int step = runs[r].last >= runs[r].first ? 1 : -1;
        for (int word = runs[r].first;; word += step) {
            const Located at = Find(word);
            if (at.source == nullptr || !(isa ? ReadIsa(session, block, word, *at.source, at.offset)
                                             : ReadPci(session, block, word, *at.source, at.offset)))
                return false;
            if (word == runs[r].last)
                break;
        }
    }
    return true;
}

}  // namespace

bool ReadColours(Session& session, RemoteCallContext& block)
{
    return ReadRuns(session, block, kColourOrder, std::size(kColourOrder));
}

bool ReadParameters(Session& session, RemoteCallContext& block)
{
    return ReadColours(session, block) && ReadRuns(session, block, kParameterOrder, std::size(kParameterOrder));
}

void FillColourLists(RemoteCallContext& block)
{
    for (std::size_t i = 0; i < std::size(kColourLists); ++i)
        block.words[RCC_COLOURLISTS + i] = block.words[kColourLists[i]];
}

double ReadDouble(const RemoteCallContext& block, int word)
{
    double value = 0;
    std::memcpy(&value, &block.words[word], sizeof value);
    return value;
}

void WriteDouble(RemoteCallContext& block, int word, double value)
{
    std::memcpy(&block.words[word], &value, sizeof value);
}

}  // namespace morvane::dci
