// The demonstration table on isa0 and pci1: its rows as the table reads, the
// calls each row makes on the card in order of first use, the rows given
// whole against screens this test computes, animated rows stopped, and the
// loops bounded by what a card answers.

#include "DemonstrationCards.h"
#include "DemonstrationColumns.h"
#include "DemonstrationScreens.h"
#include "DemonstrationTable.h"
#include "RoutineStop.h"
#include "ScopedTimeScale.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace demotest {
namespace {

// The direct-call table's rows: host-side work, or the card paths each has.
struct CallPaths {
    bool host = false;
    bool pci = true;
};

std::map<std::string, CallPaths> DirectCallPaths()
{
    std::map<std::string, CallPaths> rows;
    std::ifstream table(MORVANE_DCI_TABLE);
    std::string line;
    while (std::getline(table, line)) {
        if (line.rfind("DCI", 0) != 0)
            continue;
        const std::size_t first = line.find(", ") + 2;
        CallPaths paths;
        paths.host = line.rfind("DCI_HOST", 0) == 0;
        // ISA call, ISA types, ISA result kind, PCI function (-1: none).
        static const std::regex kPaths(R"(\), (\d+), ("[^"]*"|nullptr), (\d+), (-?\d+), )");
        std::smatch match;
        if (!paths.host && std::regex_search(line, match, kPaths))
            paths.pci = match[4] != "-1";
        rows[line.substr(first, line.find(',', first) - first)] = paths;
    }
    return rows;
}

// The host-side names that are card calls under another name.
const std::map<std::string, std::string> kAliases = {
    {"XR_WipeActive", "XR_GroundFillVuport"},
    {"XR_ZeroActive", "XR_BlackFillVuport"},
    {"XR_FillActive", "XR_ColorFillVuport"},
};

// The rows whose screens differ between the cards: they make ISA-only calls.
const std::set<int> kIsaOnlyRows = {27, 35, 98, 100, 104, 105, 107, 108, 109, 110};

// Where the small fixed figures of the rows without text lie: nothing
// outside is drawn (x, y, width, height).
struct FigureBox {
    int x, y, width, height;
};
const std::map<int, FigureBox> kFigureBoxes = {
    {5, {100, 100, 300, 100}},  {6, {150, 100, 201, 201}},  {9, {100, 100, 200, 120}},  {10, {100, 100, 200, 120}},
    {11, {100, 100, 197, 99}},  {12, {100, 100, 201, 101}}, {13, {100, 100, 200, 120}}, {14, {100, 100, 201, 201}},
    {22, {100, 100, 240, 160}}, {29, {100, 100, 200, 120}}, {30, {100, 100, 200, 120}}, {31, {100, 100, 201, 201}},
    {32, {110, 100, 181, 181}}, {36, {100, 100, 301, 151}}, {39, {100, 100, 350, 150}}, {40, {60, 150, 461, 151}},
    {41, {100, 100, 200, 120}}, {42, {110, 100, 381, 181}}, {43, {100, 100, 200, 160}}, {44, {100, 100, 200, 160}},
    {45, {100, 100, 200, 160}}, {46, {100, 100, 200, 160}}, {47, {100, 100, 390, 200}}, {48, {100, 100, 200, 160}},
    {52, {100, 100, 200, 160}}, {54, {100, 100, 200, 160}}, {55, {100, 100, 200, 160}}, {56, {100, 100, 390, 200}},
    {57, {100, 100, 390, 200}}, {58, {100, 100, 390, 200}}, {60, {0, 240, 433, 1}},     {61, {320, 0, 1, 433}},
    {62, {100, 100, 160, 160}}, {63, {100, 100, 160, 160}}, {64, {0, 240, 433, 1}},     {65, {320, 0, 1, 433}},
    {88, {239, 159, 161, 161}}, {89, {0, 0, 200, 150}},     {94, {100, 100, 200, 160}}, {95, {100, 120, 245, 135}},
    {96, {0, 0, 280, 210}},     {99, {40, 100, 550, 60}},   {106, {130, 150, 219, 8}},  {111, {100, 100, 206, 124}},
    {112, {100, 100, 212, 132}}, {113, {100, 120, 251, 141}}, {114, {100, 150, 176, 32}}, {117, {100, 100, 200, 160}},
};

std::vector<std::string> FirstUse(const std::vector<std::string>& names)
{
    std::vector<std::string> order;
    for (const std::string& name : names)
        if (std::find(order.begin(), order.end(), name) == order.end())
            order.push_back(name);
    return order;
}

// What the card sees of a row's column on one card.
std::vector<std::string> ExpectedCardOrder(const DemonstrationColumn& column, bool isa,
                                           const std::map<std::string, CallPaths>& paths)
{
    std::vector<std::string> names = {"XR_SetLut"};
    if (column.clears)
        names.push_back("XR_BlackFillVuport");
    for (const std::string call : column.calls) {
        if (call == "DiagnosticsKeepRunning")
            continue;
        std::string name = kAliases.count(call) ? kAliases.at(call) : call;
        const CallPaths& p = paths.at(name);
        if (p.host)
            continue;
        if (!isa && !p.pci)
            name = name == "XR_WaitFrames" ? "XR_WaitFrame" : "";
        if (!name.empty())
            names.push_back(name);
    }
    return FirstUse(names);
}

class DemonstrationRowsSimTest : public DemonstrationCardTest {
protected:
    void SetUp() override
    {
        DemonstrationCardTest::SetUp();
        for (const bool isa : {true, false})
            Dci(isa).setFrameRate(20000);
    }
    void TearDown() override
    {
        SetDiagnosticsStop(nullptr);
        for (const bool isa : {true, false})
            Dci(isa).setCallObserver({});
        DemonstrationCardTest::TearDown();
    }
    // Runs the table's row (index in the method list) on a card with its log
    // cleared after the binding; an animated row is stopped once the card
    // has paced `paces` steps (a frame or scan wait).
    void RunRow(bool isa, std::size_t index, int paces = 4)
    {
        const DemonstrationRow& row = DiagnosticsMethods()[index];
        gensim::CardDci& dci = Dci(isa);
        RoutineStop stop;
        auto counted = std::make_shared<std::atomic<int>>(0);
        dci.setCallObserver([&stop, counted, paces](const gensim::DciCall& call) {
            const bool pace = call.name == "XR_WaitFrames" || call.name == "XR_WaitScan" ||
                              (call.name == "XR_WaitFrame" && !call.args.empty() && call.args[0] != 0);
            if (pace && ++*counted >= paces)
                stop.Request();
        });
        SetDiagnosticsStop(&stop);
        ASSERT_TRUE(RunOn(isa, [&](ToolLibrary& lib) {
            dci.clearLog();
            row.routine(lib);
        }));
        SetDiagnosticsStop(nullptr);
        dci.setCallObserver({});
    }
    std::vector<std::string> CardOrder(bool isa)
    {
        std::vector<std::string> names;
        for (const gensim::DciCall& call : Dci(isa).log())
            if (call.name != "Allocate" && call.name != "Release")
                names.push_back(call.name);
        return FirstUse(names);
    }
    std::vector<gensim::DciCall> CallsOf(bool isa, std::string_view name)
    {
        std::vector<gensim::DciCall> calls;
        for (const gensim::DciCall& call : Dci(isa).log())
            if (call.name == name)
                calls.push_back(call);
        return calls;
    }
    std::vector<uint8_t> Screen(bool isa) { return Dci(isa).screenBytes(); }
    // The method list's index of a demonstration-table row.
    static std::size_t Index(int row) { return static_cast<std::size_t>(row) + 1; }
    static uint32_t Word(RemoteCallWord w) { return DiagnosticsWord(w); }
};

TEST(DemonstrationTable, ListsSmpte133ThenTheTablesRowsWithTheirNamesAndFlags)
{
    const std::span<const DemonstrationRow> methods = DiagnosticsMethods();
    const std::vector<DemonstrationColumn>& columns = DemonstrationColumns();
    ASSERT_EQ(columns.size(), 118u);
    ASSERT_EQ(methods.size(), 119u);
    EXPECT_STREQ(methods[0].name, "Smpte133");
    EXPECT_FALSE(methods[0].animated);
    std::set<DemonstrationRoutine> routines;
    for (const DemonstrationColumn& column : columns) {
        const DemonstrationRow& row = methods[static_cast<std::size_t>(column.row) + 1];
        EXPECT_STREQ(row.name, column.name) << column.row;
        EXPECT_EQ(row.animated, column.animated) << column.name;
        EXPECT_NE(row.routine, nullptr) << column.name;
        routines.insert(row.routine);
    }
    // GetFirstCh and GetLastCh share theirs; every other row has its own.
    EXPECT_EQ(methods[4].routine, methods[5].routine);
    EXPECT_EQ(routines.size(), 117u);
    EXPECT_EQ(routines.count(methods[0].routine), 0u);
}

TEST_F(DemonstrationRowsSimTest, EveryRowMakesItsCallsInOrderOfFirstUseAndDrawsAlikeOnBothCards)
{
    const std::map<std::string, CallPaths> paths = DirectCallPaths();
    ASSERT_GT(paths.size(), 200u);
    ASSERT_FALSE(paths.at("XR_WaitFrames").pci);
    ASSERT_TRUE(paths.at("XR_WaitFrame").pci);
    ASSERT_TRUE(paths.at("XR_ResetMatrix").host);
    for (const DemonstrationColumn& column : DemonstrationColumns()) {
        SCOPED_TRACE(std::to_string(column.row) + " " + column.name);
        std::vector<uint8_t> screens[2];
        for (const bool isa : {true, false}) {
            RunRow(isa, Index(column.row));
            EXPECT_EQ(CardOrder(isa), ExpectedCardOrder(column, isa, paths)) << (isa ? "isa0" : "pci1");
            EXPECT_EQ(Dci(isa).log().front().text(), "XR_SetLut(" + std::to_string(column.table) + ")");
            EXPECT_TRUE(Dci(isa).liveBlocks().empty());
            EXPECT_EQ(Dci(isa).currentVuport(), 0);
            EXPECT_EQ(Dci(isa).openVuports(), 1);
            screens[isa ? 0 : 1] = Screen(isa);
            const uint8_t black = static_cast<uint8_t>(Word(RCC_BLACK));
            // The cleared screen is the figure of two rows; on pci1 four
            // rows draw with ISA-only calls alone.
            const bool drawsNothing = column.row == 69 || column.row == 67 ||
                                      (!isa && column.row >= 107 && column.row <= 110);
            if (const auto box = kFigureBoxes.find(column.row); box != kFigureBoxes.end()) {
                const FigureBox& b = box->second;
                const int width = Dci(isa).width();
                int outside = 0;
                for (std::size_t i = 0; i < screens[isa ? 0 : 1].size(); ++i) {
                    const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
                    const bool in = x >= b.x && y >= b.y && x < b.x + b.width && y < b.y + b.height;
                    outside += !in && screens[isa ? 0 : 1][i] != black;
                }
                EXPECT_EQ(outside, 0) << "pixels drawn outside the figure's box";
            }
            if (!drawsNothing) {
                EXPECT_TRUE(std::any_of(screens[isa ? 0 : 1].begin(), screens[isa ? 0 : 1].end(),
                                        [&](uint8_t b) { return b != black; }))
                    << "nothing drawn";
            }
        }
        if (!kIsaOnlyRows.count(column.row)) {
            EXPECT_TRUE(screens[0] == screens[1]) << "the cards' screens differ";
        }
    }
}

// --- The rows given whole -------------------------------------------------------------------

struct Rotating {
    int32_t x, y;
    void Step(int k)
    {
        x += y >> k;
        y -= x >> k;
    }
};

TEST_F(DemonstrationRowsSimTest, TheTextRowsDrawTheirFiguresOnBothCards)
{
    struct Case {
        int row;
        std::function<void(ExpectedScreen&)> paint;
    };
    const dr::Font& big30 = BuiltInFont("BIG30");
    const dr::Font& sys16 = BuiltInFont("SYS16");
    const dr::Font& opix9 = BuiltInFont("OPIX9");
    auto hello = [&](ExpectedScreen& s, bool italic) {
        Rotating p{0, 200 << 16};
        for (int i = 0; i < 50; ++i) {
            p.Step(3);
            s.Text(opix9, "Hello world.", (p.x >> 16) + 272, (p.y >> 16) + 244, Word(RCC_WHITE), italic);
        }
    };
    const Case cases[] = {
        {0, [&](ExpectedScreen& s) {
             for (int i = 0; i < 4; ++i)
                 s.Text(big30, std::string(1, "DATA"[i]), big30.widest * (i + 1), big30.height * (i + 1), Word(RCC_WHITE));
         }},
        {1, [&](ExpectedScreen& s) {
             const char* lines[3] = {"1st line ABCDEFGHIJ 0123456789 0123456789", "2nd line ABCDEFGHIJ 0123456789 0123456789",
                                     "3rd line ABCDEFGHIJ 0123456789 0123456789"};
             for (int i = 0; i < 3; ++i)
                 s.Text(sys16, lines[i], 8, sys16.height * (i + 1), Word(RCC_WHITE));
         }},
        {3, [&](ExpectedScreen& s) {
             int x = 10, y = 100;
             for (int ch = opix9.first; ch <= opix9.last; ++ch) {
                 s.Text(opix9, std::string(1, static_cast<char>(ch)), x, y, Word(RCC_WHITE));
                 x += opix9.widest;
                 if (x > 600)
                     x = 10, y += 50;
             }
         }},
        {7, [&](ExpectedScreen& s) {
             Rotating p{0, -170 * 65536};
             for (int i = 0; i < 25; ++i) {
                 s.Text(opix9, std::string(1, static_cast<char>('A' + i)), (p.x >> 16) + 304, (p.y >> 16) + 244, Word(RCC_WHITE));
                 p.Step(3);
                 s.Text(opix9, std::string(1, static_cast<char>('a' + i)), (p.x >> 16) + 304, (p.y >> 16) + 244, Word(RCC_WHITE));
                 p.Step(3);
             }
         }},
        {23, [&](ExpectedScreen& s) { hello(s, false); }},
        {24, [&](ExpectedScreen& s) { hello(s, false); }},
        {25, [&](ExpectedScreen& s) { hello(s, true); }},
        {37, [&](ExpectedScreen& s) {
             // Opaque: every cell whole, yellow ink on cyan.
             int64_t x = 100;
             for (const char ch : std::string("Yellow text with Cyan background")) {
                 const dr::Glyph* glyph = dr::glyph(big30, static_cast<unsigned char>(ch));
                 if (glyph == nullptr)
                     continue;
                 const dr::Glyph& g = *glyph;
                 s.Box(g.width, big30.height, static_cast<int>(x), 100, Word(RCC_CYAN), [](int, int) { return true; });
                 s.Box(g.width, big30.height, static_cast<int>(x), 100, Word(RCC_YELLOW), [&](int c, int r) { return g.ink(c, r); });
                 x += g.width;
             }
         }},
        {66, [&](ExpectedScreen& s) {
             s.Fill(200, 200, 300, 300, Word(RCC_CYAN50));
             s.Text(big30, "Black", 350, 350, Word(RCC_BLACK));
         }},
    };
    for (const bool isa : {true, false})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.row) + (isa ? " on isa0" : " on pci1"));
            RunRow(isa, Index(c.row));
            ExpectedScreen expected(Dci(isa).width(), Dci(isa).height(), static_cast<uint8_t>(Word(RCC_BLACK)));
            c.paint(expected);
            EXPECT_TRUE(SameScreen(Dci(isa), expected));
        }
    // The same routine for both rows, each character once.
    RunRow(true, Index(4));
    EXPECT_EQ(CallsOf(true, "XR_DrawChar").size(), static_cast<std::size_t>(opix9.last - opix9.first + 1));
}

TEST_F(DemonstrationRowsSimTest, DrawLineTurnsItsLinesRedGreenAndBlue)
{
    for (const bool isa : {true, false}) {
        RunRow(isa, Index(8));
        ExpectedScreen s(Dci(isa).width(), Dci(isa).height(), static_cast<uint8_t>(Word(RCC_BLACK)));
        const uint32_t colours[3] = {Word(RCC_RED), Word(RCC_GREEN), Word(RCC_BLUE)};
        Rotating a{80 << 16, 280 << 16}, b{-40 * 65536, 80 << 16};
        for (int step = 0; step < 202; ++step) {
            for (const dr::Point p : dr::linePixels({(a.x >> 16) + 305, (a.y >> 16) + 222}, {(b.x >> 16) + 305, (b.y >> 16) + 222}))
                s.Set(p.x, p.y, colours[step % 3]);
            a.Step(5);
            b.Step(5);
        }
        EXPECT_TRUE(SameScreen(Dci(isa), s));
        EXPECT_EQ(CallsOf(isa, "XR_DrawLine").size(), 202u);
        SaveScreen(isa, "demonstration-drawline");
    }
}

TEST_F(DemonstrationRowsSimTest, TranspOffPutsATransparentAndAnOpaqueCopySideBySide)
{
    for (const bool isa : {true, false}) {
        RunRow(isa, Index(75));
        ExpectedScreen s(Dci(isa).width(), Dci(isa).height(), static_cast<uint8_t>(Word(RCC_BLACK)));
        const dr::Pattern& checker = dr::namedPattern(dr::patternSlot("CHECKER8"));
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 150; ++x)
                if (dr::insideFrameOval(150, 150, 35, 35, x, y))
                    s.Set(45 + x, 165 + y, dr::patternBit(checker, 45 + x, 165 + y) ? Word(RCC_WHITE) : Word(RCC_BLUE));
        s.Fill(190, 190, 225, 145, Word(RCC_RED));
        s.Fill(30, 190, 305, 145, Word(RCC_GREEN));
        s.Fill(190, 30, 225, 225, Word(RCC_GREEN));
        // Each copy reads its source whole first; no byte is 0, so the
        // transparent copy takes every one.
        auto move = [&](int w, int h, int fx, int fy, int tx, int ty) {
            const ExpectedScreen before = s;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (fx + x < s.width && fy + y < s.height)
                        s.Set(tx + x, ty + y, before.At(fx + x, fy + y));
        };
        move(200, 200, 220, 140, 420, 140);
        move(160, 160, 40, 160, 240, 160);
        move(160, 160, 40, 160, 440, 160);
        EXPECT_TRUE(SameScreen(Dci(isa), s));
        SaveScreen(isa, "demonstration-transpoff");
    }
}

TEST_F(DemonstrationRowsSimTest, EdgeBlendsAndGreenLevelsGiveTheReplayedScreens)
{
    for (const bool isa : {true, false}) {
        SCOPED_TRACE(isa ? "isa0" : "pci1");
        gensim::CardDci& dci = Dci(isa);
        const int width = dci.width();
        RunRow(isa, Index(49));
        const char* const bars[8] = {"white", "yellow", "cyan", "green", "magenta", "red", "blue", "black"};
        std::array<uint32_t, 8> colours{};
        for (std::size_t i = 0; i < 8; ++i)
            for (int k = 0; k < dr::kNamedColours; ++k)
                if (gensim::colourName(k) == bars[i])
                    colours[i] = dr::tableColour(k, 0x10004);
        ExpectedScreen edges(width, dci.height(), 0);
        for (int y = 0; y < dci.height(); ++y)
            for (int x = 0; x < width; ++x)
                edges.Set(x, y, demoscreens::EdgeBarByte(x, width, dr::kEdgeSamples, colours, Word(RCC_BLACK)));
        edges.Text(BuiltInFont("BIG30"), "no. of samples is 4", 210, 240, Word(RCC_WHITE));
        EXPECT_TRUE(SameScreen(dci, edges));
        SaveScreen(isa, "demonstration-edges");

        RunRow(isa, Index(74));
        ExpectedScreen levels(width, dci.height(), 0);
        for (int y = 0; y < dci.height(); ++y)
            for (int x = 0; x < width; ++x)
                levels.Set(x, y, demoscreens::LevelBarByte(x, width, Word(RCC_BLACK)));
        levels.Text(BuiltInFont("OPIX9"), "15", 320, 240, 15);
        EXPECT_TRUE(SameScreen(dci, levels));
        for (uint32_t i = 0; i < 16; ++i)
            EXPECT_EQ(dci.level(i), (std::array<uint32_t, 3>{0, i, 0})) << i;
    }
}

// --- Animated rows stopped ----------------------------------------------------------------

TEST_F(DemonstrationRowsSimTest, WaitFrameStoppedLeavesOnlyItsLastSquare)
{
    for (const bool isa : {true, false}) {
        SCOPED_TRACE(isa ? "isa0" : "pci1");
        RunRow(isa, Index(71), 4);
        EXPECT_EQ(CallsOf(isa, "XR_FillConvex").size(), 4u);
        // The x pass's fourth factor: x scaled, the projection at distance
        // -200 of z = 0 leaving the point where it is.
        const int32_t factor = 0x8000 + 3 * 512;
        const int32_t half = static_cast<int32_t>((int64_t{25} * factor) >> 16);
        const int32_t low = static_cast<int32_t>((int64_t{-25} * factor) >> 16);
        const std::vector<dr::Point> last = {{low, -25}, {half, -25}, {half, 25}, {low, 25}};
        const int cx = static_cast<int>(Word(RCC_CENTERLEFT)), cy = static_cast<int>(Word(RCC_CENTERTOP));
        int wrong = 0;
        for (int y = -60; y <= 60; ++y)
            for (int x = -60; x <= 60; ++x)
                wrong += Dci(isa).pixel(cx + x, cy + y) !=
                         demoscreens::SquareByte(last, x, y, Word(RCC_RED), Word(RCC_BLACK));
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(Dci(isa).currentVuport(), 0);
    }
}

TEST_F(DemonstrationRowsSimTest, SetLutStoppedEndsBeforeTheNextTableAndStillSaysDone)
{
    for (const bool isa : {true, false}) {
        SCOPED_TRACE(isa ? "isa0" : "pci1");
        RunRow(isa, Index(59), 2);
        std::vector<std::string> tables;
        for (const gensim::DciCall& call : CallsOf(isa, "XR_SetLut"))
            tables.push_back(call.text());
        // The opening, three table steps (the stop came in the second's
        // wait), then the usual table.
        EXPECT_EQ(tables, (std::vector<std::string>{"XR_SetLut(198660)", "XR_SetLut(1)", "XR_SetLut(2)", "XR_SetLut(4)",
                                                    "XR_SetLut(65540)"}));
        const std::vector<gensim::DciCall> done = CallsOf(isa, "XR_DrawString");
        ASSERT_EQ(done.size(), 1u);
        EXPECT_EQ(done[0].text().substr(0, 24), "XR_DrawString(200, 200, ");
        EXPECT_EQ(done[0].staged, std::vector<std::string>{std::string("Done!", 6)});
        EXPECT_EQ(static_cast<uint32_t>(static_cast<int64_t>(CallsOf(isa, "XR_Set_color1").back().args.at(0))),
                  Word(RCC_RED));
    }
}

TEST_F(DemonstrationRowsSimTest, SliderAnimationStoppedPutsTheDisplayAndViewportBack)
{
    for (const bool isa : {true, false}) {
        SCOPED_TRACE(isa ? "isa0" : "pci1");
        RunRow(isa, Index(77), 5);
        const gensim::CardDci::Display display = Dci(isa).display();
        EXPECT_EQ(display.frameNext, 0u);
        EXPECT_EQ(display.frameSync, 0u);
        EXPECT_EQ(display.mask, 0xFFFFFFFFu);
        EXPECT_EQ(display.delta, 1);
        EXPECT_EQ(display.start, 0);
        EXPECT_EQ(Dci(isa).currentVuport(), 0);
        EXPECT_EQ(Dci(isa).openVuports(), 1);
        // Shown in turn: masks 8 and 2, the starts sliding.
        std::vector<uint32_t> masks;
        std::vector<double> starts;
        for (const gensim::DciCall& call : CallsOf(isa, "XR_SetDisplayMask"))
            masks.push_back(static_cast<uint32_t>(static_cast<int64_t>(call.args.at(0))));
        for (const gensim::DciCall& call : CallsOf(isa, "XR_SetDisplayStart"))
            starts.push_back(call.args.at(0));
        EXPECT_EQ(masks, (std::vector<uint32_t>{8, 2, 8, 2, 8, 0xFFFFFFFFu}));
        EXPECT_EQ(starts, (std::vector<double>{0, 0, 1, 4, 2, 0}));
        // Both greens, and each pattern in its planes only.
        EXPECT_EQ(Dci(isa).level(2), (std::array<uint32_t, 3>{0, 255, 0}));
        EXPECT_EQ(Dci(isa).level(8), (std::array<uint32_t, 3>{0, 255, 0}));
        EXPECT_EQ(Dci(isa).pixel(0, 10), 0x0F);
        EXPECT_EQ(Dci(isa).pixel(10, 10), 0x03);
        EXPECT_EQ(Dci(isa).pixel(82, 10), 0x0C);
        EXPECT_EQ(Dci(isa).pixel(20, 10), 0x00);
    }
}

// A card that fails while an animation runs ends it: the row returns with
// the error.
class FailingAfterWaits : public ToolLibrary {
public:
    FailingAfterWaits(gensim::CardDci& card) : m_card(card), m_previous(InstallToolLibrary(this)) {}
    ~FailingAfterWaits() override { InstallToolLibrary(m_previous); }
    uint32_t XR_WaitFrame(uint32_t frame) override
    {
        if (frame != 0 && ++waits == 3)
            m_card.setFaults({.noAcknowledge = true});
        return ToolLibrary::XR_WaitFrame(frame);
    }
    int waits = 0;

private:
    gensim::CardDci& m_card;
    ToolLibrary* m_previous;
};

TEST_F(DemonstrationRowsSimTest, ACardFailingMidAnimationEndsTheLoop)
{
    FailingAfterWaits failing(Dci(false));
    ScopedTimeScale fast("0.02");
    int32_t error = 0;
    RoutineStop stop;
    SetDiagnosticsStop(&stop);
    ASSERT_TRUE(RunOn(false, [&](ToolLibrary& lib) {
        DiagnosticsMethods()[Index(71)].routine(lib);
        error = lib.Error();
    }));
    SetDiagnosticsStop(nullptr);
    EXPECT_FALSE(stop.Requested());
    EXPECT_EQ(failing.waits, 3);
    EXPECT_EQ(error, MORVANE_E_TIMEOUT);
    EXPECT_GE(CallsOf(false, "XR_FillConvex").size(), 2u);
    EXPECT_LE(CallsOf(false, "XR_FillConvex").size(), 3u);
}

// A card answering more characters and levels than a byte holds.
class WideAnswers : public ToolLibrary {
public:
    WideAnswers() : m_previous(InstallToolLibrary(this)) {}
    ~WideAnswers() override { InstallToolLibrary(m_previous); }
    int32_t XR_GetFirstCh() override { return -5; }
    int32_t XR_GetLastCh() override { return 65535; }
    uint32_t XR_GetLevelMax() override { return 65535; }

private:
    ToolLibrary* m_previous;
};

TEST_F(DemonstrationRowsSimTest, LoopsStopAtTheirBoundsWhateverTheCardAnswers)
{
    WideAnswers wide;
    for (const bool isa : {true, false}) {
        SCOPED_TRACE(isa ? "isa0" : "pci1");
        RunRow(isa, Index(3));
        const std::vector<gensim::DciCall> chars = CallsOf(isa, "XR_DrawChar");
        ASSERT_EQ(chars.size(), 256u);
        EXPECT_EQ(chars.front().args.at(2), 0);
        EXPECT_EQ(chars.back().args.at(2), 255);
        RunRow(isa, Index(74));
        EXPECT_EQ(CallsOf(isa, "XR_SetLevelRGB").size(), 256u);
        EXPECT_EQ(CallsOf(isa, "XR_DrawString").at(0).staged, std::vector<std::string>{std::string("255", 4)});
    }
}

} // namespace
} // namespace demotest
