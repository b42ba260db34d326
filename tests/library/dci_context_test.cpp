// Preparation against the simulated cards: every context word from the
// generator's own value, the words the library leaves alone, the colour
// lists, the matrix, and the ways a preparation fails.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "DciFixture.h"
#include "ScopedTimeScale.h"
#include "dci/Dci.h"

namespace {

using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace dci = morvane::dci;

constexpr uint32_t kSentinel = 0xA5A5A5A5;

const char* const kColourNames[70] = {
    "black", "red", "red50", "red75", "green", "green50", "green75", "yellow", "yellow50", "yellow75",
    "blue", "blue50", "blue75", "magenta", "magenta50", "magenta75", "cyan", "cyan50", "cyan75", "white",
    "brown", "huei", "hueq", "huenegi", "huenegq", "gray2", "gray3", "gray4", "gray5", "gray7",
    "gray10", "gray12", "gray13", "gray17", "gray20", "gray23", "gray25", "gray27", "gray30", "gray33",
    "gray35", "gray37", "gray40", "gray43", "gray45", "gray47", "gray48", "gray50", "gray51", "gray53",
    "gray55", "gray57", "gray60", "gray63", "gray65", "gray67", "gray70", "gray73", "gray75", "gray77",
    "gray80", "gray83", "gray85", "gray87", "gray90", "gray93", "gray95", "gray97", "background", "foreground",
};

const char* const kColourLists[121] = {
    "black", "white", "black", "gray10", "gray20", "gray30", "gray40", "gray50", "gray60", "gray70", "gray80",
    "gray90", "white", "black", "gray7", "gray13", "gray20", "gray27", "gray33", "gray40", "gray47", "gray53",
    "gray60", "gray67", "gray73", "gray80", "gray87", "gray93", "white", "black", "gray3", "gray7", "gray10",
    "gray13", "gray17", "gray20", "gray23", "gray27", "gray30", "gray33", "gray37", "gray40", "gray43", "gray47",
    "gray50", "gray53", "gray57", "gray60", "gray63", "gray67", "gray70", "gray73", "gray77", "gray80", "gray83",
    "gray87", "gray90", "gray93", "gray97", "white", "black", "gray33", "gray67", "white", "black", "gray30",
    "gray70", "white", "gray48", "gray50", "gray51", "gray53", "gray5", "gray95", "gray50", "gray25", "gray75",
    "gray30", "gray70", "blue", "green", "red", "cyan", "magenta", "yellow", "blue50", "green50", "cyan50",
    "red50", "magenta50", "yellow50", "blue50", "green50", "cyan50", "red50", "magenta50", "yellow50", "blue",
    "green", "cyan", "red", "magenta", "yellow", "yellow75", "cyan75", "green75", "magenta75", "red75", "blue75",
    "huei", "hueq", "huenegi", "huenegq", "gray2", "gray4", "gray12", "gray35", "gray45", "gray55", "gray65",
    "gray85",
};

enum class Kind { Signed, Level, Byte, Double };

struct Parameter {
    const char* name;
    int word;
    Kind kind;
    double value;  // what the generator holds
};

// Signed values negative (sign-extended from 16 bits on ISA), levels above
// 32767 (zero-extended), doubles exact in the processor's form.
const Parameter kParameters[] = {
    {"imageversion", 70, Kind::Signed, -70}, {"penw", 71, Kind::Signed, -71}, {"penh", 72, Kind::Signed, -72},
    {"dwell", 73, Kind::Signed, -73}, {"offsetx", 74, Kind::Signed, -74}, {"offsety", 75, Kind::Signed, -75},
    {"spacex", 76, Kind::Signed, -76}, {"spacey", 77, Kind::Signed, -77}, {"deltax", 78, Kind::Signed, -78},
    {"deltay", 79, Kind::Signed, -79}, {"levelred", 80, Kind::Level, 60080}, {"levelgreen", 81, Kind::Level, 60081},
    {"levelblue", 82, Kind::Level, 60082}, {"width", 85, Kind::Signed, 720}, {"height", 86, Kind::Signed, 480},
    {"aspect", 106, Kind::Double, 1.25}, {"aspectsize", 108, Kind::Double, 1.5},
    {"aspectpixel", 110, Kind::Double, 0.875}, {"uintsize", 116, Kind::Byte, 200},
    {"widthsize", 118, Kind::Double, 0.3125}, {"heightsize", 120, Kind::Double, 0.25},
    {"meterwidth", 122, Kind::Signed, -122}, {"meterheight", 123, Kind::Signed, -123},
    {"left", 124, Kind::Signed, -124}, {"top", 125, Kind::Signed, -125}, {"right", 126, Kind::Signed, -126},
    {"bottom", 127, Kind::Signed, -127}, {"centerleft", 128, Kind::Signed, -128},
    {"centertop", 129, Kind::Signed, -129}, {"centerright", 130, Kind::Signed, -130},
    {"centerbottom", 131, Kind::Signed, -131}, {"major", 132, Kind::Signed, -132},
    {"minor", 133, Kind::Signed, -133}, {"addspace", 134, Kind::Signed, -134},
    {"modspace", 135, Kind::Signed, -135},
};

// Words the library never writes.
const int kUntouched[] = {83, 84, 87, 117};

double Double(const RemoteCallContext& c, int word)
{
    double v = 0;
    std::memcpy(&v, &c.words[word], sizeof v);
    return v;
}

int WordOf(const char* colour)
{
    for (int i = 0; i < 70; ++i)
        if (std::string(kColourNames[i]) == colour)
            return i;
    return -1;
}

class DciPrepare : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        for (uint32_t& word : context.words)
            word = kSentinel;
        for (int i = 0; i < 70; ++i)
            Dci().setValue(kColourNames[i], 0x80000000u | static_cast<uint32_t>(i) * 0x010203u);
        for (const Parameter& p : kParameters)
            Dci().setValue(p.name, p.value);
    }
    bool AllSentinels() const
    {
        for (uint32_t word : context.words)
            if (word != kSentinel)
                return false;
        return true;
    }
};

TEST_P(DciPrepare, EveryWordComesFromTheGenerator)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 1), 1);
    for (int i = 0; i < 70; ++i)
        EXPECT_EQ(context.words[i], 0x80000000u | static_cast<uint32_t>(i) * 0x010203u) << kColourNames[i];
    for (const Parameter& p : kParameters) {
        if (p.kind == Kind::Double)
            EXPECT_EQ(Double(context, p.word), p.value) << p.name;
        else
            EXPECT_EQ(context.words[p.word], static_cast<uint32_t>(static_cast<int32_t>(p.value))) << p.name;
    }
    for (int word : kUntouched)
        EXPECT_EQ(context.words[word], kSentinel) << word;
    for (int word = 136; word <= 180; ++word)
        EXPECT_EQ(context.words[word], kSentinel) << word;
}

TEST_P(DciPrepare, TheColourListsCopyTheColourWords)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 1), 1);
    for (int i = 0; i < 121; ++i)
        EXPECT_EQ(context.words[181 + i], context.words[WordOf(kColourLists[i])]) << 181 + i;
}

// aspectsize 1.5 over 720 x 480: the width shrinks to the height.
TEST_P(DciPrepare, TheMatrixIsRebuiltOnTheHost)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 1), 1);
    const double expected[9] = {480, 0, 0, 0, 480, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Double(context, RCC_M00 + 2 * i), expected[i]) << i;
    EXPECT_EQ(Double(context, RCC_NORMALWIDTH), 1.5);
    EXPECT_EQ(Double(context, RCC_NORMALHEIGHT), 1.0);
}

TEST_P(DciPrepare, WithoutFillTheContextIsLeftAlone)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 0), 1);
    EXPECT_TRUE(AllSentinels());
    EXPECT_TRUE(Dci().log().empty());
    EXPECT_EQ(dci::Bound().context, &context);
    if (!Isa()) {
        EXPECT_EQ(dci::Bound().variablesBase, 0xFFF10000u);
        EXPECT_EQ(dci::Bound().callBlock, 0xFFF10400u);
        EXPECT_EQ(dci::Bound().contextAddress, 0xFFF10100u);
    }
    EXPECT_EQ(XR_PortPrepareRemoteCall(port, nullptr, 0), 1);
    EXPECT_EQ(dci::Bound().context, nullptr);
}

TEST_P(DciPrepare, RefusalsLeaveTheBindingAsItWas)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 0), 1);
    EXPECT_EQ(XR_PortPrepareRemoteCall(0x20001, &context, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_NO_DIRECT_CALLS);
    EXPECT_EQ(XR_PortPrepareRemoteCall(port, nullptr, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_BUFFER_TOO_SMALL);
    EXPECT_EQ(XR_PortPrepareRemoteCall(port + 1, &context, 0), 0);
    EXPECT_EQ(dci::Bound().port, port);
    EXPECT_EQ(dci::Bound().context, &context);
    EXPECT_TRUE(AllSentinels());
}

// A snapshot that cannot finish leaves the caller's block as it was.
TEST_P(DciPrepare, ASnapshotThatFailsPartWayChangesNothing)
{
    gensim::DciFaults faults;
    if (Isa())
        faults.messageNeverTaken = true;
    else
        faults.failingItems = {31};  // imageversion, after every colour
    Dci().setFaults(faults);
    ScopedTimeScale fast("0.02");
    EXPECT_EQ(XR_PortPrepareRemoteCall(port, &context, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_TRUE(AllSentinels());
}

INSTANTIATE_TEST_SUITE_P(Dci, DciPrepare, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

class DciPciItems : public DciPrepare {};

TEST_P(DciPciItems, AFailedAddressLookupUnbinds)
{
    for (uint32_t item : {2u, 5u, 3u}) {
        ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 0), 1);
        gensim::DciFaults faults;
        faults.failingItems = {item};
        Dci().setFaults(faults);
        ScopedTimeScale fast("0.02");
        EXPECT_EQ(XR_PortPrepareRemoteCall(port, &context, 0), 0) << item;
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
        EXPECT_EQ(dci::Bound().port, 0u);
        EXPECT_EQ(XR_Get_color1(), 0u);
        EXPECT_TRUE(Dci().log().empty());
        Dci().setFaults({});
    }
}

INSTANTIATE_TEST_SUITE_P(Dci, DciPciItems, ::testing::Values(kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
