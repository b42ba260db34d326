// Members that stage texts, names and levels in generator memory, by the
// simulator's heap log: what was staged and in which order it was released,
// the failures that stage nothing or release what was staged, and the
// palette change that re-reads the colour words.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "DciFixture.h"
#include "ScopedTimeScale.h"
#include "dci/Dci.h"

namespace {

using dcitest::DciBoundCardTest;
using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace dci = morvane::dci;

class DciStaged : public DciBoundCardTest {};

TEST_P(DciStaged, ATextIsStagedWithItsNulAndReleasedAfterTheCall)
{
    XR_DrawString(10, 20, "Hello");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_DrawString", "Release"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    EXPECT_EQ(calls[0].args, std::vector<double>{6});
    EXPECT_EQ(calls[1].args[0], 10);
    EXPECT_EQ(calls[1].args[1], 20);
    EXPECT_EQ(calls[1].staged, std::vector<std::string>{std::string("Hello", 6)});
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

TEST_P(DciStaged, AnEmptyTextIsOneByteAndStillDraws)
{
    XR_DrawString(0, 0, "");
    EXPECT_EQ(Dci().log()[0].args, std::vector<double>{1});
    EXPECT_EQ(Dci().log()[1].staged, std::vector<std::string>{std::string(1, '\0')});
    EXPECT_EQ(Dci().log().at(2).name, "Release");
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

TEST_P(DciStaged, TwoNamesAreReleasedLastFirst)
{
    XR_SetEdgeColorNamed("red", " blue");
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "XR_SetEdgeColorNamed", "Release",
                                                 "Release"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    EXPECT_EQ(calls[2].staged, (std::vector<std::string>{std::string("red", 4), std::string(" blue", 6)}));
    EXPECT_EQ(static_cast<uint32_t>(static_cast<int64_t>(calls[3].args.at(0))), calls[1].result);
    EXPECT_EQ(static_cast<uint32_t>(static_cast<int64_t>(calls[4].args.at(0))), calls[0].result);
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

TEST_P(DciStaged, TheSecondStagingFailingReleasesTheFirst)
{
    Dci().setFaults({.failAllocation = 2});
    EXPECT_EQ(XR_SetEdgeColorNamed("red", "blue"), 0u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release"}));
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

TEST_P(DciStaged, ANullTextMakesNoCall)
{
    EXPECT_EQ(XR_DrawString(1, 2, nullptr), 0);
    EXPECT_EQ(XR_SetEdgeColorNamed("red", nullptr), 0u);
    EXPECT_EQ(XR_GetWidth(nullptr), 0);
    EXPECT_TRUE(Dci().log().empty());
}

TEST_P(DciStaged, FormatFieldsStageASpareByteOnIsaOnly)
{
    EXPECT_EQ(XR_fmtl(""), Isa() ? 0 : 0x40000);
    if (Isa()) {
        EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_fmtl", "Release"}));
        EXPECT_EQ(Dci().log()[0].args, std::vector<double>{2});
    } else {
        EXPECT_TRUE(Dci().log().empty());
    }
}

TEST_P(DciStaged, XvsgSendsItsThreeFlagsInOneArgument)
{
    EXPECT_EQ(XR_xvsg(1, 2, 3), Isa() ? 0 : 0x40000);
    if (Isa()) {
        EXPECT_EQ(Dci().log().at(0).text(), "XR_xvsg(5)");
    }
}

TEST_P(DciStaged, LevelsGoByValueOnIsaAndByAddressOnPci)
{
    XR_SetLevelRGB(100, 200, 300);
    if (Isa()) {
        EXPECT_EQ(Names(), std::vector<std::string>{"XR_SetLevelRGB"});
        EXPECT_EQ(Dci().log()[0].args, (std::vector<double>{100, 200, 300}));
        return;
    }
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_SetLevelRGB", "Release"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    const uint32_t at = calls[0].result;
    std::vector<uint32_t> addresses;
    for (double a : calls[1].args)
        addresses.push_back(static_cast<uint32_t>(static_cast<int64_t>(a)));
    EXPECT_EQ(addresses, (std::vector<uint32_t>{at, at + 4, at + 8}));
    const std::string levels = calls[1].staged.at(0);
    EXPECT_EQ(levels, std::string("\x64\0\0\0\xC8\0\0\0\x2C\x01\0\0", 12));
}

// The colour words are read again; the lists keep the preparation's copy.
TEST_P(DciStaged, APaletteChangeReadsTheColourWordsAgain)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, 1), 1);
    const RemoteCallContext before = context;
    Dci().setValue("black", 0x0A0B0C0D);
    Dci().setValue("gray50", 0x12345678);
    EXPECT_EQ(XR_SetLut(3), 0x0A0B0C0Du);
    EXPECT_EQ(context.words[RCC_BLACK], 0x0A0B0C0Du);
    EXPECT_EQ(context.words[RCC_GRAY50], 0x12345678u);
    for (int word = RCC_IMAGEVERSION; word < RCC_WORDS; ++word)
        EXPECT_EQ(context.words[word], before.words[word]) << word;
    EXPECT_EQ(Dci().log().front().text(), "XR_SetLut(3)");
}

TEST_P(DciStaged, APaletteChangeWithoutAContextStoresNothing)
{
    ASSERT_EQ(XR_PortPrepareRemoteCall(port, nullptr, 0), 1);
    Dci().setValue("black", 0x0A0B0C0D);
    EXPECT_EQ(XR_SetLut(1), 0x0A0B0C0Du);
    dci::Bound() = dci::Binding{};
    EXPECT_EQ(XR_SetLut(1), 0u);
    EXPECT_EQ(Dci().log().size(), 1u);
}

std::string Bytes(std::initializer_list<int16_t> values)
{
    std::string bytes;
    for (int16_t v : values) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    }
    return bytes;
}

TEST_P(DciStaged, APolyLineStagesBothListsAndReleasesTheSecondFirst)
{
    const Point a[2] = {{1, 2}, {3, -4}};
    const Point b[3] = {{5, 6}, {7, 8}, {9, 10}};
    XR_DrawPolyLine(2, a, b);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "XR_DrawPolyLine", "Release", "Release"}));
    const std::vector<gensim::DciCall> calls = Dci().log();
    EXPECT_EQ(calls[0].args, std::vector<double>{8});
    EXPECT_EQ(calls[1].args, std::vector<double>{12});
    EXPECT_EQ(calls[2].args.at(0), 2);
    EXPECT_EQ(calls[2].staged, (std::vector<std::string>{Bytes({1, 2, 3, -4}), Bytes({5, 6, 7, 8, 9, 10})}));
    EXPECT_EQ(static_cast<uint32_t>(static_cast<int64_t>(calls[3].args.at(0))), calls[1].result);
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

// No points still stages one pair for the second list.
TEST_P(DciStaged, APolyLineOfNoPointsStagesTheClosingPair)
{
    const Point b[1] = {{5, 6}};
    XR_PenPolyLine(0, b, b);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "XR_PenPolyLine", "Release", "Release"}));
    EXPECT_EQ(Dci().log()[1].args, std::vector<double>{4});
}

TEST_P(DciStaged, CountsOutsideASixteenBitWordMakeNoCall)
{
    const Point p[1] = {{1, 1}};
    EXPECT_EQ(XR_FillPolygon(-1, p), 0);
    EXPECT_EQ(XR_EncloseFillRect(32768, p), 0);
    EXPECT_EQ(XR_DrawPolyLine(1, p, nullptr), 0);
    EXPECT_EQ(XR_PatnFillPolygon(1, nullptr), 0);
    EXPECT_TRUE(Dci().log().empty());
}

TEST_P(DciStaged, PlainAndPatternPolygonsShareAFunctionOnPci)
{
    const Point p[3] = {{0, 0}, {10, 0}, {0, 10}};
    XR_FillPolygon(3, p);
    XR_PatnFillPolygon(3, p);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_FillPolygon", "Release", "Allocate",
                                                 "XR_PatnFillPolygon", "Release"}));
    EXPECT_EQ(Dci().log()[1].staged, std::vector<std::string>{Bytes({0, 0, 10, 0, 0, 10})});
}

TEST_P(DciStaged, TheSecondListFailingReleasesTheFirst)
{
    Dci().setFaults({.failAllocation = 2});
    const Point p[2] = {{1, 1}, {2, 2}};
    XR_PatnPenPolyLine(1, p, p);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release"}));
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

INSTANTIATE_TEST_SUITE_P(Dci, DciStaged, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

class DciFlash : public DciCardTest {};

// Success only for a clean finish; the 0x70 answer gives the card's word.
TEST_P(DciFlash, OnlyACleanFinishIsSuccess)
{
    Bind();
    dcitest::WriteToVideo(dcitest::FirmwareImage(1024, 7.125));
    EXPECT_EQ(XR_FlashFromVMEM(), 0x10000000u);
    EXPECT_EQ(Dci().log().at(0).name, "XR_FlashFromVMEM");
    Dci().setFaults({.errorCode = 0x70});
    EXPECT_EQ(XR_FlashFromVMEM(), 0u);  // the simulator leaves 0 at +12
    Dci().setFaults({.errorCode = 0x71});
    EXPECT_EQ(XR_FlashFromVMEM(), 0u);
    Dci().setFaults({.callNeverFinishes = true});
    {
        ScopedTimeScale fast("0.02");
        EXPECT_EQ(XR_FlashFromVMEM(), 0u);
    }
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
}

INSTANTIATE_TEST_SUITE_P(Dci, DciFlash, ::testing::Values(kPci),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DciFlashElsewhere, AnotherPortGetsZero)
{
    dci::Bound() = dci::Binding{};
    dci::Bound().port = 0x10000;
    EXPECT_EQ(XR_FlashFromVMEM(), 0u);
    dci::Bound() = dci::Binding{};
}

}  // namespace
