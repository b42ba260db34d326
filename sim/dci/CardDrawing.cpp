#include "gensim/CardDrawing.h"

#include "gensim/CardDci.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace gensim::drawing {

namespace {

int64_t drawingFloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t drawingCeilDiv(int64_t a, int64_t b)
{
    return -drawingFloorDiv(-a, b);
}

bool drawingSizeOk(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSize && height <= kMaxSize;
}

Pattern drawingPattern(bool (*bit)(int x, int y))
{
    Pattern p{};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (bit(x, y))
                p[static_cast<std::size_t>(y)] = static_cast<uint16_t>(p[static_cast<std::size_t>(y)] | 1u << x);
    return p;
}

constexpr std::string_view kDrawingPatternNames[kNamedPatterns] = {"CHECKER8", "MEME", "BARS_H2", "BARS_V2", "CHECKER1"};

uint16_t drawingWord(const uint8_t* bytes, std::size_t index)
{
    return static_cast<uint16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8);
}

} // namespace

// --- Lines ---------------------------------------------------------------------------------

std::vector<Point> linePixels(Point from, Point to)
{
    const int64_t dx = int64_t{to.x} - from.x;
    const int64_t dy = int64_t{to.y} - from.y;
    const int64_t steps = std::max(std::abs(dx), std::abs(dy));
    std::vector<Point> pixels;
    pixels.reserve(static_cast<std::size_t>(steps + 1));
    if (steps == 0) {
        pixels.push_back(from);
        return pixels;
    }
    // The minor coordinate rounded half up: floor((2 d t + steps) / (2 steps)).
    for (int64_t t = 0; t <= steps; ++t)
        pixels.push_back({static_cast<int>(from.x + drawingFloorDiv(2 * dx * t + steps, 2 * steps)),
                          static_cast<int>(from.y + drawingFloorDiv(2 * dy * t + steps, 2 * steps))});
    return pixels;
}

// --- Polygons ------------------------------------------------------------------------------

// An edge crosses the row's centre line y + 1/2 at X (in halves, N / D);
// pixel x's centre (2x + 1 halves) lies left of it when (2x + 1) D < N, so
// the threshold is the first x with (2x + 1) D >= N.
std::vector<int64_t> rowThresholds(const std::vector<Point>& vertices, int y)
{
    std::vector<int64_t> thresholds;
    const int64_t centre = 2 * int64_t{y} + 1;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        Point a = vertices[i];
        Point b = vertices[(i + 1) % vertices.size()];
        if (a.y > b.y)
            std::swap(a, b);
        if (!(2 * int64_t{a.y} < centre && centre < 2 * int64_t{b.y}))
            continue;
        const int64_t d = int64_t{b.y} - a.y;
        const int64_t n = 2 * int64_t{a.x} * d + (centre - 2 * int64_t{a.y}) * (int64_t{b.x} - a.x);
        thresholds.push_back(drawingCeilDiv(n - d, 2 * d));
    }
    std::sort(thresholds.begin(), thresholds.end());
    return thresholds;
}

bool insidePolygon(const std::vector<Point>& vertices, int x, int y)
{
    const std::vector<int64_t> t = rowThresholds(vertices, y);
    const auto above = t.end() - std::upper_bound(t.begin(), t.end(), int64_t{x});
    return above % 2 == 1;
}

// --- Ovals and arcs ----------------------------------------------------------------------------

// Centre-relative in halves: ((2x + 1 - w) / w)^2 + ((2y + 1 - h) / h)^2 <= 1.
bool insideEllipse(int width, int height, int x, int y)
{
    if (!drawingSizeOk(width, height) || x < 0 || y < 0 || x >= width || y >= height)
        return false;
    const int64_t ex = 2 * int64_t{x} + 1 - width;
    const int64_t ey = 2 * int64_t{y} + 1 - height;
    const int64_t w2 = int64_t{width} * width;
    const int64_t h2 = int64_t{height} * height;
    return ex * ex * h2 + ey * ey * w2 <= w2 * h2;
}

bool onOvalOutline(int width, int height, int x, int y)
{
    return insideEllipse(width, height, x, y)
           && (!insideEllipse(width, height, x - 1, y) || !insideEllipse(width, height, x + 1, y)
               || !insideEllipse(width, height, x, y - 1) || !insideEllipse(width, height, x, y + 1));
}

bool insideFrameOval(int width, int height, int frameWidth, int frameHeight, int x, int y)
{
    frameWidth = std::clamp(frameWidth, 0, kMaxSize);
    frameHeight = std::clamp(frameHeight, 0, kMaxSize);
    return insideEllipse(width, height, x, y)
           && !insideEllipse(width - 2 * frameWidth, height - 2 * frameHeight, x - frameWidth, y - frameHeight);
}

bool insideFrameRect(int width, int height, int frameWidth, int frameHeight, int x, int y)
{
    if (!drawingSizeOk(width, height) || x < 0 || y < 0 || x >= width || y >= height)
        return false;
    frameWidth = std::clamp(frameWidth, 0, kMaxSize);
    frameHeight = std::clamp(frameHeight, 0, kMaxSize);
    return x < frameWidth || y < frameHeight || x >= width - frameWidth || y >= height - frameHeight;
}

bool inArc(int width, int height, int start, int sweep, int x, int y)
{
    if (sweep >= 360 || sweep <= -360)
        return true;
    double first = start;
    if (sweep < 0) {
        first += sweep;
        sweep = -sweep;
    }
    const double ex = (2.0 * x + 1 - width) / width;
    const double ey = (height - 2.0 * y - 1) / height;
    const double angle = std::atan2(ey, ex) * 180.0 / std::numbers::pi;
    double from = std::fmod(angle - first, 360.0);
    if (from < 0)
        from += 360.0;
    return from <= sweep;
}

bool insidePie(int width, int height, int start, int sweep, int x, int y)
{
    return insideEllipse(width, height, x, y) && inArc(width, height, start, sweep, x, y);
}

bool onPieOutline(int width, int height, int start, int sweep, int x, int y)
{
    auto in = [&](int px, int py) { return insidePie(width, height, start, sweep, px, py); };
    return in(x, y) && (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1));
}

bool onOvalArc(int width, int height, int start, int sweep, int x, int y)
{
    return onOvalOutline(width, height, x, y) && inArc(width, height, start, sweep, x, y);
}

bool onDottedOval(int width, int height, int step, int x, int y)
{
    return onOvalOutline(width, height, x, y) && (x + y) % std::max(step, 1) == 0;
}

// --- Figures --------------------------------------------------------------------------------

bool onGrid(int dx, int dy, int dot, int x, int y)
{
    const bool line = (dx > 0 && x % dx == 0) || (dy > 0 && y % dy == 0);
    return line && (dot < 2 || (x + y) % dot == 0);
}

bool onGrill(int bar, int gap, bool vertical, int x, int y)
{
    if (bar <= 0)
        return false;
    const int64_t period = int64_t{bar} + std::max(gap, 0);
    return (vertical ? x : y) % period < bar;
}

bool onStep(int width, int height, int p1, int p2, int x, int y)
{
    (void)width;
    if (p1 <= 0 || p2 <= 0)
        return false;
    const int64_t column = x / p1;
    return int64_t{height} - y <= int64_t{p2} * (column + 1);
}

// --- Patterns --------------------------------------------------------------------------------

bool patternBit(const Pattern& pattern, int64_t x, int64_t y)
{
    const auto row = static_cast<std::size_t>(((y % 16) + 16) % 16);
    const auto bit = static_cast<unsigned>(((x % 16) + 16) % 16);
    return (pattern[row] >> bit & 1u) != 0;
}

const Pattern& namedPattern(int slot)
{
    static const std::array<Pattern, kNamedPatterns> patterns = {
        drawingPattern([](int x, int y) { return (((x >> 3) ^ (y >> 3)) & 1) == 0; }),
        drawingPattern([](int x, int y) { return std::abs(2 * x - 15) + std::abs(2 * y - 15) <= 16 && (x + y) % 3 != 0; }),
        drawingPattern([](int, int y) { return y % 4 < 2; }),
        drawingPattern([](int x, int) { return x % 4 < 2; }),
        drawingPattern([](int x, int y) { return (x + y) % 2 == 0; }),
    };
    return patterns[static_cast<std::size_t>(slot >= 0 && slot < kNamedPatterns ? slot : 0)];
}

std::string_view patternName(int slot)
{
    return slot >= 0 && slot < kNamedPatterns ? kDrawingPatternNames[slot] : std::string_view{};
}

int patternSlot(std::string_view name)
{
    const std::string plain = plainName(name);
    for (int i = 0; i < kNamedPatterns; ++i)
        if (plainName(kDrawingPatternNames[i]) == plain)
            return i;
    return -1;
}

std::string plainName(std::string_view name)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    std::string plain(name);
    for (char& c : plain)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return plain;
}

// --- Fonts ---------------------------------------------------------------------------------

int builtInFontSlot(std::string_view name)
{
    const std::string plain = plainName(name);
    for (int i = 0; i < kBuiltInFonts; ++i)
        if (plainName(builtInFont(i).name) == plain)
            return i;
    return -1;
}

const Glyph* glyph(const Font& font, int ch)
{
    if (ch < font.first || ch > font.last)
        return nullptr;
    const auto index = static_cast<std::size_t>(ch - font.first);
    return index < font.glyphs.size() ? &font.glyphs[index] : nullptr;
}

int64_t advance(const Font& font, unsigned char ch, Spacing spacing)
{
    const Glyph* g = glyph(font, ch);
    if (g == nullptr)
        return 0;
    return int64_t{g->width} + spacing.text + (ch == ' ' ? int64_t{spacing.word} + spacing.more : 0);
}

int textWidth(const Font& font, std::string_view text, Spacing spacing)
{
    int64_t width = 0;
    for (char c : text)
        width += advance(font, static_cast<unsigned char>(c), spacing);
    return static_cast<int>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

int italicShift(const Font& font, int row)
{
    return (font.height - 1 - row) / 4;
}

int64_t fontImageWords(const uint16_t* header)
{
    return int64_t{header[12]} * header[7] + (int64_t{header[2]} - header[1]) * 2 + 19;
}

std::vector<uint16_t> fontImage(const Font& font)
{
    int bitsAcross = 0;
    for (const Glyph& g : font.glyphs)
        bitsAcross += g.width;
    const int pitch = std::max(1, (bitsAcross + 15) / 16);
    std::vector<uint16_t> words(kFontHeaderWords, 0);
    words[1] = static_cast<uint16_t>(font.first);
    words[2] = static_cast<uint16_t>(font.last);
    words[3] = static_cast<uint16_t>(font.widest);
    words[5] = static_cast<uint16_t>(font.ascent);
    words[6] = static_cast<uint16_t>(font.descent);
    words[7] = static_cast<uint16_t>(pitch);
    words[8] = static_cast<uint16_t>(font.leading);
    words[12] = static_cast<uint16_t>(font.height);
    int offset = 0;
    for (int ch = font.first; ch <= font.last; ++ch) {
        const Glyph* g = glyph(font, ch);
        words.push_back(static_cast<uint16_t>(offset));
        words.push_back(static_cast<uint16_t>(g != nullptr ? g->width : 0));
        offset += g != nullptr ? g->width : 0;
    }
    const std::size_t raster = words.size();
    words.resize(raster + static_cast<std::size_t>(pitch) * static_cast<std::size_t>(font.height), 0);
    offset = 0;
    for (int ch = font.first; ch <= font.last; ++ch) {
        const Glyph* g = glyph(font, ch);
        if (g == nullptr)
            continue;
        for (int y = 0; y < font.height; ++y)
            for (int x = 0; x < g->width; ++x)
                if (g->ink(x, y)) {
                    const int bit = offset + x;
                    uint16_t& w = words[raster + static_cast<std::size_t>(y * pitch + bit / 16)];
                    w = static_cast<uint16_t>(w | 1u << (bit % 16));
                }
        offset += g->width;
    }
    return words;
}

std::optional<Font> readFontImage(const uint8_t* bytes, std::size_t size)
{
    const std::size_t have = size / 2;
    if (bytes == nullptr || have < kFontHeaderWords)
        return std::nullopt;
    uint16_t header[kFontHeaderWords];
    for (std::size_t i = 0; i < kFontHeaderWords; ++i)
        header[i] = drawingWord(bytes, i);
    Font font;
    font.first = header[1];
    font.last = header[2];
    font.widest = header[3];
    font.ascent = header[5];
    font.descent = header[6];
    font.leading = header[8];
    font.height = header[12];
    const int pitch = header[7];
    const int64_t total = fontImageWords(header);
    if (font.last < font.first || total > kMaxFontWords || static_cast<int64_t>(have) < total)
        return std::nullopt;
    if (font.height <= 0 || font.height > kMaxGlyphSize || pitch <= 0 || font.widest <= 0)
        return std::nullopt;
    const std::size_t table = kFontHeaderWords;
    const std::size_t raster = table + 2 * static_cast<std::size_t>(font.last - font.first + 1);
    const int64_t rowBits = int64_t{pitch} * 16;
    for (int ch = font.first; ch <= font.last; ++ch) {
        const std::size_t entry = table + 2 * static_cast<std::size_t>(ch - font.first);
        const int offset = drawingWord(bytes, entry);
        const int width = drawingWord(bytes, entry + 1);
        if (width > kMaxGlyphSize || offset + int64_t{width} > rowBits)
            return std::nullopt;
        Glyph g;
        g.width = width;
        g.bits.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(font.height), 0);
        for (int y = 0; y < font.height; ++y)
            for (int x = 0; x < width; ++x) {
                const int bit = offset + x;
                const uint16_t w = drawingWord(bytes, raster + static_cast<std::size_t>(y * pitch + bit / 16));
                g.bits[static_cast<std::size_t>(y * width + x)] = static_cast<uint8_t>(w >> (bit % 16) & 1u);
            }
        font.glyphs.push_back(std::move(g));
    }
    font.name = "installed";
    return font;
}

// --- Colours ---------------------------------------------------------------------------------

uint32_t repPixel(uint32_t index, int psize)
{
    switch (psize) {
    case 1: return (index & 1u) * 0xFFFFFFFFu;
    case 2: return (index & 3u) * 0x55555555u;
    case 4: return (index & 0xFu) * 0x11111111u;
    default: return (index & 0xFFu) * 0x01010101u;
    }
}

uint32_t tableColour(int colour, std::optional<uint32_t> selector)
{
    if (colour < 0 || colour >= kNamedColours)
        return 0;
    if (!selector)
        return static_cast<uint32_t>(colour + 1) * 0x01010101u;
    const std::string_view name = colourName(colour);
    if ((*selector & 0xFFFF) == 0 && std::isdigit(static_cast<unsigned char>(name.back())))
        return 0;
    const uint32_t shift = *selector >> 16 & 0xFF;
    return (1 + (static_cast<uint32_t>(colour) + shift) % 255) * 0x01010101u;
}

// Levels of the colour names: the hue's full levels, scaled by a trailing
// percentage (red50); grays by theirs.
std::array<uint32_t, 3> namedLevels(int colour, uint32_t levelMax)
{
    if (colour < 0 || colour >= kNamedColours)
        return {0, 0, 0};
    std::string_view name = colourName(colour);
    uint32_t percent = 100;
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
        --digits;
    if (digits < name.size()) {
        percent = 0;
        for (char c : name.substr(digits))
            percent = percent * 10 + static_cast<uint32_t>(c - '0');
        name = name.substr(0, digits);
    }
    struct Hue {
        std::string_view name;
        uint32_t r, g, b;  // in percent
    };
    constexpr Hue kHues[] = {
        {"black", 0, 0, 0},      {"red", 100, 0, 0},      {"green", 0, 100, 0},    {"yellow", 100, 100, 0},
        {"blue", 0, 0, 100},     {"magenta", 100, 0, 100}, {"cyan", 0, 100, 100},  {"white", 100, 100, 100},
        {"brown", 60, 30, 10},   {"huei", 60, 30, 0},     {"hueq", 50, 0, 50},     {"huenegi", 0, 30, 60},
        {"huenegq", 0, 50, 0},   {"gray", 100, 100, 100}, {"background", 0, 0, 0}, {"foreground", 100, 100, 100},
    };
    for (const Hue& hue : kHues)
        if (hue.name == name) {
            const auto scale = [&](uint32_t p) {
                return static_cast<uint32_t>(uint64_t{levelMax} * p / 100 * percent / 100);
            };
            return {scale(hue.r), scale(hue.g), scale(hue.b)};
        }
    return {0, 0, 0};
}

uint32_t edgePixel(int edge, int sample)
{
    return repPixel(kEdgeFirstPixel + static_cast<uint32_t>(edge * kEdgeSamples + sample), 8);
}

std::array<uint32_t, 3> blendLevels(const std::array<uint32_t, 3>& left, const std::array<uint32_t, 3>& right,
                                    int sample)
{
    std::array<uint32_t, 3> levels{};
    for (std::size_t i = 0; i < 3; ++i) {
        const int64_t step = (int64_t{right[i]} - left[i]) * (sample + 1) / (kEdgeSamples + 1);
        levels[i] = static_cast<uint32_t>(left[i] + step);
    }
    return levels;
}

} // namespace gensim::drawing
