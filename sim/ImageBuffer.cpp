#include "gensim/ImageBuffer.h"

#include "gensim/Generator.h"

namespace gensim {

void beginImage(GeneratorState& s)
{
    s.imageBuffer = ImageBuffer{};
}

void fillImage(const GeneratorState& s, StoredItem& item)
{
    const ImageBuffer& b = s.imageBuffer;
    item.width = b.width > 0 ? b.width : static_cast<int>(s.registers.number("HRES"));
    item.height = b.height > 0 ? b.height : static_cast<int>(s.registers.number("VRES"));
    item.lines = b.lines;
}

Outcome loadImage(GeneratorState& s, const StoredItem* item)
{
    s.imageBuffer = ImageBuffer{};
    if (item) {
        s.imageBuffer.width = item->width;
        s.imageBuffer.height = item->height;
        s.imageBuffer.lines = item->lines;
    }
    return Outcome::ok();
}

std::vector<std::string> sampleImageLines(int variant)
{
    return {
        "LINE Red 0 0 " + std::to_string(639 - variant % 100) + " 479",
        "RECT White  10 20  5 6  GrayPat0",
        "OVAL Yellow  99 49  200 100  GrayPat0",
        "OVAL Cyan  40 30  300 200  Checker2",
        "TRIA Green  10 400  60 470  110 400  GrayPat50",
        "ADOT Magenta 320 240",
        "TEXT White 20 20 sys16 \"Sample  text\"",
        "PAGE White 80 32 400 40 opix9 65",
        "GRID Gray50 32 24",
        "GRIH Blue 4 4",
        "HATI Red50 16 12",
        "CENT White",
        "FORM Yellow 40 440",
        "TBOX White 0.500 0.500  1 1",
        "MMAP 16 16  0 0  100 100",
        "ANTI",
        "AROW White 100 100 200 200",
        "RMAP 10 10 Arrow",
    };
}

StoredItem sampleImage(std::string name, bool user, int variant)
{
    StoredItem item{std::move(name), user};
    item.width = 640;
    item.height = 480;
    item.lines = sampleImageLines(variant);
    return item;
}

std::string singleBlanks(const std::string& line)
{
    std::string out;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ' && !quoted)
        out.pop_back();
    return out;
}

} // namespace gensim
