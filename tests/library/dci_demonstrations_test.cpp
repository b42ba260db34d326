// Demonstration routines of the Diagnostics window replayed on both cards,
// bound as the window binds them (a filled context of the program's own):
// the calls each makes in order, what the card logged and what it drew or
// set; and the colour tables that lack colours, whose words a caller tests
// before drawing with them.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "DciFixture.h"
#include "DemonstrationScreens.h"
#include "gensim/CardDci.h"
#include "gensim/CardDrawing.h"

namespace {

using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace drawing = gensim::drawing;

int DemoColourIndex(std::string_view name)
{
    const std::string plain = drawing::plainName(name);
    for (int k = 0; k < drawing::kNamedColours; ++k)
        if (gensim::colourName(k) == plain)
            return k;
    return -1;
}

uint32_t DemoWord(double arg)
{
    return static_cast<uint32_t>(static_cast<int64_t>(arg));
}

class DciDemonstrations : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind(true);
        Dci().clearLog();
        width = static_cast<int>(context.words[RCC_WIDTH]);
        height = static_cast<int>(context.words[RCC_HEIGHT]);
        ASSERT_EQ(width, Dci().width());
        ASSERT_EQ(height, Dci().height());
    }
    // The routines the card ran, staging left out.
    std::vector<std::string> Routines()
    {
        std::vector<std::string> names;
        for (const gensim::DciCall& call : Dci().log())
            if (call.name != "Allocate" && call.name != "Release")
                names.push_back(call.name);
        return names;
    }
    std::vector<gensim::DciCall> CallsOf(std::string_view name)
    {
        std::vector<gensim::DciCall> calls;
        for (const gensim::DciCall& call : Dci().log())
            if (call.name == name)
                calls.push_back(call);
        return calls;
    }
    // Text drawn transparently at (x, y) over what `under` gives: its glyphs'
    // ink in `ink`, the rest untouched. The ink pixels it checked.
    int ExpectText(const char* fontName, std::string_view text, int x, int y, uint8_t ink,
                   const std::function<uint8_t(int, int)>& under)
    {
        const drawing::Font& font = drawing::builtInFont(drawing::builtInFontSlot(fontName));
        int inked = 0;
        int penX = x;
        for (const char ch : text) {
            const drawing::Glyph* glyph = drawing::glyph(font, static_cast<unsigned char>(ch));
            if (glyph == nullptr) {
                ADD_FAILURE() << "no glyph for " << ch;
                return inked;
            }
            for (int r = 0; r < font.height; ++r)
                for (int c = 0; c < glyph->width; ++c) {
                    const bool on = glyph->ink(c, r);
                    inked += on ? 1 : 0;
                    EXPECT_EQ(Dci().pixel(penX + c, y + r), on ? ink : under(penX + c, y + r))
                        << "'" << ch << "' at " << penX + c << "," << y + r;
                }
            penX += static_cast<int>(drawing::advance(font, static_cast<unsigned char>(ch), {}));
        }
        return inked;
    }

    int width = 0;
    int height = 0;
};

// --- SetEdgeColorNamed ----------------------------------------------------------------------

const char* const kBarNames[8] = {"white", "yellow", "cyan", "green", "magenta", "red", " blue", "black"};
const char* const kEdgeNames[8] = {"white", "yellow", "cyan", "green", "magenta", "red", "blue", "black"};

// The row's routine: eight bars on the first line, each coloured bar ending
// in the edge blend to the next, copied down the screen; the samples per
// edge written over them. Returns n, or 0 when the bars are too narrow.
int PlaySetEdgeColorNamed(const RemoteCallContext& context, std::array<uint32_t, 8>& colours)
{
    XR_SetLut(0x10004);
    XR_BlackFillVuport();
    for (int i = 0; i < 8; ++i) {
        colours[static_cast<std::size_t>(i)] = XR_SetColorNamed(kBarNames[i]);
        if (i > 0)
            XR_SetEdgeColorNamed(kEdgeNames[i - 1], kEdgeNames[i]);
    }
    const auto width = static_cast<int32_t>(context.words[RCC_WIDTH]);
    const auto height = static_cast<int32_t>(context.words[RCC_HEIGHT]);
    const int32_t c = width / 8;
    const int32_t n = XR_GetEdgeColorMany();
    if (c < n + 1)
        return 0;
    for (int32_t bar = 0; bar < 7; ++bar) {
        XR_Transparent(colours[static_cast<std::size_t>(bar)]);
        XR_FillRect(c - n, 1, bar * c, 0);
        for (int32_t j = 0; j < n; ++j) {
            XR_Transparent(static_cast<uint32_t>(XR_GetEdgeColor(static_cast<uint32_t>(bar), j)));
            XR_DrawPoint(bar * c + c - n + j, 0);
        }
    }
    XR_Opaque(context.words[RCC_BLACK], context.words[RCC_BLACK]);
    XR_FillRect(c, 1, 7 * c, 0);
    XR_TranspOFF();
    XR_CurtainFillRect(width, height, 0, 0, 0);
    XR_SelectFontNamed("BIG30");
    XR_Transparent(context.words[RCC_WHITE]);
    char text[40];
    std::snprintf(text, sizeof text, "no. of samples is %d", n);
    XR_DrawString(210, 240, text);
    return n;
}

TEST_P(DciDemonstrations, SetEdgeColorNamedDrawsBarsWithTheirBlendsDownTheScreen)
{
    std::array<uint32_t, 8> colours{};
    const int n = PlaySetEdgeColorNamed(context, colours);
    ASSERT_EQ(n, drawing::kEdgeSamples);

    // Every bar colour is the table's, and the context was read again with it.
    const int contextWords[8] = {RCC_WHITE, RCC_YELLOW, RCC_CYAN, RCC_GREEN, RCC_MAGENTA, RCC_RED, RCC_BLUE,
                                 RCC_BLACK};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(colours[static_cast<std::size_t>(i)], drawing::tableColour(DemoColourIndex(kBarNames[i]), 0x10004))
            << kBarNames[i];
        EXPECT_EQ(colours[static_cast<std::size_t>(i)], context.words[contextWords[i]]) << kBarNames[i];
    }

    // The card saw the row's calls in its order, each name staged as given.
    const std::vector<std::string> routines = Routines();
    ASSERT_GE(routines.size(), 3u);
    EXPECT_EQ(Dci().log().front().text(), "XR_SetLut(65540)");
    EXPECT_EQ(routines[1], "XR_BlackFillVuport");
    const std::vector<gensim::DciCall> named = CallsOf("XR_SetColorNamed");
    ASSERT_EQ(named.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(named[i].staged, std::vector<std::string>{std::string(kBarNames[i]) + '\0'});
        EXPECT_EQ(named[i].result, colours[i]);
    }
    const std::vector<gensim::DciCall> edges = CallsOf("XR_SetEdgeColorNamed");
    ASSERT_EQ(edges.size(), 7u);
    for (std::size_t e = 0; e < 7; ++e) {
        EXPECT_EQ(edges[e].staged, (std::vector<std::string>{std::string(kEdgeNames[e]) + '\0',
                                                             std::string(kEdgeNames[e + 1]) + '\0'}));
        EXPECT_EQ(edges[e].result, drawing::edgePixel(static_cast<int>(e), 0));
    }
    EXPECT_EQ(CallsOf("XR_GetEdgeColor").size(), 7u * drawing::kEdgeSamples);
    const std::vector<std::string> tail(routines.end() - 7, routines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"XR_Opaque", "XR_FillRect", "XR_TranspOFF", "XR_CurtainFillRect",
                                              "XR_SelectFontNamed", "XR_Transparent", "XR_DrawString"}));
    EXPECT_EQ(CallsOf("XR_DrawString").at(0).staged, std::vector<std::string>{std::string("no. of samples is 4", 20)});
    EXPECT_TRUE(Dci().liveBlocks().empty());

    // The first line: c - n pixels of each bar's colour, then its n edge
    // samples; the last bar black. Every line below is the same.
    auto lineByte = [&](int x) { return demoscreens::EdgeBarByte(x, width, n, colours, context.words[RCC_BLACK]); };
    for (const int y : {0, 1, height / 3, height - 1})
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(Dci().pixel(x, y), lineByte(x)) << x << "," << y;

    // Each edge steps from its bar's levels to the next bar's.
    for (int e = 0; e < 7; ++e) {
        const auto left = drawing::namedLevels(DemoColourIndex(kEdgeNames[e]), 255);
        const auto right = drawing::namedLevels(DemoColourIndex(kEdgeNames[e + 1]), 255);
        for (int j = 0; j < n; ++j)
            EXPECT_EQ(Dci().level(drawing::edgePixel(e, j)), drawing::blendLevels(left, right, j)) << e << "/" << j;
    }

    // The count in white, over the bars.
    const int inked = ExpectText("BIG30", "no. of samples is 4", 210, 240,
                                 static_cast<uint8_t>(context.words[RCC_WHITE]),
                                 [&](int x, int) { return lineByte(x); });
    EXPECT_GT(inked, 0);
}

// --- SetLevelMax --------------------------------------------------------------------------

// The row's routine: sixteen bars, bar i in colour i with the green level
// i, under a maximum of 15; that maximum written in colour 15.
uint32_t PlaySetLevelMax(const RemoteCallContext& context)
{
    XR_SetLut(0x10004);
    XR_BlackFillVuport();
    XR_SetLevelMax(15);
    const auto width = static_cast<int32_t>(context.words[RCC_WIDTH]);
    const auto height = static_cast<int32_t>(context.words[RCC_HEIGHT]);
    const int32_t w = width / 16;
    int32_t x = (width % 16) / 2;
    const uint32_t max = XR_GetLevelMax();
    for (uint32_t i = 0; i <= max && i < 256; ++i) {
        XR_Transparent(XR_RepPixel(static_cast<int32_t>(i)));
        XR_SelectColor(i);
        XR_SetLevelRGB(0, i, 0);
        XR_FillRect(w, height, x, 0);
        x += w;
    }
    XR_SelectFontNamed("OPIX9");
    XR_Transparent(XR_RepPixel(15));
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(max));
    XR_DrawString(320, 240, text);
    return max;
}

TEST_P(DciDemonstrations, SetLevelMaxDrawsSixteenGreenLevels)
{
    ASSERT_EQ(PlaySetLevelMax(context), 15u);

    const std::vector<std::string> routines = Routines();
    ASSERT_GE(routines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(routines.begin(), routines.begin() + 4),
              (std::vector<std::string>{"XR_SetLut", "XR_BlackFillVuport", "XR_SetLevelMax", "XR_GetLevelMax"}));
    EXPECT_EQ(CallsOf("XR_SetLevelMax").at(0).text(), "XR_SetLevelMax(15)");
    const std::vector<gensim::DciCall> reps = CallsOf("XR_RepPixel");
    ASSERT_EQ(reps.size(), 17u);
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(reps[i].result, i * 0x01010101u);
        EXPECT_EQ(DemoWord(CallsOf("XR_Transparent").at(i).args.at(0)), i * 0x01010101u);
        EXPECT_EQ(DemoWord(CallsOf("XR_SelectColor").at(i).args.at(0)), i);
    }
    EXPECT_EQ(CallsOf("XR_SetLevelRGB").size(), 16u);
    EXPECT_EQ(CallsOf("XR_FillRect").size(), 16u);
    EXPECT_EQ(routines.back(), "XR_DrawString");
    EXPECT_EQ(CallsOf("XR_DrawString").at(0).staged, std::vector<std::string>{std::string("15", 3)});
    EXPECT_TRUE(Dci().liveBlocks().empty());

    // Bar i in pixel i, from (width mod 16) / 2; its level green i.
    auto barByte = [&](int x) { return demoscreens::LevelBarByte(x, width, context.words[RCC_BLACK]); };
    for (const int y : {0, 100, height - 1})
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(Dci().pixel(x, y), barByte(x)) << x << "," << y;
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(Dci().level(i), (std::array<uint32_t, 3>{0, i, 0})) << i;

    const int inked = ExpectText("OPIX9", "15", 320, 240, 15, [&](int x, int) { return barByte(x); });
    EXPECT_GT(inked, 0);

    // Levels above the maximum are held to it.
    XR_SelectColor(3);
    XR_SetLevelRGB(200, 16, 15);
    EXPECT_EQ(Dci().level(3), (std::array<uint32_t, 3>{15, 15, 15}));
}

// --- WaitFrame ------------------------------------------------------------------------------

struct WaitFrameStep {
    Fix factor;
    int axis;
    std::array<Vertex, 4> vertices;
    std::array<Point, 4> points;
    uint32_t now;
    uint32_t reached;
};

// The row's routine, stopped by `keepRunning`: a square scaled along x,
// then y, then z, three frames a step, the previous square's box erased in
// black and the new one filled in red, in a vuport centred on the screen.
std::vector<WaitFrameStep> PlayWaitFrame(const RemoteCallContext& context, const std::function<bool()>& keepRunning)
{
    std::vector<WaitFrameStep> steps;
    XR_SetLut(0x10004);
    XR_BlackFillVuport();
    // Read after the table changed: the library has put its colours in.
    const uint32_t black = context.words[RCC_BLACK];
    const uint32_t red = context.words[RCC_RED];
    const int32_t saved = XR_CurrentVuport();
    const int32_t own = XR_OpenVuport();
    XR_SelectVuport(own);
    XR_Transparent(red);
    XR_SetOrigin(static_cast<int32_t>(context.words[RCC_CENTERLEFT]), static_cast<int32_t>(context.words[RCC_CENTERTOP]));
    XR_SetClipRect(static_cast<int32_t>(context.words[RCC_WIDTH]), static_cast<int32_t>(context.words[RCC_HEIGHT]), 0, 0);
    static const int32_t square[12] = {-25, -25, 0, 25, -25, 0, 25, 25, 0, -25, 25, 0};
    static const int32_t order[4] = {0, 1, 2, 3};
    Point buffers[2][4] = {};
    int next = 0;
    bool drawn = false;
    auto animate = [&] {
        for (int axis = 0; axis < 3; ++axis)
            for (Fix factor = 0x8000; factor <= 0x18000; factor += 512) {
                if (!keepRunning())
                    return;
                FixMatrix matrix;
                XR_InitMatrix(&matrix);
                Vertex scale{0x10000, 0x10000, 0x10000};
                (axis == 0 ? scale.x : axis == 1 ? scale.y : scale.z) = factor;
                XR_Scale(&matrix, &scale);
                Vertex vertices[4];
                XR_Int32ToFix(12, square, &vertices[0].x);
                XR_Transform(&matrix, 4, vertices);
                XR_Perspec(4, vertices, buffers[next], -200, 0, 0);
                WaitFrameStep step{factor, axis, {}, {}, 0, 0};
                step.now = XR_WaitFrame(0);
                step.reached = XR_WaitFrame(step.now + 3);
                if (drawn) {
                    XR_Opaque(black, black);
                    XR_EncloseFillRect(4, buffers[1 - next]);
                }
                XR_Transparent(red);
                XR_FillConvex(4, order, buffers[next]);
                drawn = true;
                for (std::size_t k = 0; k < 4; ++k) {
                    step.vertices[k] = vertices[k];
                    step.points[k] = buffers[next][k];
                }
                steps.push_back(step);
                next = 1 - next;
            }
    };
    animate();
    XR_SelectVuport(saved);
    XR_CloseVuport(own);
    return steps;
}

TEST_P(DciDemonstrations, WaitFrameScalesTheSquareThreeFramesAStep)
{
    Dci().setFrameRate(2000);
    int polls = 0;
    const std::vector<WaitFrameStep> steps = PlayWaitFrame(context, [&] { return ++polls <= 4; });
    EXPECT_EQ(polls, 5);
    ASSERT_EQ(steps.size(), 4u);

    // The x pass: the factor grows by 512 from one half, x alone scaled.
    const int signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (std::size_t s = 0; s < steps.size(); ++s) {
        const WaitFrameStep& step = steps[s];
        EXPECT_EQ(step.factor, 0x8000 + 512 * static_cast<Fix>(s));
        EXPECT_EQ(step.axis, 0);
        for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(step.vertices[k].x, signs[k][0] * 25 * step.factor) << s << "/" << k;
            EXPECT_EQ(step.vertices[k].y, signs[k][1] * (25 << 16)) << s << "/" << k;
            EXPECT_EQ(step.vertices[k].z, 0) << s << "/" << k;
        }
        // Each wait ends no sooner than three frames after the one it read.
        EXPECT_GE(step.reached, step.now + 3) << s;
        if (s > 0) {
            EXPECT_GE(step.now, steps[s - 1].reached) << s;
        }
    }
    const std::vector<gensim::DciCall> waits = CallsOf("XR_WaitFrame");
    ASSERT_EQ(waits.size(), 8u);
    for (std::size_t s = 0; s < 4; ++s) {
        EXPECT_EQ(waits[2 * s].args, std::vector<double>{0});
        EXPECT_EQ(DemoWord(waits[2 * s + 1].args.at(0)), steps[s].now + 3);
        EXPECT_EQ(waits[2 * s + 1].result, steps[s].reached);
    }

    // The matrix is made on the host; each step's calls in order, the erase
    // from the second step on.
    const std::vector<std::string> routines = Routines();
    const std::vector<std::string> opening{"XR_SetLut",   "XR_BlackFillVuport", "XR_CurrentVuport", "XR_OpenVuport",
                                           "XR_SelectVuport", "XR_Transparent", "XR_SetOrigin", "XR_SetClipRect"};
    const std::vector<std::string> first{"XR_Scale",     "XR_Int32ToFix", "XR_Transform",   "XR_Perspec",
                                         "XR_WaitFrame", "XR_WaitFrame",  "XR_Transparent", "XR_FillConvex"};
    std::vector<std::string> later = first;
    later.insert(later.begin() + 6, {"XR_Opaque", "XR_EncloseFillRect"});
    std::vector<std::string> expected = opening;
    expected.insert(expected.end(), first.begin(), first.end());
    for (int s = 1; s < 4; ++s)
        expected.insert(expected.end(), later.begin(), later.end());
    expected.insert(expected.end(), {"XR_SelectVuport", "XR_CloseVuport"});
    EXPECT_EQ(routines, expected);
    EXPECT_EQ(CallsOf("XR_SetOrigin").at(0).args,
              (std::vector<double>{static_cast<double>(static_cast<int32_t>(context.words[RCC_CENTERLEFT])),
                                   static_cast<double>(static_cast<int32_t>(context.words[RCC_CENTERTOP]))}));
    for (const gensim::DciCall& call : CallsOf("XR_Perspec"))
        EXPECT_EQ(std::vector<double>(call.args.begin() + 3, call.args.end()), (std::vector<double>{-200, 0, 0}));
    EXPECT_TRUE(Dci().liveBlocks().empty());

    // On the screen: the last square in red over black (the table's black is
    // not pixel 0), whatever points the card's projection gave.
    const int cx = static_cast<int>(context.words[RCC_CENTERLEFT]);
    const int cy = static_cast<int>(context.words[RCC_CENTERTOP]);
    std::vector<drawing::Point> last;
    for (const Point& p : steps.back().points)
        last.push_back({p.x, p.y});
    for (int y = -60; y <= 60; ++y)
        for (int x = -60; x <= 60; ++x)
            ASSERT_EQ(Dci().pixel(cx + x, cy + y),
                      demoscreens::SquareByte(last, x, y, context.words[RCC_RED], context.words[RCC_BLACK]))
                << x << "," << y;
}

// --- Colour tables that lack colours --------------------------------------------------------

// A selector whose low half is 0 selects a table of the plain colour names
// only: the words of the numbered ones read 0 in the caller's context, which
// is what it tests before drawing the parts that need them.
TEST_P(DciDemonstrations, ATableLackingAColourLeavesItsWordZero)
{
    struct Row {
        uint32_t selector;
        bool lacksNumbered;
    };
    const Row rows[] = {{0x10004, false}, {0x71384, false}, {0x8B0000, true}, {0x10000, true}, {0x384, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.selector);
        XR_SetLut(row.selector);
        const RemoteCallContext afterLut = context;
        ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 1), 1);
        for (int k = 0; k < drawing::kNamedColours; ++k) {
            const std::string_view name = gensim::colourName(k);
            const bool numbered = name.back() >= '0' && name.back() <= '9';
            const uint32_t word = context.words[k];
            EXPECT_EQ(word == 0, row.lacksNumbered && numbered) << name;
            EXPECT_EQ(word, drawing::tableColour(k, row.selector)) << name;
            EXPECT_EQ(afterLut.words[k], word) << name;
        }
        EXPECT_EQ(context.words[RCC_GRAY50] == 0, row.lacksNumbered);
        EXPECT_EQ(context.words[RCC_CYAN50] == 0, row.lacksNumbered);
        EXPECT_NE(context.words[RCC_RED], 0u);
        EXPECT_NE(context.words[RCC_WHITE], 0u);
        // By name the table gives 0 as well, and colour 1 stays.
        XR_Transparent(context.words[RCC_WHITE]);
        EXPECT_EQ(XR_SetColorNamed("gray50"), context.words[RCC_GRAY50]);
        XR_FillRect(1, 1, 5, 5);
        EXPECT_EQ(Dci().pixel(5, 5),
                  static_cast<uint8_t>(row.lacksNumbered ? context.words[RCC_WHITE] : context.words[RCC_GRAY50]));
    }
}

// A caller that skips what lacks its colours, as the test pattern's colour
// columns do: with the numbered colours gone only the full-level column is
// drawn.
TEST_P(DciDemonstrations, AColumnWhoseColoursTheTableLacksIsSkipped)
{
    auto columns = [&] {
        XR_BlackFillVuport();
        const int full[6] = {RCC_RED, RCC_GREEN, RCC_BLUE, RCC_CYAN, RCC_MAGENTA, RCC_YELLOW};
        const int half[6] = {RCC_RED50, RCC_GREEN50, RCC_BLUE50, RCC_CYAN50, RCC_MAGENTA50, RCC_YELLOW50};
        int drawn = 0;
        for (const int* column : {full, half}) {
            bool all = true;
            for (int i = 0; i < 6; ++i)
                all = all && context.words[column[i]] != 0;
            if (!all)
                continue;
            for (int i = 0; i < 6; ++i) {
                XR_Transparent(context.words[column[i]]);
                XR_FillRect(10, 10, 20 * drawn, 10 * i);
            }
            ++drawn;
        }
        return drawn;
    };
    XR_SetLut(0x10004);
    EXPECT_EQ(columns(), 2);
    EXPECT_EQ(Dci().pixel(25, 5), static_cast<uint8_t>(context.words[RCC_RED50]));
    XR_SetLut(0x8B0000);
    Dci().clearLog();
    EXPECT_EQ(columns(), 1);
    EXPECT_EQ(Dci().pixel(5, 55), static_cast<uint8_t>(context.words[RCC_YELLOW]));
    EXPECT_EQ(Dci().pixel(25, 5), static_cast<uint8_t>(context.words[RCC_BLACK]));
    EXPECT_EQ(CallsOf("XR_FillRect").size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(Dci, DciDemonstrations, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
