// The image commands beside the IMG family: the primitive lines an upload
// puts between IMGB and IMGE, each checked by its row (how many arguments,
// of which kind, colour, pattern and font names from the generator's own
// lists), the image's size (XRES, YRES) and the read-back (ISTP?).

#include "gensim/Arguments.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"
#include "gensim/ImageBuffer.h"
#include "gensim/Numbers.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <limits>

namespace gensim {

namespace {

enum class Arg { Colour, Int, Real, Pattern, Font, Quoted, Name };

struct PrimitiveRow {
    const char* mnemonic;
    std::initializer_list<Arg> args;
};

using A = Arg;

// "AROW" is a class of the generator's that the program has no reader for.
const PrimitiveRow kPrimitiveRows[] = {
    {"RECT", {A::Colour, A::Int, A::Int, A::Int, A::Int, A::Pattern}},
    {"OVAL", {A::Colour, A::Int, A::Int, A::Int, A::Int, A::Pattern}},
    {"LINE", {A::Colour, A::Int, A::Int, A::Int, A::Int}},
    {"AROW", {A::Colour, A::Int, A::Int, A::Int, A::Int}},
    {"ADOT", {A::Colour, A::Int, A::Int}},
    {"MMAP", {A::Int, A::Int, A::Int, A::Int, A::Int, A::Int}},
    {"ANTI", {}},
    {"NOGA", {}},
    {"TOBL", {}},
    {"GRID", {A::Colour, A::Int, A::Int}},
    {"HATI", {A::Colour, A::Int, A::Int}},
    {"HATO", {A::Colour, A::Int, A::Int}},
    {"GRIH", {A::Colour, A::Int, A::Int}},
    {"GRIV", {A::Colour, A::Int, A::Int}},
    {"PAGE", {A::Colour, A::Int, A::Int, A::Int, A::Int, A::Font, A::Int}},
    {"TEXT", {A::Colour, A::Int, A::Int, A::Font, A::Quoted}},
    {"CENT", {A::Colour}},
    {"CROS", {A::Colour}},
    {"LIMI", {A::Colour}},
    {"TRIA", {A::Colour, A::Int, A::Int, A::Int, A::Int, A::Int, A::Int, A::Pattern}},
    {"FORM", {A::Colour, A::Int, A::Int}},
    {"SNUM", {A::Colour, A::Int, A::Int}},
    {"TBOX", {A::Colour, A::Real, A::Real, A::Int, A::Int}},
    {"RMAP", {A::Int, A::Int, A::Name}},
};

const char* const kColourNames[] = {
    "Black",     "Red",       "Green",     "Yellow",    "Blue",       "Magenta",    "Cyan",    "White",
    "Red50",     "Green50",   "Yellow50",  "Blue50",    "Magenta50",  "Cyan50",     "Brown",   "Gray2",
    "Gray3",     "Gray4",     "Gray5",     "Gray7",     "Gray10",     "Gray12",     "Gray13",  "Gray17",
    "Gray20",    "Gray23",    "Gray25",    "Gray27",    "Gray30",     "Gray33",     "Gray35",  "Gray37",
    "Gray40",    "Gray43",    "Gray45",    "Gray47",    "Gray48",     "Gray50",     "Gray51",  "Gray53",
    "Gray55",    "Gray57",    "Gray60",    "Gray63",    "Gray65",     "Gray67",     "Gray70",  "Gray73",
    "Gray75",    "Gray77",    "Gray80",    "Gray83",    "Gray85",     "Gray87",     "Gray90",  "Gray93",
    "Gray95",    "Gray97",    "Red75",     "Green75",   "Yellow75",   "Blue75",     "Magenta75", "Cyan75",
    "HueI",      "HueQ",      "HueNegI",   "HueNegQ",   "Foreground", "Background", "Clear",
};

const char* const kPatternNames[] = {
    "GrayPat0",  "GrayPat7",  "GrayPat13", "GrayPat19", "GrayPat25", "GrayPat31", "GrayPat38", "GrayPat44",
    "GrayPat50", "GrayPat56", "GrayPat63", "GrayPat69", "GrayPat75", "GrayPat81", "GrayPat88", "GrayPat94",
    "GrayPat100", "Checker1", "Checker2", "Checker4",  "Checker8",  "bars_V1",   "bars_V2",   "bars_V4",
    "bars_V8",   "bars_H1",   "bars_H2",   "bars_H4",   "bars_H8",   "meme",      "FCC_EMI",
};

const char* const kFontNames[] = {
    "sys16",    "opix9",    "focusmac", "focus12",  "memesony", "kanjikan", "focusat5", "focusat6", "focusat7",
    "focusat8", "memplus",  "memesams", "focuslb5", "focuslb7", "focuslb9", "focushio", "elite11",  "china24",
    "focushp7",
};

template <std::size_t N>
bool listed(const char* const (&names)[N], const std::string& word)
{
    return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return Store::sameName(n, word); });
}

// The arguments at blanks; a quoted text is one word, quotes kept.
std::vector<std::string> argumentWords(const std::string& args)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = args.find_first_not_of(' ', at)) != std::string::npos) {
        std::size_t end = args[at] == '"' ? args.find('"', at + 1) : args.find(' ', at);
        if (args[at] == '"' && end != std::string::npos)
            ++end;
        words.push_back(args.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return words;
}

bool isInteger(const std::string& word)
{
    long long value = 0;
    return wholeNumber(word, value) && value >= std::numeric_limits<int>::min()
        && value <= std::numeric_limits<int>::max();
}

// The refusal of one argument, or ok.
Outcome checkArgument(Arg kind, const std::string& word)
{
    double real = 0;
    switch (kind) {
    case Arg::Colour: return listed(kColourNames, word) ? Outcome::ok() : Outcome::failed(ExecError::UnknownColour);
    case Arg::Pattern: return listed(kPatternNames, word) ? Outcome::ok() : Outcome::failed(ExecError::UnknownPattern);
    case Arg::Font: return listed(kFontNames, word) ? Outcome::ok() : Outcome::failed(ExecError::UnknownFont);
    case Arg::Int: return isInteger(word) ? Outcome::ok() : Outcome::failed(ExecError::NotANumber);
    case Arg::Real: return parseNumber(word, real) ? Outcome::ok() : Outcome::failed(ExecError::NotANumber);
    case Arg::Quoted:
        return word.size() >= 2 && word.front() == '"' && word.back() == '"' ? Outcome::ok()
                                                                             : Outcome::failed(ExecError::OutOfRange);
    case Arg::Name: return word.find('"') == std::string::npos ? Outcome::ok() : Outcome::failed(ExecError::OutOfRange);
    }
    return Outcome::failed(ExecError::OutOfRange);
}

CommandInterpreter::Handler primitiveLine(const PrimitiveRow& row)
{
    return [&row](GeneratorState& s, const Command& c) {
        if (!s.slot(ItemKind::Image).editing)
            return Outcome::failed(ExecError::NoImageBlock);
        const std::vector<std::string> words = argumentWords(c.args);
        if (words.size() != row.args.size())
            return Outcome::failed(ExecError::ArgumentCount);
        auto word = words.begin();
        for (Arg kind : row.args) {
            Outcome o = checkArgument(kind, *word++);
            if (o.status != Outcome::Status::Ok)
                return o;
        }
        s.imageBuffer.lines.push_back(c.args.empty() ? c.mnemonic : c.mnemonic + " " + c.args);
        return Outcome::ok();
    };
}

// XRES, YRES: the size of the image being uploaded.
CommandInterpreter::Handler imageSide(int ImageBuffer::*side)
{
    return [side](GeneratorState& s, const Command& c) {
        if (s.firmware < kImageSizeFirmware)
            return Outcome::invalid();
        long long value = 0;
        if (c.words.size() != 1)
            return Outcome::failed(ExecError::ArgumentCount);
        if (!wholeNumber(c.words[0], value))
            return Outcome::failed(ExecError::NotANumber);
        if (value < 0 || value > std::numeric_limits<int>::max())
            return Outcome::failed(ExecError::OutOfRange);
        s.imageBuffer.*side = static_cast<int>(value);
        return Outcome::ok();
    };
}

// ISTP?: the buffer's number of primitives; ISTP? n: line n.
Outcome primitiveQuery(GeneratorState& s, const Command& c)
{
    const std::vector<std::string>& lines = s.imageBuffer.lines;
    if (c.words.empty())
        return Outcome::ok({std::to_string(lines.size())});
    long long n = 0;
    if (c.words.size() != 1)
        return Outcome::failed(ExecError::ArgumentCount);
    if (!wholeNumber(c.words[0], n))
        return Outcome::failed(ExecError::NotANumber);
    if (n < 1 || n > static_cast<long long>(lines.size()))
        return Outcome::failed(ExecError::OutOfRange);
    const std::string& line = lines[static_cast<std::size_t>(n - 1)];
    return Outcome::ok({s.verbatimImageLines ? line : singleBlanks(line)});
}

} // namespace

void CommandInterpreter::addImageRows()
{
    for (const PrimitiveRow& row : kPrimitiveRows)
        addRow(row.mnemonic, primitiveLine(row));
    addRow("XRES", imageSide(&ImageBuffer::width));
    addRow("YRES", imageSide(&ImageBuffer::height));
    addRow("ISTP?", primitiveQuery);
}

} // namespace gensim
