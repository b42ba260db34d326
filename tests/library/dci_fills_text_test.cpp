// The fill, pattern, font and number-text members that stage more than a
// text, by the simulator's call log and heap: what each stages and sends,
// the order of its releases, the font image that stays, and the caller's
// buffers (counts, indexes and headers refused, out always ended).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "DciFixture.h"
#include "ScopedTimeScale.h"
#include "dci/Dci.h"
#include "gensim/IsaCard.h"
#include "gensim/PciCard.h"

namespace {

using dcitest::DciBoundCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace dci = morvane::dci;

uint32_t FillsWord(double arg)
{
    return static_cast<uint32_t>(static_cast<int64_t>(arg));
}

std::vector<uint32_t> FillsWords(const gensim::DciCall& call)
{
    std::vector<uint32_t> words;
    for (double a : call.args)
        words.push_back(FillsWord(a));
    return words;
}

std::string FillsInt16(std::initializer_list<int16_t> values)
{
    std::string bytes;
    for (int16_t v : values) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    }
    return bytes;
}

std::string FillsInt32(std::initializer_list<int32_t> values)
{
    std::string bytes;
    for (int32_t v : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((v >> shift) & 0xFF);
    return bytes;
}

class DciFillsText : public DciBoundCardTest {
protected:
    // Fills the start of the card's staging heap with byte, so a buffer read
    // back from memory the card never wrote shows it.
    void DirtyHeap(uint8_t byte, uint32_t bytes = 256)
    {
        if (Isa()) {
            for (uint32_t i = 0; i < bytes / 2; ++i)
                sim.driverEndpoint()->isaCard(0)->setWord(gensim::IsaCard::kHeapFirst + 16 * i,
                                                          static_cast<uint16_t>(byte * 0x0101));
        } else {
            for (uint32_t i = 0; i < bytes / 4; ++i)
                sim.driverEndpoint()->pciCard(0)->setWord(gensim::PciCard::kHeapFirst + 4 * i, byte * 0x01010101u);
        }
    }
};

// The members and limits that exist on ISA only.
class DciFillsTextIsa : public DciFillsText {};

// --- Convex polygons -------------------------------------------------------------------

// Index (2, 0, 1) over A, B, C: the card gets C, A, B and the indexes 0, 1, 2.
TEST_P(DciFillsText, AConvexPolygonIsGatheredInDrawingOrder)
{
    using Fill = int32_t (*)(int32_t, const int32_t*, const Point*);
    const struct {
        const char* name;
        Fill fill;
    } rows[] = {{"XR_FillConvex", XR_FillConvex}, {"XR_PatnFillConvex", XR_PatnFillConvex}};
    const std::vector<Point> points = {{1, 2}, {3, -4}, {500, 6}};
    const std::vector<int32_t> index = {2, 0, 1};
    for (const auto& row : rows) {
        Dci().clearLog();
        const int32_t result = row.fill(3, index.data(), points.data());
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", row.name, "Release", "Release"}));
        const std::vector<gensim::DciCall> calls = Dci().log();
        // ISA answers the card's result; PCI reads none back.
        EXPECT_EQ(result, Isa() ? int32_t(calls[2].result) : 0) << row.name;
        EXPECT_EQ(calls[0].args, std::vector<double>{Isa() ? 6.0 : 12.0});
        EXPECT_EQ(calls[1].args, std::vector<double>{12});
        EXPECT_EQ(FillsWords(calls[2]), (std::vector<uint32_t>{3, calls[0].result, calls[1].result}));
        const std::string identity = Isa() ? FillsInt16({0, 1, 2}) : FillsInt32({0, 1, 2});
        EXPECT_EQ(calls[2].staged, (std::vector<std::string>{identity, FillsInt16({500, 6, 1, 2, 3, -4})}));
        // The points first, then the index list.
        EXPECT_EQ(FillsWord(calls[3].args.at(0)), calls[1].result);
        EXPECT_EQ(FillsWord(calls[4].args.at(0)), calls[0].result);
        EXPECT_TRUE(Dci().liveBlocks().empty());
    }
}

// The card's answer is the ISA result; PCI reads none.
TEST_P(DciFillsText, AConvexFillReturnsTheCallsResultOnIsaOnly)
{
    const std::vector<Point> points = {{0, 0}, {10, 0}, {0, 10}};
    const std::vector<int32_t> index = {0, 1, 2};
    const int32_t result = XR_FillConvex(3, index.data(), points.data());
    EXPECT_EQ(result, Isa() ? static_cast<int32_t>(Dci().log().at(2).result) : 0);
}

TEST_P(DciFillsText, ConvexCountsIndexesAndArraysOutsideTheirRangeMakeNoCall)
{
    const std::vector<Point> points(3, Point{1, 1});
    const std::vector<int32_t> good = {0, 1, 2};
    const std::vector<int32_t> negative = {0, -1, 2};
    const struct {
        const char* name;
        int32_t n;
        const int32_t* index;
        const Point* points;
    } rows[] = {
        {"n below 0", -1, good.data(), points.data()},
        {"n above 32767", 32768, good.data(), points.data()},
        {"most negative n", INT32_MIN, good.data(), points.data()},
        {"negative index", 3, negative.data(), points.data()},
        {"no index", 3, nullptr, points.data()},
        {"no points", 3, good.data(), nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(XR_FillConvex(row.n, row.index, row.points), 0) << row.name;
        EXPECT_EQ(XR_PatnFillConvex(row.n, row.index, row.points), 0) << row.name;
        EXPECT_TRUE(Dci().log().empty()) << row.name;
    }
}

TEST_P(DciFillsText, AConvexStagingFailingReleasesWhatWasStaged)
{
    const std::vector<Point> points = {{0, 0}, {10, 0}, {0, 10}};
    const std::vector<int32_t> index = {0, 1, 2};
    Dci().setFaults({.failAllocation = 2});
    EXPECT_EQ(XR_FillConvex(3, index.data(), points.data()), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release"}));
    EXPECT_TRUE(Dci().liveBlocks().empty());
    Dci().clearLog();
    Dci().setFaults({.failAllocation = 1});
    EXPECT_EQ(XR_PatnFillConvex(3, index.data(), points.data()), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"});
    EXPECT_TRUE(Dci().badFrees().empty());
}

// --- Seed and boundary fills --------------------------------------------------------------

// p3 never reaches the card: the work space's address takes its place.
TEST_P(DciFillsText, SeedAndBoundaryFillsPassTheirWorkSpaceInTheThirdPlace)
{
    const struct {
        const char* name;
        int32_t (*run)();
        std::vector<uint32_t> before;  // the arguments up to the work space
        std::vector<uint32_t> after;
    } rows[] = {
        {"XR_SeedFill", [] { return XR_SeedFill(10, -20, 999, 64); }, {10, static_cast<uint32_t>(-20)}, {64}},
        {"XR_SeedPatnFill", [] { return XR_SeedPatnFill(1, 2, 999, 0); }, {1, 2}, {0}},
        {"XR_BoundFill", [] { return XR_BoundFill(3, 4, 999, 100, 0x01020304); }, {3, 4}, {100, 0x01020304}},
        {"XR_BoundPatnFill", [] { return XR_BoundPatnFill(5, 6, 999, 2, 0xFFFFFFFF); }, {5, 6}, {2, 0xFFFFFFFF}},
    };
    for (const auto& row : rows) {
        Dci().clearLog();
        if (!Isa()) {
            EXPECT_EQ(row.run(), 0x40000) << row.name;
            EXPECT_TRUE(Dci().log().empty()) << row.name;
            continue;
        }
        EXPECT_EQ(row.run(), 0) << row.name;
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", row.name, "Release"})) << row.name;
        const std::vector<gensim::DciCall> calls = Dci().log();
        EXPECT_EQ(calls[0].args, std::vector<double>{static_cast<double>(row.after.front())}) << row.name;
        std::vector<uint32_t> sent = row.before;
        sent.push_back(calls[0].result);
        sent.insert(sent.end(), row.after.begin(), row.after.end());
        EXPECT_EQ(FillsWords(calls[1]), sent) << row.name;
        EXPECT_EQ(FillsWord(calls[2].args.at(0)), calls[0].result) << row.name;
        EXPECT_TRUE(Dci().liveBlocks().empty()) << row.name;
    }
}

TEST_P(DciFillsTextIsa, AWorkSpaceThatCannotBeHadEndsTheFill)
{
    Dci().setFaults({.failAllocation = 1});
    EXPECT_EQ(XR_SeedFill(1, 2, 3, 0), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"});
    Dci().clearLog();
    EXPECT_EQ(XR_BoundFill(1, 2, 3, -1, 5), 0);
    EXPECT_EQ(XR_SeedPatnFill(1, 2, 3, (16 << 20) + 1), 0);
    EXPECT_TRUE(Dci().log().empty());
}

// --- Patterns -------------------------------------------------------------------------------

TEST_P(DciFillsText, APatternIsStagedAsItsSixteenWords)
{
    PatternImage pattern{};
    for (int i = 0; i < 16; ++i)
        pattern.rows[i] = static_cast<uint16_t>(0x0101 * i + 0x8000);
    const int32_t result = XR_InstallPatn(7, &pattern);
    if (!Isa()) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(Dci().log().empty());
        return;
    }
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_InstallPatn", "Release"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    EXPECT_EQ(calls[0].args, std::vector<double>{32});
    EXPECT_EQ(FillsWords(calls[1]), (std::vector<uint32_t>{7, calls[0].result}));
    EXPECT_EQ(calls[1].staged, std::vector<std::string>{std::string(reinterpret_cast<const char*>(pattern.rows), 32)});
    EXPECT_EQ(result, static_cast<int32_t>(calls[1].result));
    EXPECT_TRUE(Dci().liveBlocks().empty());
    Dci().clearLog();
    EXPECT_EQ(XR_InstallPatn(1, nullptr), 0);
    EXPECT_TRUE(Dci().log().empty());
}

// --- Box measurements ----------------------------------------------------------------------

// The slots are read back as the card left them: ISA 16-bit and signed
// (0xFFFF is -1), PCI 32-bit. The release's result.
TEST_P(DciFillsText, BoxesReadTheirTwoSlotsBack)
{
    DirtyHeap(0xFF);
    int32_t out[4] = {0x5A5A5A5A, 7, 7, 0x5A5A5A5A};
    const int32_t result = XR_Boxes(&out[1], &out[2], 3, -4);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_Boxes", "Release"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    const uint32_t slot = calls[0].result;
    EXPECT_EQ(calls[0].args, std::vector<double>{Isa() ? 4.0 : 8.0});
    EXPECT_EQ(FillsWords(calls[1]),
              (std::vector<uint32_t>{slot, slot + (Isa() ? 16u : 4u), 3, static_cast<uint32_t>(-4)}));
    const std::string slots = calls[1].staged.at(0);
    if (Isa()) {
        int16_t first = 0;
        int16_t second = 0;
        std::memcpy(&first, slots.data(), 2);
        std::memcpy(&second, slots.data() + 2, 2);
        EXPECT_EQ(out[1], first);
        EXPECT_EQ(out[2], second);
        EXPECT_EQ(result, 0);
    } else {
        int32_t first = 0;
        int32_t second = 0;
        std::memcpy(&first, slots.data(), 4);
        std::memcpy(&second, slots.data() + 4, 4);
        EXPECT_EQ(out[1], first);
        EXPECT_EQ(out[2], second);
        EXPECT_EQ(result, 1);
    }
    EXPECT_EQ(out[0], 0x5A5A5A5A);
    EXPECT_EQ(out[3], 0x5A5A5A5A);
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

// A slot the card left at 0xFFFF reads as -1 on ISA.
TEST_P(DciFillsTextIsa, AnIsaSlotIsSignExtended)
{
    DirtyHeap(0xFF);
    int32_t first = 0;
    int32_t second = 0;
    XR_Boxes(&first, &second, 0, 0);
    ASSERT_EQ(Dci().log().at(1).staged.at(0), std::string(4, '\xFF'));
    EXPECT_EQ(first, -1);
    EXPECT_EQ(second, -1);
}

TEST_P(DciFillsText, BoxesWithoutBothOutsOrStagingMakeNoCall)
{
    int32_t out = 7;
    EXPECT_EQ(XR_Boxes(nullptr, &out, 1, 2), 0);
    EXPECT_EQ(XR_Boxes(&out, nullptr, 1, 2), 0);
    EXPECT_TRUE(Dci().log().empty());
    Dci().setFaults({.failAllocation = 1});
    int32_t first = 7;
    int32_t second = 7;
    EXPECT_EQ(XR_Boxes(&first, &second, 1, 2), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"});
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
}

// --- Fonts ------------------------------------------------------------------------------------

// A header whose words 1, 2, 7 and 12 give the image's length.
std::vector<uint16_t> FillsFont(uint16_t first, uint16_t last, uint16_t word7, uint16_t word12, std::size_t words)
{
    std::vector<uint16_t> font(words);
    for (std::size_t i = 0; i < words; ++i)
        font[i] = static_cast<uint16_t>(0x1000 + i);
    font[1] = first;
    font[2] = last;
    font[7] = word7;
    font[12] = word12;
    return font;
}

// 3 x 2 + (34 - 32) x 2 + 19 = 29 words; the copy stays on the card, and a
// second install stages a second one.
TEST_P(DciFillsText, AnInstalledFontStaysStaged)
{
    const std::vector<uint16_t> font = FillsFont(32, 34, 2, 3, 29);
    const int32_t result = XR_InstallFont(4, font.data());
    if (!Isa()) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(Dci().log().empty());
        return;
    }
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_InstallFont"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    EXPECT_EQ(calls[0].args, std::vector<double>{58});
    EXPECT_EQ(FillsWords(calls[1]), (std::vector<uint32_t>{4, calls[0].result}));
    EXPECT_EQ(calls[1].staged, std::vector<std::string>{std::string(reinterpret_cast<const char*>(font.data()), 58)});
    EXPECT_EQ(result, static_cast<int32_t>(calls[1].result));
    XR_InstallFont(5, font.data());
    const std::map<uint32_t, uint32_t> live = Dci().liveBlocks();
    EXPECT_EQ(live.size(), 2u);
    EXPECT_EQ(live.at(calls[0].result), 58u);
    EXPECT_EQ(live.at(Dci().log().at(2).result), 58u);
    EXPECT_TRUE(Dci().badFrees().empty());
}

// The length is worked out in 64 bits: 0xFFFF x 0xFFFF + 0xFFFF x 2 + 19
// comes to 18 words in 32.
TEST_P(DciFillsTextIsa, FontHeadersOutsideTheirRangeStageNothing)
{
    const std::vector<uint16_t> backwards = FillsFont(40, 39, 1, 1, 64);
    const std::vector<uint16_t> wraps = FillsFont(0, 0xFFFF, 0xFFFF, 0xFFFF, 64);
    // 16 x 65534 + 7 x 2 + 19: 1 Mi words and one.
    const std::vector<uint16_t> over = FillsFont(0, 7, 16, 65534, 64);
    EXPECT_EQ(XR_InstallFont(1, backwards.data()), 0);
    EXPECT_EQ(XR_InstallFont(1, wraps.data()), 0);
    EXPECT_EQ(XR_InstallFont(1, over.data()), 0);
    EXPECT_EQ(XR_InstallFont(1, nullptr), 0);
    EXPECT_TRUE(Dci().log().empty());
}

// 31 x 33823 + 22 x 2 + 19: exactly 1 Mi words is asked for (the card has
// not the room for it).
TEST_P(DciFillsTextIsa, AFontOfTheMostWordsIsAskedFor)
{
    const std::vector<uint16_t> font = FillsFont(0, 22, 31, 33823, std::size_t{1} << 20);
    EXPECT_EQ(XR_InstallFont(1, font.data()), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"});
    EXPECT_EQ(Dci().log().at(0).args, std::vector<double>{2.0 * (1 << 20)});
}

// --- Number text ----------------------------------------------------------------------------

// out with guard bytes on both sides.
struct FillsOut {
    char bytes[48];
    FillsOut() { std::memset(bytes, 0x5A, sizeof bytes); }
    char* out() { return bytes + 4; }
    bool GuardsKept() const
    {
        for (int i : {0, 1, 2, 3, 44, 45, 46, 47})
            if (bytes[i] != 0x5A)
                return false;
        return true;
    }
    bool Empty() const
    {
        for (int i = 4; i < 44; ++i)
            if (bytes[i] != 0)
                return false;
        return true;
    }
};

// ISA formats into the 40-byte area and out gets it, ended at out[39] even
// when the card left no NUL there. Release: the area, then the format.
TEST_P(DciFillsText, NumbersAreFormattedOnIsaAndEndedWhateverTheCardLeft)
{
    const struct {
        const char* name;
        int32_t (*run)(char* out);
        double value;
        int32_t a, b;
        const char* format;
    } rows[] = {
        {"XR_itoaf", [](char* out) { return XR_itoaf(0xFFFFFFFE, out, 5, -2, "%d"); }, 4294967294.0, 5, -2, "%d"},
        {"XR_ftoa", [](char* out) { return XR_ftoa(2.5, out, 7, 3, "%f"); }, 2.5, 7, 3, "%f"},
    };
    for (const auto& row : rows) {
        Dci().clearLog();
        DirtyHeap('A');
        FillsOut buffer;
        const int32_t result = row.run(buffer.out());
        EXPECT_TRUE(buffer.GuardsKept()) << row.name;
        if (!Isa()) {
            EXPECT_EQ(result, 0) << row.name;
            EXPECT_TRUE(buffer.Empty()) << row.name;
            EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release", "Release"})) << row.name;
            EXPECT_TRUE(Dci().liveBlocks().empty()) << row.name;
            continue;
        }
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", row.name, "Release", "Release"}))
            << row.name;
        const std::vector<gensim::DciCall> calls = Dci().log();
        EXPECT_EQ(calls[0].args, std::vector<double>{3}) << row.name;
        EXPECT_EQ(calls[1].args, std::vector<double>{40}) << row.name;
        const gensim::DciCall& call = calls[2];
        ASSERT_EQ(call.args.size(), 5u) << row.name;
        EXPECT_EQ(call.args[0], row.value) << row.name;
        EXPECT_EQ(FillsWord(call.args[1]), calls[1].result) << row.name;
        EXPECT_EQ(call.args[2], row.a) << row.name;
        EXPECT_EQ(call.args[3], row.b) << row.name;
        EXPECT_EQ(FillsWord(call.args[4]), calls[0].result) << row.name;
        ASSERT_EQ(call.staged.size(), 2u) << row.name;
        EXPECT_EQ(call.staged[1], std::string(row.format, 3)) << row.name;
        const std::string area = call.staged[0];
        ASSERT_EQ(area.size(), 40u) << row.name;
        ASSERT_NE(area[39], '\0') << row.name << ": the card left its last byte set";
        EXPECT_EQ(std::string(buffer.out(), 39), area.substr(0, 39)) << row.name;
        EXPECT_EQ(buffer.out()[39], '\0') << row.name;
        EXPECT_EQ(result, static_cast<int32_t>(call.result)) << row.name;
        EXPECT_EQ(FillsWord(calls[3].args.at(0)), calls[1].result) << row.name;
        EXPECT_EQ(FillsWord(calls[4].args.at(0)), calls[0].result) << row.name;
        EXPECT_TRUE(Dci().liveBlocks().empty()) << row.name;
    }
}

TEST_P(DciFillsText, NumberTextWithoutItsBuffersOrStagingIsEmpty)
{
    FillsOut buffer;
    EXPECT_EQ(XR_itoaf(1, buffer.out(), 0, 0, nullptr), 0);
    EXPECT_TRUE(buffer.Empty());
    EXPECT_EQ(XR_ftoa(1.0, nullptr, 0, 0, "%f"), 0);
    EXPECT_TRUE(Dci().log().empty());
    Dci().setFaults({.failAllocation = 2});
    FillsOut second;
    EXPECT_EQ(XR_ftoa(1.0, second.out(), 0, 0, "%f"), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release"}));
    EXPECT_TRUE(second.Empty());
    EXPECT_TRUE(second.GuardsKept());
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

// A card that never finishes: 10007, and out empty rather than stale.
TEST_P(DciFillsText, NumberTextFromACardThatNeverFinishesIsEmpty)
{
    Dci().setFaults({.callNeverFinishes = true});
    FillsOut buffer;
    {
        ScopedTimeScale fast("0.02");
        EXPECT_EQ(XR_itoaf(12, buffer.out(), 0, 0, "%d"), 0);
    }
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_TRUE(buffer.Empty());
    EXPECT_TRUE(buffer.GuardsKept());
}

INSTANTIATE_TEST_SUITE_P(Dci, DciFillsText, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Dci, DciFillsTextIsa, ::testing::Values(kIsa),
                         [](const auto& info) { return std::string(info.param.name); });

// Another port: the rows' own answers, and no call.
TEST(DciFillsTextElsewhere, AnotherPortGetsItsRowsAnswer)
{
    dci::Bound() = dci::Binding{};
    dci::Bound().port = MORVANE_PORT_COM | 1;
    int32_t a = 7;
    int32_t b = 7;
    EXPECT_EQ(XR_Boxes(&a, &b, 1, 2), static_cast<int32_t>(MORVANE_PORT_COM));
    EXPECT_EQ(XR_SeedFill(1, 2, 3, 4), static_cast<int32_t>(MORVANE_PORT_COM));
    EXPECT_EQ(XR_BoundPatnFill(1, 2, 3, 4, 5), static_cast<int32_t>(MORVANE_PORT_COM));
    EXPECT_EQ(XR_InstallPatn(1, nullptr), 0);
    const Point p{0, 0};
    const int32_t i = 0;
    EXPECT_EQ(XR_FillConvex(1, &i, &p), 0);
    char out[40];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(XR_itoaf(1, out, 0, 0, "%d"), 0);
    EXPECT_EQ(std::string(out, 40), std::string(40, '\0'));
    dci::Bound() = dci::Binding{};
}

}  // namespace
