// The cards' drawing library: each call's pixels against the rules of
// CardDrawing.h (and a few written out by hand), on an ISA and a PCI card
// that must end with the same screen. With ZOT_SCREENSHOT_DIR set, a scene
// of every kind of call is saved from both cards as PGM pictures.

#include "gensim/CardDci.h"
#include "gensim/CardDrawing.h"
#include "gensim/Generator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gensim::test {
namespace {

namespace dr = gensim::drawing;
using dr::Point;

constexpr int kDrawingWidth = 160;
constexpr int kDrawingHeight = 120;
constexpr uint32_t kDrawingPitch = 256;
constexpr uint32_t kDrawingHeapBytes = 1 << 18;

// Stands for the address of the i-th staged block of a call.
double DrawingBlock(int i)
{
    return -1e9 - i;
}

std::string DrawingBytes(const std::vector<uint16_t>& words)
{
    std::string s;
    for (uint16_t w : words) {
        s.push_back(static_cast<char>(w & 0xFF));
        s.push_back(static_cast<char>(w >> 8));
    }
    return s;
}

std::string DrawingPoints(const std::vector<Point>& points)
{
    std::vector<uint16_t> words;
    for (const Point& p : points) {
        words.push_back(static_cast<uint16_t>(p.x));
        words.push_back(static_cast<uint16_t>(p.y));
    }
    return DrawingBytes(words);
}

std::string DrawingText(const std::string& text)
{
    return text + std::string(1, '\0');
}

struct DrawingCard {
    std::vector<uint8_t> video = std::vector<uint8_t>(kDrawingPitch * kDrawingHeight);
    std::vector<uint8_t> heap = std::vector<uint8_t>(kDrawingHeapBytes);
    uint32_t first;
    uint32_t scale;
    std::unique_ptr<CardDci> dci;

    DrawingCard(Generator& generator, const char* port, uint32_t first, uint32_t scale, uint32_t align)
        : first(first), scale(scale),
          dci(std::make_unique<CardDci>(generator, port, video.data(), video.size(),
                                        CardDci::Heap{first, kDrawingHeapBytes, scale, align, heap.data()}))
    {
        dci->setValue("width", kDrawingWidth);
        dci->setValue("height", kDrawingHeight);
    }
    uint8_t* at(uint32_t address) { return heap.data() + (address - first) / scale; }
};

// What a screen should hold: pixels set by rules.
struct DrawingScreen {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kDrawingWidth * kDrawingHeight);
    uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y * kDrawingWidth + x)]; }
    void set(int x, int y, uint8_t v)
    {
        if (x >= 0 && y >= 0 && x < kDrawingWidth && y < kDrawingHeight)
            at(x, y) = v;
    }
    void box(int x, int y, int w, int h, uint8_t v, const std::function<bool(int, int)>& inside)
    {
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px)
                if (inside(px, py))
                    set(x + px, y + py, v);
    }
};

class CardDrawingTest : public ::testing::Test {
protected:
    CardDrawingTest()
    {
        for (DrawingCard* card : cards)
            run1(*card, "XR_Set_color1", {0x05050505});
    }

    uint32_t run1(DrawingCard& card, std::string_view name, const std::vector<double>& args)
    {
        return card.dci->run(name, args);
    }

    // Runs a call on both cards, each with its own copies of the blocks, and
    // gives the result, which must be the same on both.
    uint32_t Call(std::string_view name, std::vector<double> args, const std::vector<std::string>& blocks = {})
    {
        uint32_t results[2] = {};
        for (std::size_t c = 0; c < 2; ++c) {
            DrawingCard& card = *cards[c];
            std::vector<uint32_t> addresses;
            for (const std::string& bytes : blocks) {
                const uint32_t address = card.dci->run("Allocate", {static_cast<double>(bytes.size())});
                EXPECT_NE(address, 0u);
                std::copy(bytes.begin(), bytes.end(), card.at(address));
                addresses.push_back(address);
            }
            std::vector<double> real = args;
            for (double& a : real)
                for (std::size_t i = 0; i < blocks.size(); ++i)
                    if (a == DrawingBlock(static_cast<int>(i)))
                        a = addresses[i];
            results[c] = card.dci->run(name, real);
            lastBlocks[c] = addresses;
            for (uint32_t address : addresses)
                kept[c].push_back(address);
        }
        EXPECT_EQ(results[0], results[1]) << name;
        return results[0];
    }
    int32_t SCall(std::string_view name, std::vector<double> args, const std::vector<std::string>& blocks = {})
    {
        return static_cast<int32_t>(Call(name, std::move(args), blocks));
    }

    // Both screens hold what `expected` does.
    void ExpectScreen(DrawingScreen& expected)
    {
        for (DrawingCard* card : cards) {
            int wrong = 0;
            for (int y = 0; y < kDrawingHeight; ++y)
                for (int x = 0; x < kDrawingWidth; ++x)
                    if (card->dci->pixel(x, y) != expected.at(x, y) && ++wrong <= 5)
                        ADD_FAILURE() << card->dci->log().back().port << " pixel (" << x << ", " << y << ") is "
                                      << int(card->dci->pixel(x, y)) << ", not " << int(expected.at(x, y));
        }
    }
    void ExpectSameScreens()
    {
        EXPECT_EQ(isa.video, pci.video);
    }
    DrawingScreen Current()
    {
        DrawingScreen s;
        for (int y = 0; y < kDrawingHeight; ++y)
            for (int x = 0; x < kDrawingWidth; ++x)
                s.at(x, y) = isa.dci->pixel(x, y);
        return s;
    }
    void Clear()
    {
        for (DrawingCard* card : cards)
            std::fill(card->video.begin(), card->video.end(), 0);
    }

    Generator generator{GeneratorOptions{.pty = false, .isaSlot = 0}};
    DrawingCard isa{generator, "isa0", 0xFF200000, 8, 2};
    DrawingCard pci{generator, "pci1", 0x00100000, 1, 4};
    DrawingCard* cards[2] = {&isa, &pci};
    std::vector<uint32_t> lastBlocks[2];
    std::vector<uint32_t> kept[2];
};

// --- Rules written out by hand --------------------------------------------------------------

TEST(CardDrawingRules, LinesTakeAPixelPerStepWithTheMinorCoordinateRounded)
{
    const std::vector<Point> expected = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
    EXPECT_EQ(dr::linePixels({0, 0}, {4, 2}), expected);
    EXPECT_EQ(dr::linePixels({3, 3}, {3, 3}), (std::vector<Point>{{3, 3}}));
    EXPECT_EQ(dr::linePixels({2, 5}, {2, 2}), (std::vector<Point>{{2, 5}, {2, 4}, {2, 3}, {2, 2}}));
}

TEST(CardDrawingRules, ShapesTakeThePixelsWhoseCentresLieInside)
{
    // A 4 x 4 oval loses its corners only.
    int inside = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            inside += dr::insideEllipse(4, 4, x, y);
    EXPECT_EQ(inside, 12);
    EXPECT_FALSE(dr::insideEllipse(4, 4, 0, 0));
    // A polygon along the pixel edges covers the rectangle inside them.
    const std::vector<Point> square = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
    for (int y = -1; y <= 3; ++y)
        for (int x = -1; x <= 4; ++x)
            EXPECT_EQ(dr::insidePolygon(square, x, y), x >= 0 && x < 4 && y >= 0 && y < 3) << x << "," << y;
    // Even-odd: a bow tie's crossing leaves both halves filled.
    const std::vector<Point> bow = {{0, 0}, {8, 8}, {8, 0}, {0, 8}};
    EXPECT_TRUE(dr::insidePolygon(bow, 1, 4));
    EXPECT_FALSE(dr::insidePolygon(bow, 4, 1));
}

TEST(CardDrawingRules, PatternsNamesAndReplication)
{
    EXPECT_EQ(dr::patternSlot(" bars_H2 "), 2);
    EXPECT_EQ(dr::patternSlot("checker1"), 4);
    EXPECT_EQ(dr::patternSlot("CHECKER"), -1);
    EXPECT_TRUE(dr::patternBit(dr::namedPattern(0), 0, 0));
    EXPECT_FALSE(dr::patternBit(dr::namedPattern(0), 8, 0));
    EXPECT_TRUE(dr::patternBit(dr::namedPattern(0), 8, 8));
    EXPECT_TRUE(dr::patternBit(dr::namedPattern(0), -16, 16));
    EXPECT_FALSE(dr::patternBit(dr::namedPattern(4), 1, 0));
    struct Row {
        uint32_t index;
        int psize;
        uint32_t word;
    };
    for (const Row& r : {Row{5, 8, 0x05050505}, Row{0x1F5, 8, 0xF5F5F5F5}, Row{0xB, 4, 0xBBBBBBBB}, Row{2, 2, 0xAAAAAAAA},
                         Row{3, 1, 0xFFFFFFFF}, Row{2, 1, 0}})
        EXPECT_EQ(dr::repPixel(r.index, r.psize), r.word) << r.index << " " << r.psize;
}

TEST(CardDrawingRules, FontsHaveGlyphsAndMetrics)
{
    for (const char* name : {"SYS16", "OPIX9", "BIG30", " sys16", "Big30 "}) {
        const int slot = dr::builtInFontSlot(name);
        ASSERT_GE(slot, 0) << name;
        const dr::Font& font = dr::builtInFont(slot);
        EXPECT_GT(font.height, 0);
        EXPECT_GT(font.ascent, 0);
        EXPECT_GT(font.descent, 0);
        EXPECT_GT(font.leading, 0);
        EXPECT_GT(font.widest, 0);
        EXPECT_EQ(font.ascent + font.descent, font.height);
        const dr::Glyph* a = dr::glyph(font, 'A');
        ASSERT_NE(a, nullptr);
        int ink = 0;
        for (uint8_t b : a->bits)
            ink += b;
        EXPECT_GT(ink, 0) << name;
        EXPECT_EQ(dr::glyph(font, 200), nullptr);
    }
    EXPECT_EQ(dr::builtInFontSlot("OPIX10"), -1);
    EXPECT_EQ(dr::textWidth(dr::builtInFont(1), "a b", {1, 2, 3}), 6 * 3 + 3 + 2 + 3);
}

// A font image is read back as the font it came from; a broken one is refused.
TEST(CardDrawingRules, FontImagesRoundTripAndBrokenOnesAreRefused)
{
    const dr::Font& opix = dr::builtInFont(1);
    const std::vector<uint16_t> image = dr::fontImage(opix);
    EXPECT_EQ(static_cast<int64_t>(image.size()), dr::fontImageWords(image.data()));
    const std::string bytes = DrawingBytes(image);
    const auto read = dr::readFontImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->height, opix.height);
    EXPECT_EQ(read->ascent, opix.ascent);
    ASSERT_EQ(read->glyphs.size(), opix.glyphs.size());
    for (std::size_t i = 0; i < opix.glyphs.size(); ++i)
        EXPECT_EQ(read->glyphs[i].bits, opix.glyphs[i].bits) << i;

    struct Broken {
        const char* what;
        std::function<void(std::vector<uint16_t>&)> edit;
    };
    const Broken broken[] = {
        {"one word short", [](auto& w) { w.pop_back(); }},
        {"header only", [](auto& w) { w.resize(dr::kFontHeaderWords); }},
        {"last before first", [](auto& w) { std::swap(w[1], w[2]); }},
        {"no rows", [](auto& w) { w[12] = 0; }},
        {"no raster words", [](auto& w) { w[7] = 0; }},
        {"more than a Mi words", [](auto& w) { w[7] = 0xFFFF; w[12] = 0xFF; }},
        {"a glyph past its row", [](auto& w) { w[dr::kFontHeaderWords] = static_cast<uint16_t>(w[7] * 16); }},
    };
    for (const Broken& b : broken) {
        std::vector<uint16_t> words = image;
        b.edit(words);
        const std::string s = DrawingBytes(words);
        EXPECT_FALSE(dr::readFontImage(reinterpret_cast<const uint8_t*>(s.data()), s.size())) << b.what;
    }
    EXPECT_FALSE(dr::readFontImage(nullptr, 0));
}

// --- Shapes -----------------------------------------------------------------------------------

TEST_F(CardDrawingTest, LinesTrianglesAndPolyLinesDrawTheirLinePixels)
{
    DrawingScreen s;
    struct Line {
        int x1, y1, x2, y2;
    };
    for (const Line& l : {Line{3, 4, 40, 9}, Line{50, 60, 45, 5}, Line{100, 100, 100, 100}, Line{-20, -5, 30, 20},
                          Line{150, 10, 170, 30}}) {
        Call("XR_DrawLine", {double(l.x1), double(l.y1), double(l.x2), double(l.y2)});
        for (const Point& p : dr::linePixels({l.x1, l.y1}, {l.x2, l.y2}))
            s.set(p.x, p.y, 5);
    }
    Call("XR_DrawTriangle", {60, 70, 90, 110, 120, 75});
    for (auto [a, b] : {std::pair<Point, Point>{{60, 70}, {90, 110}}, {{90, 110}, {120, 75}}, {{120, 75}, {60, 70}}})
        for (const Point& p : dr::linePixels(a, b))
            s.set(p.x, p.y, 5);
    const std::vector<Point> path = {{10, 100}, {30, 80}, {50, 115}};
    Call("XR_DrawPolyLine", {2, DrawingBlock(0), DrawingBlock(1)}, {DrawingPoints({{0, 0}, {0, 0}}), DrawingPoints(path)});
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        for (const Point& p : dr::linePixels(path[i], path[i + 1]))
            s.set(p.x, p.y, 5);
    ExpectScreen(s);
}

TEST_F(CardDrawingTest, FillsTakeThePixelsTheirRulesGive)
{
    DrawingScreen s;
    Call("XR_FillOval", {37, 21, 5, 6});
    s.box(5, 6, 37, 21, 5, [](int x, int y) { return dr::insideEllipse(37, 21, x, y); });
    Call("XR_DrawOval", {30, 40, 60, 2});
    s.box(60, 2, 30, 40, 5, [](int x, int y) { return dr::onOvalOutline(30, 40, x, y); });
    Call("XR_FillTriangle", {100, 10, 150, 30, 110, 50});
    const std::vector<Point> tri = {{100, 10}, {150, 30}, {110, 50}};
    s.box(0, 0, kDrawingWidth, kDrawingHeight, 5, [&](int x, int y) { return dr::insidePolygon(tri, x, y); });
    const std::vector<Point> star = {{20, 60}, {30, 110}, {40, 60}, {10, 90}, {50, 90}};
    Call("XR_FillPolygon", {5, DrawingBlock(0)}, {DrawingPoints(star)});
    s.box(0, 0, kDrawingWidth, kDrawingHeight, 5, [&](int x, int y) { return dr::insidePolygon(star, x, y); });
    Call("XR_FrameRect", {40, 30, 60, 60, 4, 7});
    s.box(60, 60, 40, 30, 5, [](int x, int y) { return dr::insideFrameRect(40, 30, 4, 7, x, y); });
    Call("XR_FrameOval", {40, 26, 110, 60, 5, 3});
    s.box(110, 60, 40, 26, 5, [](int x, int y) { return dr::insideFrameOval(40, 26, 5, 3, x, y); });
    Call("XR_EncloseFillRect", {3, DrawingBlock(0)}, {DrawingPoints({{120, 100}, {130, 95}, {125, 110}})});
    s.box(120, 95, 11, 16, 5, [](int, int) { return true; });
    ExpectScreen(s);
    // The pixels a hand can count: a frame of a 6 x 5 rectangle 1 wide.
    Clear();
    Call("XR_FrameRect", {6, 5, 0, 0, 1, 1});
    int ink = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ink += isa.dci->pixel(x, y) == 5;
    EXPECT_EQ(ink, 18);
    ExpectSameScreens();
}

// The points reach the card in the index list's order: 16-bit indexes on
// ISA, 32-bit on PCI; an index the points do not hold draws nothing.
TEST_F(CardDrawingTest, FillConvexFollowsItsIndexList)
{
    const std::string points = DrawingPoints({{10, 10}, {60, 10}, {10, 50}, {60, 50}});
    const std::vector<Point> ordered = {{10, 10}, {60, 10}, {60, 50}, {10, 50}};
    auto indexes = [](const DrawingCard& card, std::vector<int32_t> list) {
        std::string s;
        for (int32_t i : list)
            for (int b = 0; b < (card.scale == 8 ? 2 : 4); ++b)
                s.push_back(static_cast<char>(static_cast<uint32_t>(i) >> (8 * b)));
        return s;
    };
    for (std::size_t c = 0; c < 2; ++c) {
        DrawingCard& card = *cards[c];
        const std::string list = indexes(card, {0, 1, 3, 2});
        const uint32_t a = card.dci->run("Allocate", {double(list.size())});
        const uint32_t b = card.dci->run("Allocate", {double(points.size())});
        std::copy(list.begin(), list.end(), card.at(a));
        std::copy(points.begin(), points.end(), card.at(b));
        EXPECT_EQ(card.dci->run("XR_FillConvex", {4, double(a), double(b)}), 1u);
        const std::string bad = indexes(card, {0, 1, 4, 2});
        std::copy(bad.begin(), bad.end(), card.at(a));
        EXPECT_EQ(card.dci->run("XR_FillConvex", {4, double(a), double(b) + 0}), 0u) << "index 4 of 4 points";
        const std::string negative = indexes(card, {0, -1, 3, 2});
        std::copy(negative.begin(), negative.end(), card.at(a));
        EXPECT_EQ(card.dci->run("XR_FillConvex", {4, double(a), double(b)}), 0u) << "index -1";
        EXPECT_EQ(card.dci->run("XR_FillConvex", {5, double(a), double(b)}), 0u) << "more points than staged";
        EXPECT_EQ(card.dci->run("XR_FillConvex", {-1, double(a), double(b)}), 0u);
    }
    DrawingScreen s;
    s.box(0, 0, kDrawingWidth, kDrawingHeight, 5, [&](int x, int y) { return dr::insidePolygon(ordered, x, y); });
    ExpectScreen(s);
}

TEST_F(CardDrawingTest, CountsAndBlocksTheCardCannotHoldDrawNothing)
{
    struct Row {
        const char* name;
        std::vector<double> args;
    };
    const std::string three = DrawingPoints({{1, 1}, {50, 1}, {1, 50}});
    const Row rows[] = {
        {"XR_FillPolygon", {-3, DrawingBlock(0)}},
        {"XR_FillPolygon", {4, DrawingBlock(0)}},
        {"XR_FillPolygon", {32768, DrawingBlock(0)}},
        {"XR_FillPolygon", {3, 12345}},
        {"XR_EncloseFillRect", {4, DrawingBlock(0)}},
        {"XR_EncloseFillRect", {-1, DrawingBlock(0)}},
        {"XR_DrawPolyLine", {3, DrawingBlock(0), DrawingBlock(0)}},
        {"XR_FillOval", {40000, 10, 0, 0}},
        {"XR_FillOval", {-5, 10, 0, 0}},
        {"XR_DrawLine", {0, 0, 70000, 5}},
        {"XR_DrawString", {0, 0, 999}},
    };
    for (const Row& r : rows)
        Call(r.name, r.args, {three});
    DrawingScreen empty;
    ExpectScreen(empty);
}

// Words at the ends of their range: no overflow, and the rules still hold.
TEST_F(CardDrawingTest, ExtremeArgumentsKeepToTheRules)
{
    Call("XR_FrameOval", {20, 20, 0, 0, -2147483648.0, -2147483648.0});
    DrawingScreen empty;
    ExpectScreen(empty);
    // -2147483648 degrees is 232 modulo 360.
    Call("XR_FillPieArc", {60, 40, 10, 10, -2147483648.0, -10});
    const DrawingScreen extreme = Current();
    Clear();
    Call("XR_FillPieArc", {60, 40, 10, 10, 222, 10});
    EXPECT_EQ(Current().pixels, extreme.pixels);
    EXPECT_NE(extreme.pixels, empty.pixels);
    Clear();
    Call("XR_AddTextSpace", {2147483647.0});
    Call("XR_Transparent", {0x05050505});
    Call("XR_DrawString", {0, 0, DrawingBlock(0)}, {DrawingText("HH")});
    DrawingScreen one;
    const dr::Font& f = dr::builtInFont(0);
    one.box(0, 0, f.widest, f.height, 5, [&](int x, int y) { return dr::glyph(f, 'H')->ink(x, y); });
    ExpectScreen(one);
}

TEST_F(CardDrawingTest, ClipOriginAndPlaneMaskHoldForEveryShape)
{
    Call("XR_SetOrigin", {20, 10});
    Call("XR_SetClipRect", {50, 40, 30, 25});
    Call("XR_Set_pmask", {0x0E});
    for (DrawingCard* card : cards)
        std::fill(card->video.begin(), card->video.end(), 0x11);
    Call("XR_FillOval", {60, 50, 0, 0});
    Call("XR_DrawLine", {-20, 60, 100, 0});
    DrawingScreen s;
    std::fill(s.pixels.begin(), s.pixels.end(), 0x11);
    auto clipped = [&](int sx, int sy) { return sx >= 30 && sx < 80 && sy >= 25 && sy < 65; };
    auto draw = [&](int sx, int sy) {
        if (clipped(sx, sy))
            s.set(sx, sy, (0x11 & ~0x0E) | (5 & 0x0E));
    };
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x)
            if (dr::insideEllipse(60, 50, x, y))
                draw(20 + x, 10 + y);
    for (const Point& p : dr::linePixels({-20, 60}, {100, 0}))
        draw(20 + p.x, 10 + p.y);
    ExpectScreen(s);
}

// --- Patterns and pens --------------------------------------------------------------------------

TEST_F(CardDrawingTest, PatternsPaintColourOneAndColourZeroOrLeaveThePixel)
{
    for (DrawingCard* card : cards)
        std::fill(card->video.begin(), card->video.end(), 9);
    Call("XR_Opaque", {0x05050505, 0x03030303});
    EXPECT_EQ(SCall("XR_SelectPatnNamed", {DrawingBlock(0)}, {DrawingText(" Checker8")}), 0);
    Call("XR_PatnFillRect", {40, 30, 2, 3});
    Call("XR_Transparent", {0x06060606});
    EXPECT_EQ(SCall("XR_SelectPatnNamed", {DrawingBlock(0)}, {DrawingText("BARS_v2")}), 3);
    Call("XR_PatnFillOval", {50, 40, 60, 10});
    EXPECT_EQ(SCall("XR_SelectPatnNamed", {DrawingBlock(0)}, {DrawingText("stripes")}), -1);
    DrawingScreen s;
    std::fill(s.pixels.begin(), s.pixels.end(), 9);
    s.box(2, 3, 40, 30, 0, [&](int x, int y) {
        s.set(2 + x, 3 + y, dr::patternBit(dr::namedPattern(0), 2 + x, 3 + y) ? 5 : 3);
        return false;
    });
    s.box(60, 10, 50, 40, 6, [](int x, int y) {
        return dr::insideEllipse(50, 40, x, y) && dr::patternBit(dr::namedPattern(3), 60 + x, 10 + y);
    });
    ExpectScreen(s);
}

TEST_F(CardDrawingTest, InstalledPatternsCanBeSelectedAndRemoved)
{
    std::vector<uint16_t> words(16);
    for (std::size_t i = 0; i < 16; ++i)
        words[i] = static_cast<uint16_t>(0x8001u << (i % 2));
    EXPECT_EQ(SCall("XR_InstallPatn", {7, DrawingBlock(0)}, {DrawingBytes(words)}), 7);
    EXPECT_EQ(SCall("XR_InstallPatn", {2, DrawingBlock(0)}, {DrawingBytes(words)}), -1) << "a named slot";
    EXPECT_EQ(SCall("XR_InstallPatn", {8, DrawingBlock(0)}, {DrawingBytes(words).substr(0, 30)}), -1) << "short image";
    EXPECT_EQ(SCall("XR_SelectPatn", {8}), -1);
    EXPECT_EQ(SCall("XR_SelectPatn", {7}), 7);
    EXPECT_EQ(Call("XR_GetPatnMax", {}), 16u);
    Call("XR_Transparent", {0x05050505});
    Call("XR_PatnFillRect", {32, 4, 0, 0});
    dr::Pattern p{};
    std::copy(words.begin(), words.end(), p.begin());
    DrawingScreen s;
    s.box(0, 0, 32, 4, 5, [&](int x, int y) { return dr::patternBit(p, x, y); });
    ExpectScreen(s);
    EXPECT_EQ(Call("XR_RemovePatn", {7}), 1u);
    EXPECT_EQ(Call("XR_RemovePatn", {7}), 0u);
    EXPECT_EQ(Call("XR_RemovePatn", {0}), 0u);
    EXPECT_EQ(SCall("XR_SelectPatn", {7}), -1);
}

TEST_F(CardDrawingTest, PensPutTheirRectangleAtEveryPixel)
{
    Call("XR_SetPenSize", {3, 2});
    EXPECT_EQ(isa.dci->value("penw"), 3);
    Call("XR_PenLine", {10, 10, 30, 20});
    Call("XR_PenPoint", {100, 100});
    const std::vector<Point> path = {{50, 50}, {70, 40}, {90, 60}};
    Call("XR_PenPolyLine", {2, DrawingBlock(0), DrawingBlock(1)}, {DrawingPoints({{0, 0}, {0, 0}}), DrawingPoints(path)});
    DrawingScreen s;
    auto pen = [&](Point p) { s.box(p.x, p.y, 3, 2, 5, [](int, int) { return true; }); };
    for (const Point& p : dr::linePixels({10, 10}, {30, 20}))
        pen(p);
    pen({100, 100});
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        for (const Point& p : dr::linePixels(path[i], path[i + 1]))
            pen(p);
    ExpectScreen(s);
}

// --- Block moves and fills --------------------------------------------------------------------------

TEST_F(CardDrawingTest, CurtainAndMovesCopyPixels)
{
    for (int x = 0; x < 20; ++x)
        Call("XR_PutPixel", {double(10 + x), 5, double(x % 3)});
    Call("XR_CurtainFillRect", {20, 10, 10, 5, 0});
    DrawingScreen s;
    s.box(10, 5, 20, 10, 0, [&](int x, int y) {
        s.set(10 + x, 5 + y, static_cast<uint8_t>(x % 3));
        return false;
    });
    ExpectScreen(s);
    // An opaque copy takes the zeros along; a transparent one leaves what is there.
    Call("XR_FillRect", {20, 10, 60, 5});
    Call("XR_MoveRect", {20, 10, 10, 5, 60, 5});
    Call("XR_FillRect", {20, 10, 100, 5});
    Call("XR_TranspON", {});
    Call("XR_MoveRect", {20, 10, 10, 5, 100, 5});
    Call("XR_TranspOFF", {});
    // Overlapping: the source is read before anything is written.
    Call("XR_MoveRect", {20, 10, 10, 5, 13, 7});
    DrawingScreen after = s;
    s.box(60, 5, 20, 10, 0, [&](int x, int y) {
        after.set(60 + x, 5 + y, static_cast<uint8_t>(x % 3));
        after.set(100 + x, 5 + y, x % 3 == 0 ? 5 : static_cast<uint8_t>(x % 3));
        return false;
    });
    s.box(13, 7, 20, 10, 0, [&](int x, int y) {
        after.set(13 + x, 7 + y, static_cast<uint8_t>(x % 3));
        return false;
    });
    ExpectScreen(after);
}

TEST_F(CardDrawingTest, SeedAndBoundaryFillsStayInsideTheirRegion)
{
    Call("XR_DrawRect", {40, 30, 10, 10});
    Call("XR_Set_color1", {0x07070707});
    Call("XR_SeedFill", {20, 20, DrawingBlock(0), 64}, {std::string(64, '\0')});
    Call("XR_Set_color1", {0x05050505});
    Call("XR_DrawRect", {40, 30, 100, 10});
    Call("XR_PutPixel", {120, 25, 9});
    Call("XR_Opaque", {0x08080808, 0x02020202});
    Call("XR_SelectPatn", {4});
    Call("XR_BoundPatnFill", {110, 20, DrawingBlock(0), 64, 0x05050505}, {std::string(64, '\0')});
    DrawingScreen s;
    s.box(10, 10, 40, 30, 5, [](int x, int y) { return x == 0 || y == 0 || x == 39 || y == 29; });
    s.box(11, 11, 38, 28, 7, [](int, int) { return true; });
    s.box(100, 10, 40, 30, 5, [](int x, int y) { return x == 0 || y == 0 || x == 39 || y == 29; });
    s.box(101, 11, 38, 28, 0, [&](int x, int y) {
        s.set(101 + x, 11 + y, dr::patternBit(dr::namedPattern(4), 101 + x, 11 + y) ? 8 : 2);
        return false;
    });
    ExpectScreen(s);
}

TEST_F(CardDrawingTest, BoxesCountsWhatFitsIntoTheSlots)
{
    Call("XR_SetClipRect", {100, 50, 0, 0});
    for (std::size_t c = 0; c < 2; ++c) {
        DrawingCard& card = *cards[c];
        const bool isaCard = card.scale == 8;
        const uint32_t block = card.dci->run("Allocate", {isaCard ? 4.0 : 8.0});
        const uint32_t second = block + (isaCard ? 16 : 4);
        card.dci->run("XR_Boxes", {double(block), double(second), 30, 7});
        const uint8_t* p = card.at(block);
        if (isaCard) {
            EXPECT_EQ(p[0] | p[1] << 8, 3);
            EXPECT_EQ(p[2] | p[3] << 8, 7);
        } else {
            EXPECT_EQ(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24, 3);
            EXPECT_EQ(p[4] | p[5] << 8 | p[6] << 16 | p[7] << 24, 7);
        }
    }
}

TEST_F(CardDrawingTest, StyledLinesDrawTheStyleBitsAndGiveTheNextPhase)
{
    EXPECT_EQ(Call("XR_StyledLine", {0, 0, 9, 0, 0x0000000F, 0}), 10u);
    EXPECT_EQ(Call("XR_StyledLine", {0, 2, 9, 2, 0x0000000F, 30}), 8u);
    DrawingScreen s;
    for (int x = 0; x < 4; ++x)
        s.set(x, 0, 5);
    for (int x = 2; x < 6; ++x)
        s.set(x, 2, 5);
    ExpectScreen(s);
}

// Arcs, grids, grills, marks and figures: the same pixels on both cards, and
// none outside their box.
TEST_F(CardDrawingTest, OtherDrawingCallsChangeOnlyTheirBox)
{
    struct Row {
        const char* name;
        std::vector<double> args;
        int x, y, w, h;  // the box
    };
    const Row rows[] = {
        {"XR_DrawOvalArc", {60, 40, 30, 20, 45, 200}, 30, 20, 60, 40},
        {"XR_DrawPieArc", {60, 40, 30, 20, -30, 100}, 30, 20, 60, 40},
        {"XR_FillPieArc", {60, 40, 30, 20, 90, 90}, 30, 20, 60, 40},
        {"XR_PatnFillPieArc", {60, 40, 30, 20, 180, -120}, 30, 20, 60, 40},
        {"XR_PenOvalArc", {60, 40, 30, 20, 0, 270}, 30, 20, 63, 43},
        {"XR_PenPieArc", {60, 40, 30, 20, 0, 90}, 30, 20, 63, 43},
        {"XR_PatnPenPieArc", {60, 40, 30, 20, 10, 300}, 30, 20, 63, 43},
        {"XR_PatnPenOvalArc", {60, 40, 30, 20, 10, 300}, 30, 20, 63, 43},
        {"XR_DottedOval", {60, 40, 30, 20, 3}, 30, 20, 60, 40},
        {"XR_DrawGrill", {50, 30, 40, 50, 3, 4, 1}, 40, 50, 50, 30},
        {"XR_DrawGrill", {50, 30, 40, 50, 2, 2, 0}, 40, 50, 50, 30},
        {"XR_DrawGrid", {10, 15, 2}, 20, 10, 100, 80},
        {"XR_DrawLimits", {}, 20, 10, 100, 80},
        {"XR_DrawCross", {}, 20, 10, 100, 80},
        {"XR_DrawCenterMark", {}, 20, 10, 100, 80},
        {"XR_DrawTBox", {30, 20}, 20, 10, 100, 80},
        {"XR_DrawStep", {10, 6}, 20, 10, 100, 80},
        {"XR_DrawFormat", {25, 20}, 20, 10, 100, 80},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Clear();
        Call("XR_SetClipRect", {100, 80, 20, 10});
        Call("XR_SetPenSize", {4, 4});
        Call("XR_Opaque", {0x05050505, 0x03030303});
        Call(r.name, r.args);
        int changed = 0;
        for (int y = 0; y < kDrawingHeight; ++y)
            for (int x = 0; x < kDrawingWidth; ++x)
                if (isa.dci->pixel(x, y) != 0) {
                    ++changed;
                    EXPECT_TRUE(x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h) << x << "," << y;
                }
        EXPECT_GT(changed, 0);
        ExpectSameScreens();
    }
}

// --- Text ---------------------------------------------------------------------------------------

TEST_F(CardDrawingTest, TextPlacesEachGlyphAtThePenAndMovesItBySpacing)
{
    EXPECT_EQ(SCall("XR_SelectFontNamed", {DrawingBlock(0)}, {DrawingText(" opix9")}), 1);
    EXPECT_EQ(SCall("XR_SelectFontNamed", {DrawingBlock(0)}, {DrawingText("OPIX")}), -1);
    Call("XR_AddTextSpace", {1});
    Call("XR_AddWordSpace", {3});
    Call("XR_AddMoreSpace", {2});
    const dr::Font& f = dr::builtInFont(1);
    const dr::Spacing spacing{1, 3, 2};
    const std::string text = "Hi, yo!";
    EXPECT_EQ(SCall("XR_GetWidth", {DrawingBlock(0)}, {DrawingText(text)}), dr::textWidth(f, text, spacing));
    EXPECT_EQ(dr::textWidth(f, text, spacing), 7 * (6 + 1) + 5);
    Call("XR_Transparent", {0x05050505});
    EXPECT_EQ(SCall("XR_DrawString", {4, 6, DrawingBlock(0)}, {DrawingText(text)}), 4 + dr::textWidth(f, text, spacing));
    Call("XR_Opaque", {0x05050505, 0x02020202});
    Call("XR_DrawText", {4, 30, DrawingBlock(0)}, {DrawingText(text)});
    Call("XR_Transparent", {0x05050505});
    Call("XR_DrawItalic", {4, 60, DrawingBlock(0)}, {DrawingText(text)});
    DrawingScreen s;
    auto expect = [&](int x, int y, bool opaque, bool italic) {
        for (char ch : text) {
            const dr::Glyph* g = dr::glyph(f, static_cast<unsigned char>(ch));
            for (int r = 0; r < f.height; ++r)
                for (int c = 0; c < g->width; ++c) {
                    const int px = x + c + (italic ? dr::italicShift(f, r) : 0);
                    if (g->ink(c, r))
                        s.set(px, y + r, 5);
                    else if (opaque)
                        s.set(px, y + r, 2);
                }
            x += dr::advance(f, static_cast<unsigned char>(ch), spacing);
        }
    };
    expect(4, 6, false, false);
    expect(4, 30, true, false);
    expect(4, 60, false, true);
    ExpectScreen(s);
    // Hand-counted: 'H' of OPIX9 at (4, 6) has its left column inked over 7 rows.
    for (int r = 1; r <= 7; ++r)
        EXPECT_EQ(isa.dci->pixel(4, 6 + r), 5) << r;
    EXPECT_EQ(isa.dci->pixel(4, 6), 0);
}

TEST_F(CardDrawingTest, FontMetricsAnswerForTheSelectedFont)
{
    for (int slot = 0; slot < dr::kBuiltInFonts; ++slot) {
        const dr::Font& f = dr::builtInFont(slot);
        EXPECT_EQ(SCall("XR_SelectFont", {double(slot)}), slot);
        EXPECT_EQ(SCall("XR_CharHigh", {}), f.height);
        EXPECT_EQ(SCall("XR_GetAscent", {}), f.ascent);
        EXPECT_EQ(SCall("XR_GetDescent", {}), f.descent);
        EXPECT_EQ(SCall("XR_GetLeading", {}), f.leading);
        EXPECT_EQ(SCall("XR_CharWideMax", {}), f.widest);
        EXPECT_EQ(SCall("XR_CharWideImage", {'W'}), dr::glyph(f, 'W')->width);
        EXPECT_EQ(SCall("XR_GetFirstCh", {}), 32);
        EXPECT_EQ(SCall("XR_GetLastCh", {}), 126);
    }
    EXPECT_EQ(SCall("XR_GetFontMax", {}), dr::kFontSlots);
    EXPECT_EQ(SCall("XR_SelectFont", {5}), -1);
    EXPECT_EQ(SCall("XR_CharHigh", {}), dr::builtInFont(2).height) << "the selection is kept";
    const int end = SCall("XR_DrawChar", {10, 10, 'A'});
    EXPECT_EQ(end, 10 + dr::glyph(dr::builtInFont(2), 'A')->width);
}

TEST_F(CardDrawingTest, AnInstalledFontDrawsLikeTheFontOfItsImage)
{
    const std::string image = DrawingBytes(dr::fontImage(dr::builtInFont(0)));
    const int slot = SCall("XR_InstallFont", {0, DrawingBlock(0)}, {image});
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(SCall("XR_InstallFont", {9, DrawingBlock(0)}, {image}), 9);
    EXPECT_EQ(SCall("XR_InstallFont", {0, DrawingBlock(0)}, {image.substr(0, image.size() - 2)}), -1) << "short";
    std::string backwards = image;
    std::swap(backwards[2], backwards[4]);
    EXPECT_EQ(SCall("XR_InstallFont", {0, DrawingBlock(0)}, {backwards}), -1) << "last before first";
    EXPECT_EQ(SCall("XR_SelectFont", {3}), 3);
    Call("XR_Transparent", {0x05050505});
    Call("XR_DrawString", {2, 2, DrawingBlock(0)}, {DrawingText("Mm 9")});
    const DrawingScreen installed = Current();
    Clear();
    Call("XR_SelectFont", {0});
    Call("XR_DrawString", {2, 2, DrawingBlock(0)}, {DrawingText("Mm 9")});
    DrawingScreen builtIn = Current();
    EXPECT_EQ(installed.pixels, builtIn.pixels);
    EXPECT_EQ(Call("XR_FreeFont", {3}), 1u);
    EXPECT_EQ(Call("XR_FreeFont", {3}), 0u);
    EXPECT_EQ(Call("XR_FreeFont", {1}), 0u) << "built-in";
    EXPECT_EQ(SCall("XR_SelectFont", {3}), -1);
}

// --- Colours ------------------------------------------------------------------------------------

TEST_F(CardDrawingTest, ColourNamesIgnoreCaseAndBlanks)
{
    const uint32_t blue = static_cast<uint32_t>(isa.dci->value("blue"));
    EXPECT_EQ(Call("XR_SetColorNamed", {DrawingBlock(0)}, {DrawingText(" Blue")}), blue);
    EXPECT_EQ(Call("XR_Get_color1", {}), blue);
    EXPECT_EQ(Call("XR_SetColorNamed", {DrawingBlock(0)}, {DrawingText("GRAY50\t")}), static_cast<uint32_t>(isa.dci->value("gray50")));
    EXPECT_EQ(Call("XR_SetColorNamed", {DrawingBlock(0)}, {DrawingText("bleu")}), 0u);
    EXPECT_EQ(Call("XR_Get_color1", {}), static_cast<uint32_t>(isa.dci->value("gray50"))) << "kept";
}

TEST_F(CardDrawingTest, ColourTablesChangeTheColourWordsAndSomeLackColours)
{
    EXPECT_EQ(isa.dci->value("black"), 0x01010101);
    EXPECT_EQ(isa.dci->value("red50"), 0x03030303);
    Call("XR_SetLut", {0x20004});
    EXPECT_EQ(isa.dci->value("black"), 0x03030303);
    EXPECT_EQ(isa.dci->value("red50"), 0x05050505);
    Call("XR_SetLut", {0x8B0000});
    EXPECT_EQ(isa.dci->value("red"), 0x8D8D8D8D);
    EXPECT_EQ(isa.dci->value("red50"), 0);
    EXPECT_EQ(Call("XR_SetColorNamed", {DrawingBlock(0)}, {DrawingText("red50")}), 0u);
    Call("XR_InitLut", {});
    EXPECT_EQ(isa.dci->value("white"), 0x14141414);
    EXPECT_EQ(pci.dci->value("white"), 0x14141414);
}

TEST_F(CardDrawingTest, LevelCallsSetTheSelectedAndPokedColours)
{
    EXPECT_EQ(isa.dci->level(0x14), (std::array<uint32_t, 3>{255, 255, 255})) << "white";
    EXPECT_EQ(isa.dci->level(3), (std::array<uint32_t, 3>{127, 0, 0})) << "red50";
    Call("XR_SelectColor", {12});
    // ISA sends the levels; PCI the addresses of three staged words.
    for (std::size_t c = 0; c < 2; ++c) {
        DrawingCard& card = *cards[c];
        if (card.scale == 8) {
            card.dci->run("XR_SetLevelRGB", {10, 20, 300});
            continue;
        }
        std::vector<double> addresses;
        for (uint32_t v : {10u, 20u, 300u}) {
            const uint32_t a = card.dci->run("Allocate", {4});
            for (int b = 0; b < 4; ++b)
                card.at(a)[b] = static_cast<uint8_t>(v >> (8 * b));
            addresses.push_back(a);
        }
        card.dci->run("XR_SetLevelRGB", addresses);
    }
    Call("XR_PokeColor", {13});
    Call("XR_PokeLevelRGB", {1, 2, 3});
    Call("XR_SelectColor", {14});
    Call("XR_SetLevelGrayPercent", {50});
    Call("XR_SelectColor", {15});
    Call("XR_SetLevelMax", {100});
    Call("XR_SetLevelGray", {150});
    for (DrawingCard* card : cards) {
        EXPECT_EQ(card->dci->level(12), (std::array<uint32_t, 3>{10, 20, 255})) << "clipped to the maximum then";
        EXPECT_EQ(card->dci->level(13), (std::array<uint32_t, 3>{1, 2, 3}));
        EXPECT_EQ(card->dci->level(14), (std::array<uint32_t, 3>{127, 127, 127}));
        EXPECT_EQ(card->dci->level(15), (std::array<uint32_t, 3>{100, 100, 100}));
    }
    Call("XR_PokeBlackColors", {});
    EXPECT_EQ(isa.dci->level(0x14), (std::array<uint32_t, 3>{0, 0, 0}));
}

TEST_F(CardDrawingTest, EdgeBlendsStepFromOneColourToTheNext)
{
    EXPECT_EQ(Call("XR_GetEdgeColorMany", {}), static_cast<uint32_t>(dr::kEdgeSamples));
    EXPECT_EQ(Call("XR_SetEdgeColorNamed", {DrawingBlock(0), DrawingBlock(1)}, {DrawingText("white"), DrawingText(" blue")}), dr::edgePixel(0, 0));
    EXPECT_EQ(Call("XR_SetEdgeColorNamed", {DrawingBlock(0), DrawingBlock(1)}, {DrawingText("blue"), DrawingText("black")}), dr::edgePixel(1, 0));
    EXPECT_EQ(Call("XR_SetEdgeColorNamed", {DrawingBlock(0), DrawingBlock(1)}, {DrawingText("blue"), DrawingText("nothing")}), 0u);
    EXPECT_EQ(Call("XR_GetEdgeColor", {1, 3}), dr::edgePixel(1, 3));
    EXPECT_EQ(Call("XR_GetEdgeColor", {2, 0}), 0u);
    EXPECT_EQ(Call("XR_GetEdgeColor", {0, dr::kEdgeSamples}), 0u);
    // white (255, 255, 255) to blue (0, 0, 255) in five steps.
    EXPECT_EQ(isa.dci->level(dr::edgePixel(0, 0)), (std::array<uint32_t, 3>{204, 204, 255}));
    EXPECT_EQ(isa.dci->level(dr::edgePixel(0, 3)), (std::array<uint32_t, 3>{51, 51, 255}));
}

TEST_F(CardDrawingTest, RepPixelFollowsThePixelSize)
{
    EXPECT_EQ(Call("XR_RepPixel", {0x1C}), 0x1C1C1C1Cu);
    for (DrawingCard* card : cards)
        card->dci->setValue("uintsize", 4);
    EXPECT_EQ(Call("XR_RepPixel", {0x1C}), 0xCCCCCCCCu);
    EXPECT_EQ(Call("XR_UnRepPixel", {0xCCCCCCCC}), 0xCu);
}

// --- Pictures -----------------------------------------------------------------------------------

void SaveDrawingPgm(const CardDci& dci, const std::filesystem::path& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << kDrawingWidth << " " << kDrawingHeight << "\n255\n";
    for (int y = 0; y < kDrawingHeight; ++y)
        for (int x = 0; x < kDrawingWidth; ++x)
            out.put(static_cast<char>(dci.pixel(x, y) * 10));
    ASSERT_TRUE(out.good()) << path;
}

TEST_F(CardDrawingTest, ASceneOfEveryKindIsTheSameOnBothCards)
{
    Call("XR_Transparent", {0x14141414});
    Call("XR_SelectFontNamed", {DrawingBlock(0)}, {DrawingText("OPIX9")});
    Call("XR_DrawString", {4, 2, DrawingBlock(0)}, {DrawingText("Hello world.")});
    Call("XR_SelectFontNamed", {DrawingBlock(0)}, {DrawingText("SYS16")});
    Call("XR_DrawItalic", {80, 2, DrawingBlock(0)}, {DrawingText("Sys16")});
    Call("XR_Opaque", {0x06060606, 0x02020202});
    Call("XR_SelectPatnNamed", {DrawingBlock(0)}, {DrawingText("MEME")});
    Call("XR_PatnFillRect", {32, 32, 4, 20});
    Call("XR_PatnFrameOval", {50, 40, 40, 20, 6, 6});
    Call("XR_Set_color1", {0x0B0B0B0B});
    Call("XR_FillPieArc", {40, 40, 95, 20, 30, 240});
    Call("XR_DrawGrill", {40, 20, 4, 60, 2, 3, 1});
    Call("XR_SetPenSize", {2, 2});
    Call("XR_PenLine", {50, 70, 150, 110});
    Call("XR_FillTriangle", {100, 70, 150, 75, 120, 100});
    Call("XR_SelectFontNamed", {DrawingBlock(0)}, {DrawingText("BIG30")});
    Call("XR_Set_color1", {0x12121212});
    Call("XR_DrawString", {4, 86, DrawingBlock(0)}, {DrawingText("Ag")});
    ExpectSameScreens();
    const char* folder = std::getenv("ZOT_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0')
        return;
    std::filesystem::create_directories(folder);
    SaveDrawingPgm(*isa.dci, std::filesystem::path(folder) / "card_drawing_isa.pgm");
    SaveDrawingPgm(*pci.dci, std::filesystem::path(folder) / "card_drawing_pci.pgm");
}

} // namespace
} // namespace gensim::test
