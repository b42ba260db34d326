// Direct calls against the simulated cards: every row of the export table
// arrives as the firmware's own call table decodes it, the words each path
// sends, results, the rows one port type lacks, and the paths the bound
// port takes when others were opened or it was closed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DciFixture.h"
#include "IsaHostModel.h"
#include "dci/Dci.h"
#include "gensim/PciCard.h"

namespace {

using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace dci = morvane::dci;

class DciRows : public DciCardTest {};

// Parameter i (from 1) gets 100 + 7i, a double 1.5 + i: small and distinct,
// so every code carries it unchanged.
TEST_P(DciRows, EveryRowArrivesAsSent)
{
    Bind();
    for (std::size_t r = 0; r < dci::kRows; ++r) {
        const dci::Descriptor& d = dci::kDescriptors[r];
        if (d.ownBody)
            continue;
        SCOPED_TRACE(d.name);
        const std::size_t n = std::strlen(d.isaTypes);
        std::vector<dci::Arg> args;
        std::vector<double> expected;
        for (std::size_t i = 1; i <= n; ++i) {
            const bool real = d.isaTypes[n - i] == '9';
            expected.push_back(real ? 1.5 + static_cast<double>(i) : 100.0 + 7.0 * static_cast<double>(i));
            args.push_back(real ? dci::Arg(expected.back()) : dci::Arg(static_cast<int32_t>(expected.back())));
        }
        Dci().clearLog();
        const uint32_t result = dci::Call(static_cast<dci::Row>(r), dci::Args(args.data(), args.size()));
        const bool hasPath = Isa() ? d.isaCall != 0 : d.pciFunction >= 0;
        const std::vector<gensim::DciCall> log = Dci().log();
        if (!hasPath) {
            EXPECT_TRUE(log.empty());
            EXPECT_EQ(result, d.elsewhere == dci::Elsewhere::TypeHalf ? port & 0xFFFF0000u : 0u);
            continue;
        }
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].name, d.name);
        EXPECT_EQ(log[0].args, expected);
        EXPECT_EQ(XR_PortGetError(), 0);
    }
}

TEST_P(DciRows, ResultsComeBackWhole)
{
    Bind();
    XR_Set_color1(0x89ABCDEF);
    EXPECT_EQ(XR_Get_color1(), 0x89ABCDEFu);
    XR_Set_ppop(-3);
    EXPECT_EQ(XR_Get_ppop(), -3);
    EXPECT_EQ(XR_Get_psize(), 8);
}

TEST_P(DciRows, ARowWithoutThisPathMakesNoCall)
{
    Bind();
    if (Isa()) {
        EXPECT_EQ(XR_PokeBReg(5, 0x12345678), 0);
        EXPECT_EQ(XR_PeekBReg(5), 0x12345678u);
        EXPECT_EQ(Dci().log().size(), 2u);
    } else {
        EXPECT_EQ(XR_WaitFrames(3), 0x40000);
        EXPECT_EQ(XR_XYToAddr(1, 2), 0);
        EXPECT_EQ(XR_hres(800), 0x40000);
        EXPECT_TRUE(Dci().log().empty());
    }
}

TEST_P(DciRows, SixteenBitParametersAreCutOnIsaOnly)
{
    Bind();
    XR_DrawLine(10, 20, 70000, -1);
    const std::string cut = Isa() ? "4464" : "70000";
    EXPECT_EQ(Calls(), std::vector<std::string>{"XR_DrawLine(10, 20, " + cut + ", -1)"});
}

TEST_P(DciRows, TheAliasesMakeTheViewportFills)
{
    Bind();
    XR_WipeActive();
    XR_ZeroActive();
    XR_FillActive(7);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"XR_GroundFillVuport()", "XR_BlackFillVuport()",
                                                 "XR_ColorFillVuport(7)"}));
}

TEST_P(DciRows, AnUnboundLibraryMakesNoCall)
{
    dci::Bound() = dci::Binding{};
    EXPECT_EQ(XR_DrawPoint(1, 2), 0);
    EXPECT_EQ(XR_WaitFrames(1), 0);
    EXPECT_TRUE(Dci().log().empty());
}

// The binding outlives a close: each call checks the port first.
TEST_P(DciRows, AClosedBoundPortGetsNoCall)
{
    Bind();
    Isa() ? XR_PortClose(port) : PciClose(port);
    EXPECT_EQ(XR_Get_color1(), 0u);
    EXPECT_EQ(XR_PortGetError(), Isa() ? MORVANE_E_ISA_CLOSED : MORVANE_E_PCI_CLOSED);
    EXPECT_TRUE(Dci().log().empty());
    port = Isa() ? IsaOpen("isa0") : PciOpen("pci1");
}

INSTANTIATE_TEST_SUITE_P(Dci, DciRows, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The words of each path ------------------------------------------------------------

class DciIsaWords : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
        morvane::CurrentIsaCard()->SetTrace(&trace);
    }
    void TearDown() override
    {
        morvane::CurrentIsaCard()->SetTrace(nullptr);
        DciCardTest::TearDown();
    }
    // What was written to the data register.
    std::vector<uint16_t> DataWords() const
    {
        std::vector<uint16_t> words;
        for (const auto& access : trace)
            if (access.write && access.offset == driver::IsaHostModel::kData)
                words.push_back(access.value);
        return words;
    }
    std::vector<driver::IsaHostModel::Access> trace;
};

TEST_P(DciIsaWords, ParametersGoLastFirstSignExtended)
{
    XR_DrawLine(10, 20, 70000, -1);
    EXPECT_EQ(DataWords(), (std::vector<uint16_t>{0xFFFF, 0xFFFF, 0x1170, 0, 20, 0, 10, 0, 0, 32929}));
    trace.clear();
    XR_DrawPoint(40000, 1);
    EXPECT_EQ(DataWords(), (std::vector<uint16_t>{1, 0, 0x9C40, 0xFFFF, 0, 32927}));
}

TEST_P(DciIsaWords, ADoubleGoesAsFourWordsOfTheProcessorForm)
{
    XR_hrat(31.469);
    uint8_t form[8];
    IEEEtoTMS340(31.469, form);
    std::vector<uint16_t> expected;
    for (int i = 0; i < 4; ++i)
        expected.push_back(static_cast<uint16_t>(form[2 * i] | form[2 * i + 1] << 8));
    expected.insert(expected.end(), {0, 33101});
    EXPECT_EQ(DataWords(), expected);
    EXPECT_EQ(Calls(), std::vector<std::string>{"XR_hrat(31.469)"});
}

TEST_P(DciIsaWords, NoTypesSendOnlyTheZeroAndTheNumber)
{
    for (const char* types : {"", static_cast<const char*>(nullptr)}) {
        trace.clear();
        dci::Session session;
        ASSERT_TRUE(session.Open());
        dci::IsaCall(session, 0, 32973, types, {});
        EXPECT_EQ(DataWords(), (std::vector<uint16_t>{0, 32973}));
    }
    EXPECT_EQ(Calls(), (std::vector<std::string>{"XR_InitLut()", "XR_InitLut()"}));
}

INSTANTIATE_TEST_SUITE_P(Dci, DciIsaWords, ::testing::Values(kIsa),
                         [](const auto& info) { return std::string(info.param.name); });

class DciPciBlock : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
    }
    uint32_t Block(uint32_t offset) { return sim.driverEndpoint()->pciCard(0)->word(gensim::PciCard::kCallBlock + offset); }
};

TEST_P(DciPciBlock, ParametersGoWholeInOrder)
{
    XR_DrawLine(10, 20, 70000, -1);
    EXPECT_EQ(Block(16), 10u);
    EXPECT_EQ(Block(20), 20u);
    EXPECT_EQ(Block(24), 70000u);
    EXPECT_EQ(Block(28), 0xFFFFFFFFu);
}

TEST_P(DciPciBlock, VariantWordsFollowTheLastParameter)
{
    XR_DrawPieArc(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(Block(40), 1u);
    XR_DrawOvalArc(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(Block(40), 0u);
    XR_PatnPenLine(1, 2, 3, 4);
    EXPECT_EQ(Block(32), 0u);
    XR_PenLine(1, 2, 3, 4);
    EXPECT_EQ(Block(32), 1u);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"XR_DrawPieArc(1, 2, 3, 4, 5, 6)", "XR_DrawOvalArc(1, 2, 3, 4, 5, 6)",
                                                 "XR_PatnPenLine(1, 2, 3, 4)", "XR_PenLine(1, 2, 3, 4)"}));
}

TEST_P(DciPciBlock, TheBlocksOfTheirOwnForm)
{
    XR_Cpw(3, -2);
    EXPECT_EQ(Block(16), 0x0003FFFEu);
    // The double's halves, high first from +12: swapped, it would decode as another number.
    XR_Round(2.75);
    XR_TimesDivide(6, 7, 3);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"XR_Cpw(3, -2)", "XR_Round(2.75)", "XR_TimesDivide(6, 7, 3)"}));
}

INSTANTIATE_TEST_SUITE_P(Dci, DciPciBlock, ::testing::Values(kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
