// The faults of a direct call against the simulated cards: a generator that
// never takes a message, never or slowly finishes, never acknowledges or
// fails a call; staging refused, failing and released; the transfers into
// staged memory; and a binding that other opens do not move.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DciFixture.h"
#include "DriverSocketPath.h"
#include "ScopedTimeScale.h"
#include "dci/Dci.h"
#include "gensim/IsaCard.h"

namespace {

using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace dci = morvane::dci;

class DciFaultsTest : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
        XR_Set_color1(0x01234567);
        Dci().clearLog();
    }
    void Fault(gensim::DciFaults faults) { Dci().setFaults(std::move(faults)); }
};

struct WaitCase {
    const char* name;
    gensim::DciFaults faults;
    bool isa;
    bool pci;
};


class DciWaits : public DciFaultsTest {};

// Each wait the generator never ends gives 10007 and 0, not a stale word.
TEST_P(DciWaits, AWaitThatNeverEndsFailsTheCall)
{
    const WaitCase cases[] = {
        {"MessageNeverTaken", {.messageNeverTaken = true}, true, false},
        {"NeverFinishes", {.callNeverFinishes = true}, true, true},
        {"NoAcknowledge", {.noAcknowledge = true}, false, true},
    };
    for (const WaitCase& c : cases) {
        if (!(Isa() ? c.isa : c.pci))
            continue;
        Fault(c.faults);
        ScopedTimeScale fast("0.02");
        EXPECT_EQ(XR_Get_color1(), 0u) << c.name;
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT) << c.name;
    }
}

TEST_P(DciWaits, ASlowCallIsWaitedFor)
{
    Fault({.finishMs = 300});
    EXPECT_EQ(XR_Get_color1(), 0x01234567u);
    EXPECT_EQ(XR_PortGetError(), 0);
}

// After a time-out nothing more is sent, not even the release.
TEST_P(DciWaits, ADeadSessionSendsNothingMore)
{
    dci::Session session;
    ASSERT_TRUE(session.Open());
    const uint32_t staged = dci::Stage(session, 8);
    ASSERT_NE(staged, 0u);
    Fault({.callNeverFinishes = true});
    {
        ScopedTimeScale fast("0.02");
        dci::Stage(session, 8);
    }
    EXPECT_TRUE(session.Dead());
    Dci().clearLog();
    dci::Release(session, staged);
    EXPECT_TRUE(Dci().log().empty());
}

INSTANTIATE_TEST_SUITE_P(Dci, DciWaits, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

class DciPciResults : public DciFaultsTest {};

// 0x70 leaves a result at +12; any other failure gives 0.
TEST_P(DciPciResults, OnlyAFinishOrCode70ReadsTheResult)
{
    Fault({.errorCode = 0x70});
    EXPECT_EQ(XR_Get_color1(), 0x01234567u);
    Fault({.errorCode = 0x71});
    EXPECT_EQ(XR_Get_color1(), 0u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"XR_Get_color1", "XR_Get_color1"}));
}

INSTANTIATE_TEST_SUITE_P(Dci, DciPciResults, ::testing::Values(kPci),
                         [](const auto& info) { return std::string(info.param.name); });

class DciStaging : public DciFaultsTest {};

TEST_P(DciStaging, SizesOutsideTheLimitAreRefusedWithoutACall)
{
    dci::Session session;
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(dci::Stage(session, -1), 0u);
    EXPECT_EQ(dci::Stage(session, dci::kStagingLimit + 1), 0u);
    EXPECT_EQ(dci::Stage(session, int64_t{1} << 32), 0u);
    EXPECT_TRUE(Dci().log().empty());
}

TEST_P(DciStaging, BlocksComeAndGo)
{
    dci::Session session;
    ASSERT_TRUE(session.Open());
    const uint32_t empty = dci::Stage(session, 0);
    const uint32_t ten = dci::Stage(session, 10);
    EXPECT_NE(empty, 0u);
    EXPECT_NE(ten, 0u);
    EXPECT_NE(empty, ten);
    EXPECT_EQ(Dci().liveBlocks(), (std::map<uint32_t, uint32_t>{{empty, 0}, {ten, 10}}));
    dci::Release(session, ten);
    dci::Release(session, empty);
    EXPECT_TRUE(Dci().liveBlocks().empty());
    EXPECT_TRUE(Dci().badFrees().empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release", "Release"}));
}

TEST_P(DciStaging, AFailedAllocationGivesZero)
{
    Fault({.failAllocation = 2});
    dci::Session session;
    ASSERT_TRUE(session.Open());
    const uint32_t first = dci::Stage(session, 4);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(dci::Stage(session, 4), 0u);
    EXPECT_FALSE(session.Dead());
    dci::Release(session, first);
    EXPECT_TRUE(Dci().liveBlocks().empty());
}

TEST_P(DciStaging, BytesArriveInStagedMemory)
{
    dci::Session session;
    ASSERT_TRUE(session.Open());
    const uint32_t at = dci::Stage(session, 6);
    const uint8_t text[] = {'a', 'b', 'c', 'd', 'e'};
    ASSERT_TRUE(dci::WriteStagedBytes(session, at, text, sizeof text));
    uint8_t back[6] = {1, 1, 1, 1, 1, 1};
    if (Isa()) {
        for (uint32_t i = 0; i < 3; ++i) {
            const uint16_t word = sim.driverEndpoint()->isaCard(0)->word(at + 16 * i);
            back[2 * i] = static_cast<uint8_t>(word);
            back[2 * i + 1] = static_cast<uint8_t>(word >> 8);
        }
    } else {
        for (uint32_t i = 0; i < 6; ++i)
            back[i] = static_cast<uint8_t>(sim.driverEndpoint()->pciCard(0)->word(at + i));
    }
    // The last odd byte goes with a high byte of 0 on ISA.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 5), "abcde");
    if (Isa()) {
        EXPECT_EQ(back[5], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Dci, DciStaging, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

class DciIsaTransfers : public DciFaultsTest {
protected:
    gensim::IsaCard& Card() { return *sim.driverEndpoint()->isaCard(0); }
};

// Bit 3 of a bit address picks the word's high byte; bits 0-2 pick nothing.
TEST_P(DciIsaTransfers, AnOddByteMergesIntoItsWord)
{
    dci::Session session;
    ASSERT_TRUE(session.Open());
    const uint32_t at = dci::Stage(session, 8);
    Card().setWord(at, 0x1111);
    const uint8_t bytes[] = {0xAB, 0xCD};
    ASSERT_TRUE(dci::IsaWriteBytes(session, at + 8, bytes, 2));
    EXPECT_EQ(Card().word(at), 0xAB11);
    EXPECT_EQ(Card().word(at + 16), 0x00CD);
    ASSERT_TRUE(dci::IsaWriteBytes(session, at + 7, bytes, 2));
    EXPECT_EQ(Card().word(at), 0xCDAB);
}

TEST_P(DciIsaTransfers, AWordBlockOffA16BitBoundaryFails)
{
    dci::Session session;
    ASSERT_TRUE(session.Open());
    const uint32_t at = dci::Stage(session, 8);
    const uint16_t words[] = {1, 2};
    uint16_t back[2] = {};
    EXPECT_FALSE(dci::IsaWriteWords(session, at + 8, words, 2));
    EXPECT_FALSE(dci::IsaReadWords(session, at + 4, back, 2));
    ASSERT_TRUE(dci::IsaWriteWords(session, at, words, 2));
    ASSERT_TRUE(dci::IsaReadWords(session, at, back, 2));
    EXPECT_EQ(back[1], 2);
}

INSTANTIATE_TEST_SUITE_P(Dci, DciIsaTransfers, ::testing::Values(kIsa),
                         [](const auto& info) { return std::string(info.param.name); });

// Two ISA cards: opening the second selects it, yet calls go to the bound one.
TEST(DciBinding, CallsReachTheCardBoundLast)
{
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    sim.openDriver(socket.path());
    for (int slot : {0, 1})
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false,
                          .isaSlot = slot});
    sim.start();
    const PortId first = IsaOpen("isa0");
    ASSERT_EQ(XR_PortPrepareRemoteCall(first, nullptr, 0), 1);
    const PortId second = IsaOpen("isa1");
    ASSERT_NE(second, 0u);
    XR_DrawPoint(1, 2);
    EXPECT_EQ(sim.driverEndpoint()->isaCard(0)->dci().log().size(), 1u);
    EXPECT_TRUE(sim.driverEndpoint()->isaCard(1)->dci().log().empty());
    XR_PortClose(second);
    XR_PortClose(first);
}

}  // namespace
