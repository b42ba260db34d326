// The cards' viewports, XR_Cpw, display registers, character fills and what
// gensim shows of a card outside (screen images, the call log); and a
// routine on the card for every call the demonstrations make there.

#include "gensim/CardDci.h"
#include "gensim/CardDrawing.h"
#include "gensim/CardWatch.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/Generator.h"
#include "gensim/Simulator.h"

#include "DemonstrationColumns.h"
#include "DriverSocketPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace gensim::test {
namespace {

namespace dr = gensim::drawing;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class CardVuportsTest : public ::testing::Test {
protected:
    CardVuportsTest()
    {
        dci.setValue("width", kWidth);
        dci.setValue("height", kHeight);
        Run("XR_Set_color1", {7});
    }
    int32_t Run(std::string_view name, const std::vector<double>& args = {})
    {
        return static_cast<int32_t>(dci.run(name, args));
    }
    // The screen's bytes, row by row.
    std::vector<uint8_t> Screen() const
    {
        std::vector<uint8_t> s;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                s.push_back(dci.pixel(x, y));
        return s;
    }
    // Colour `v` where inside(x, y), else 0.
    static std::vector<uint8_t> Expected(uint8_t v, const std::function<bool(int, int)>& inside)
    {
        std::vector<uint8_t> s;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                s.push_back(inside(x, y) ? v : 0);
        return s;
    }
    static bool InRect(int x, int y, int left, int top, int width, int height)
    {
        return x >= left && y >= top && x < left + width && y < top + height;
    }

    Generator generator{GeneratorOptions{.pty = false, .isaSlot = 0}};
    std::vector<uint8_t> video = std::vector<uint8_t>(64 * kHeight);
    std::vector<uint8_t> heap = std::vector<uint8_t>(4096);
    CardDci dci{generator, "isa0", video.data(), video.size(), CardDci::Heap{0x1000, 4096, 1, 4, heap.data()}};
};

TEST_F(CardVuportsTest, AViewportKeepsItsOriginAndClipUntilSelectedAgain)
{
    EXPECT_EQ(Run("XR_CurrentVuport"), 0);
    EXPECT_EQ(Run("XR_OpenVuport"), 1);
    EXPECT_EQ(Run("XR_CurrentVuport"), 1);
    Run("XR_SetOrigin", {10, 20});
    Run("XR_SetClipRect", {8, 6, 12, 22});
    EXPECT_EQ(Run("XR_SelectVuport", {0}), 1);
    // The screen's own origin and clip.
    Run("XR_FillRect", {3, 3, 0, 0});
    EXPECT_EQ(Run("XR_SelectVuport", {1}), 1);
    Run("XR_FillRect", {100, 100, -50, -50});
    EXPECT_EQ(Screen(), Expected(7, [](int x, int y) { return InRect(x, y, 0, 0, 3, 3) || InRect(x, y, 12, 22, 8, 6); }));
    // The origin too: (2, 3) of viewport 1 is (12, 23).
    Run("XR_Set_color1", {9});
    Run("XR_DrawPoint", {2, 3});
    EXPECT_EQ(dci.pixel(12, 23), 9);
    EXPECT_EQ(dci.currentVuport(), 1);
}

TEST_F(CardVuportsTest, OpeningClosingAndRemovingFollowTheirRules)
{
    struct Step {
        const char* call;
        double arg;
        int32_t result;
        int current;
        int open;
    };
    const Step steps[] = {
        {"XR_SelectVuport", 3, 0, 0, 1},  // not open
        {"XR_OpenVuport", 0, 1, 1, 2},
        {"XR_OpenVuport", 0, 2, 2, 3},
        {"XR_CloseVuport", 0, 0, 2, 3},   // the screen stays
        {"XR_RemoveVuport", 2, 0, 2, 3},  // the current one is refused
        {"XR_RemoveVuport", 1, 1, 2, 2},
        {"XR_CloseVuport", 1, 0, 2, 2},   // closed already
        {"XR_OpenVuport", 0, 1, 1, 3},    // the lowest free number again
        {"XR_SelectVuport", 2, 1, 2, 3},
        {"XR_CloseVuport", 2, 1, 0, 2},   // closing the current one selects the screen
        {"XR_SelectVuport", 2, 0, 0, 2},
        {"XR_GetVuportMax", 0, dr::kVuports, 0, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.call) + " " + std::to_string(step.arg));
        EXPECT_EQ(Run(step.call, {step.arg}), step.result);
        EXPECT_EQ(dci.currentVuport(), step.current);
        EXPECT_EQ(dci.openVuports(), step.open);
    }
    // All taken: -1, and nothing changes.
    while (dci.openVuports() < dr::kVuports)
        Run("XR_OpenVuport");
    const int current = dci.currentVuport();
    EXPECT_EQ(Run("XR_OpenVuport"), -1);
    EXPECT_EQ(dci.currentVuport(), current);
}

TEST_F(CardVuportsTest, SizingMovingAndCopyingAViewport)
{
    Run("XR_OpenVuport");
    EXPECT_EQ(Run("XR_SizeVuport", {10, 8}), 1);
    EXPECT_EQ(Run("XR_SizeVuport", {0, 8}), 0);
    Run("XR_MoveVuport", {20, 30});
    // The origin moved with the clip: (0, 0) is its top-left.
    Run("XR_FillRect", {4, 4, 0, 0});
    Run("XR_Set_color1", {3});
    Run("XR_FillRect", {100, 1, -50, 7});
    const auto moved = [](int x, int y) {
        return InRect(x, y, 20, 30, 4, 4) ? 7 : InRect(x, y, 20, 37, 10, 1) ? 3 : 0;
    };
    std::vector<uint8_t> expected;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            expected.push_back(static_cast<uint8_t>(moved(x, y)));
    EXPECT_EQ(Screen(), expected);

    // Viewport 1's clip rectangle to the top-left of the screen's.
    EXPECT_EQ(Run("XR_CopyVuport", {1, 0}), 1);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (x < 10 && y < 8)
                expected[static_cast<std::size_t>(y * kWidth + x)] = static_cast<uint8_t>(moved(x + 20, y + 30));
    EXPECT_EQ(Screen(), expected);
    EXPECT_EQ(Run("XR_CopyVuport", {1, 5}), 0);
}

TEST_F(CardVuportsTest, CpwTellsWhereAPointLiesAgainstTheClip)
{
    Run("XR_SetOrigin", {10, 10});
    Run("XR_SetClipRect", {20, 10, 5, 5});  // screen x 5..24, y 5..14
    const struct {
        int x, y, code;
    } rows[] = {{0, 0, 0}, {-5, -5, 0}, {-6, 0, 1}, {15, 0, 2}, {14, 4, 0}, {0, -6, 4}, {0, 5, 8}, {-6, -6, 5}, {15, 5, 10}};
    for (const auto& row : rows) {
        EXPECT_EQ(Run("XR_Cpw", {double(row.x), double(row.y)}), row.code) << row.x << "," << row.y;
        EXPECT_EQ(dr::clipCode(5, 5, 20, 10, 10 + row.x, 10 + row.y), row.code);
    }
}

TEST_F(CardVuportsTest, TheDisplayRegistersMoveTheScreenShown)
{
    Run("XR_SetLevelMax", {255});
    for (uint32_t byte : {1u, 2u, 3u}) {
        Run("XR_SelectColor", {double(byte)});
        Run("XR_SetLevelRGB", {double(byte * 10), double(byte * 20), 255});
    }
    Run("XR_Set_color1", {1});
    Run("XR_FillRect", {kWidth, 1, 0, 0});
    Run("XR_Set_color1", {3});
    Run("XR_FillRect", {kWidth, 1, 0, 2});
    Run("XR_SetDisplayStart", {2});
    Run("XR_SetDisplayDelta", {1});
    Run("XR_SetVersions", {5});
    Run("XR_SetDisplayMask", {0xFD});  // 3 shows as 1
    const CardDci::Display display = dci.display();
    EXPECT_EQ(display.start, 2);
    EXPECT_EQ(display.delta, 1);
    EXPECT_EQ(display.mask, 0xFDu);
    EXPECT_EQ(dci.versions(), 5);
    const std::vector<uint8_t> rgb = dci.screenRgb();
    ASSERT_EQ(rgb.size(), std::size_t{kWidth * kHeight * 3});
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 3), (std::vector<uint8_t>{10, 20, 255}));
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin() + kWidth * 3, rgb.begin() + kWidth * 3 + 3), (std::vector<uint8_t>{0, 0, 0}));
    // Past the memory's end: black.
    Run("XR_SetDisplayStart", {kHeight});
    const std::vector<uint8_t> beyond = dci.screenRgb();
    EXPECT_EQ(std::count(beyond.begin(), beyond.end(), 0), static_cast<long>(beyond.size()));
}

TEST_F(CardVuportsTest, CharFillRectTilesTheGlyphCutToTheRectangle)
{
    Run("XR_SelectFont", {1});
    const dr::Font& font = dr::builtInFont(1);
    const dr::Glyph& a = *dr::glyph(font, 'A');
    Run("XR_Set_color0", {2});
    Run("XR_TranspOFF");
    // 40 x 20 at (3, 4), cells 12 and 15 apart from (3 - 2, 4 + 1).
    Run("XR_CharFillRect", {40, 20, 3, 4, 'A', 12, 15, -2, 1});
    const std::vector<uint8_t> expected = Expected(0, [](int, int) { return false; });
    std::vector<uint8_t> want = expected;
    for (int y = 4; y < 24; ++y)
        for (int x = 3; x < 43; ++x) {
            const int cx = (x - 1) % 12, cy = (y - 5) % 15;
            if (y < 5 || cx >= a.width || cy >= font.height)
                continue;
            want[static_cast<std::size_t>(y * kWidth + x)] = a.ink(cx, cy) ? 7 : 2;
        }
    EXPECT_EQ(Screen(), want);
    // No glyph: nothing.
    Run("XR_BlackFillVuport");
    Run("XR_CharFillRect", {40, 20, 3, 4, 1, 0, 0, 0, 0});
    EXPECT_EQ(Screen(), Expected(static_cast<uint8_t>(static_cast<uint32_t>(dci.value("black"))), [](int, int) { return true; }));
}

TEST(CardWatch, WritesEachCardsScreenAndLogsEveryCall)
{
    DriverSocketPath socket;
    Simulator sim;
    sim.openDriver(socket.path());
    sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false, .isaSlot = 0});
    sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .link = "", .pty = false, .pciCard = true});
    const std::filesystem::path dir = std::filesystem::path(socket.path()).parent_path() / "watch";
    const std::filesystem::path log = dir.parent_path() / "calls.log";
    CardDci& isa = sim.driverEndpoint()->isaCard(0)->dci();
    CardDci& pci = sim.driverEndpoint()->pciCard(0)->dci();
    {
        CardWatch watch(*sim.driverEndpoint(), dir.string(), log.string());
        isa.run("XR_Set_color1", {19});
        isa.run("XR_FillRect", {10, 10, 0, 0});
        pci.run("XR_DrawLine", {1, 2, 3, 4});
        watch.writeChangedScreens();
    }
    for (CardDci* card : {&isa, &pci}) {
        std::ifstream file(dir / (card->port() + ".ppm"), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), {});
        EXPECT_EQ(bytes, ppmImage(card->width(), card->height(), card->screenRgb())) << card->port();
        EXPECT_EQ(bytes.rfind("P6\n640 480\n255\n", 0), 0u);
    }
    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "isa0 XR_Set_color1(19)\nisa0 XR_FillRect(10, 10, 0, 0)\npci1 XR_DrawLine(1, 2, 3, 4)\n");
    // Once the watch has gone the cards log to it no more.
    isa.run("XR_DrawPoint", {1, 1});
    std::ifstream again(log);
    std::stringstream after;
    after << again.rdbuf();
    EXPECT_EQ(after.str(), text.str());
}

// The rows of the direct-call table by name: whether each is a card call
// (DCI, DCI_STAGED) or host-side work (DCI_HOST).
std::map<std::string, bool> CardCallsByName()
{
    std::map<std::string, bool> rows;
    std::ifstream table(MORVANE_DCI_TABLE);
    std::string line;
    while (std::getline(table, line)) {
        if (line.rfind("DCI", 0) != 0)
            continue;
        const std::size_t first = line.find(", ") + 2;
        rows[line.substr(first, line.find(',', first) - first)] = line.rfind("DCI_HOST", 0) != 0;
    }
    return rows;
}

TEST(CardRoutines, EveryCallTheDemonstrationsMakeOnTheCardHasARoutine)
{
    const std::map<std::string, bool> table = CardCallsByName();
    ASSERT_GT(table.size(), 200u);
    std::set<std::string> names = {
        // The test pattern's calls.
        "XR_SetVersions", "XR_Get_psize", "XR_SetLut", "XR_SelectFontNamed", "XR_SelectFont", "XR_ResetMatrix",
        "XR_TranslateX", "XR_TranslateY", "XR_TransformDX", "XR_TransformDY", "XR_TransformX", "XR_TransformY",
        "XR_SquareDX", "XR_SquareDY", "XR_FillActive", "XR_Transparent", "XR_FillRect", "XR_Opaque",
        "XR_SelectPatn", "XR_PatnFillRect", "XR_DrawRect", "XR_DrawOval", "XR_DrawString", "XR_GetWidth",
        "XR_CharHigh", "XR_GetAscent", "XR_BlackFillVuport"};
    for (const DemonstrationColumn& column : DemonstrationColumns())
        for (const char* call : column.calls)
            names.insert(call);
    names.erase("DiagnosticsKeepRunning");
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        const auto row = table.find(name);
        if (row == table.end())
            missing.push_back(name + " (not a direct call)");
        else if (row->second && !CardDci::hasRoutine(name))
            missing.push_back(name);
    }
    EXPECT_TRUE(missing.empty()) << testing::PrintToString(missing);
}

} // namespace
} // namespace gensim::test
