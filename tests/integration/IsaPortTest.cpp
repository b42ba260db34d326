// The real library against simulated ISA cards behind the kernel-driver
// stand-in: opens and their failures, the processor's memory through the
// host interface, the reset, and forced initialisation of a card nobody has
// open (also one whose processor hangs).

#include "morvane.h"

#include "DriverClient.h"
#include "DriverSocketPath.h"
#include "gensim/IsaCardMap.h"
#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Send(PortId id, const char* command)
{
    std::string reply(6000, '\0');
    const int n = XR_PortSendCommand(id, command, reply.data(), int(reply.size()));
    reply.resize(static_cast<std::size_t>(n));
    return reply;
}

class IsaPortTest : public ::testing::Test {
public:
    gensim::DriverEndpoint& Driver(uint32_t version = 432) { return m_sim.openDriver(m_socket.path(), version); }

    // A generator on the ISA card in slot.
    gensim::Generator& Card(int slot, const char* serial = "4711")
    {
        if (m_sim.driverEndpoint() == nullptr)
            Driver();
        gensim::Generator& g = m_sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = serial,
                                                   .baudRate = 9600, .link = "", .isaSlot = slot});
        if (!m_started) {
            m_sim.start();
            m_started = true;
        }
        return g;
    }
    gensim::IsaCard& CardIn(int slot) { return *m_sim.driverEndpoint()->isaCard(slot); }
    gensim::DriverEndpoint& Endpoint() { return *m_sim.driverEndpoint(); }

    PortId Open(const char* spec)
    {
        PortId id = XR_PortOpen(spec);
        if (id != 0)
            m_open.push_back(id);
        return id;
    }
    void Close(PortId id)
    {
        EXPECT_EQ(XR_PortClose(id), 1);
        std::erase(m_open, id);
    }

    // The processor handshakes' 5 s become 100 ms.
    static void ShortWaits() { setenv("MORVANE_TIME_SCALE", "0.02", 1); }

    // Card 0, opened; then its processor takes no character and the waits
    // are short. 0 when the open fails.
    PortId OpenStalledCard()
    {
        Card(0);
        PortId id = Open("isa0");
        if (id != 0) {
            CardIn(0).setFaults({.intInNeverTaken = true});
            ShortWaits();
        }
        return id;
    }

protected:
    void TearDown() override
    {
        unsetenv("MORVANE_TIME_SCALE");
        for (PortId id : m_open)
            XR_PortClose(id);
    }

    gensim::test::DriverSocketPath m_socket;
    gensim::Simulator m_sim;
    bool m_started = false;
    std::vector<PortId> m_open;
};

// --- Opening -------------------------------------------------------------------------

TEST_F(IsaPortTest, OpensTheCardAtItsSlotsBaseAndRunsCommands)
{
    gensim::Generator& g = Card(4);
    PortId id = Open("ISA4");
    ASSERT_EQ(id, 0x10004u);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
    Send(id, "HRES 800");
    EXPECT_EQ(Send(id, "HRES?"), "800\r\n");
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(g.trace().lines().back(), "HRES?");
    EXPECT_EQ(Endpoint().registrations(), 1u);
    // Slot 4's card answers at 0x250 only: another base finds nobody.
    EXPECT_EQ(Open("isa3"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_ISA_NOT_RESPONDING);
}

TEST_F(IsaPortTest, IsaOpenRegistersWithoutTheCommandHandshake)
{
    gensim::Generator& g = Card(0);
    PortId id = IsaOpen("isa0");
    ASSERT_EQ(id, 0x10000u);
    m_open.push_back(id);
    EXPECT_TRUE(g.trace().lines().empty()) << "no carriage return was sent";
    EXPECT_EQ(IsaOpen("isa9"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_ISA_BAD_SPEC);
}

struct OpenFailure {
    const char* name;
    std::function<void(IsaPortTest&)> setUp;
    int32_t error;
};

void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class IsaOpenFailure : public IsaPortTest, public ::testing::WithParamInterface<OpenFailure> {};

// Each failure leaves no card registered and, with no other card open, no
// driver connection.
TEST_P(IsaOpenFailure, LeavesNothingBehind)
{
    GetParam().setUp(*this);
    EXPECT_EQ(Open("isa1"), 0u);
    EXPECT_EQ(XR_PortGetError(), GetParam().error);
    if (gensim::DriverEndpoint* endpoint = m_sim.driverEndpoint()) {
        EXPECT_TRUE(endpoint->waitForConnections(0, 5s));
        EXPECT_EQ(endpoint->registrations(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Isa, IsaOpenFailure,
    ::testing::Values(
        OpenFailure{"EmptySlot", [](IsaPortTest& t) { t.Card(0); }, MORVANE_E_ISA_NOT_RESPONDING},
        OpenFailure{"NoDriverSocket", [](IsaPortTest&) {}, MORVANE_E_PCI_DRIVER},
        OpenFailure{"DriverTooOld",
                    [](IsaPortTest& t) {
                        t.Driver(431);
                        t.Card(1);
                    },
                    MORVANE_E_PCI_DRIVER_VERSION},
        OpenFailure{"RegistrationRefused",
                    [](IsaPortTest& t) {
                        t.Card(1);
                        t.CardIn(1).setFaults({.refuseRegistration = true});
                    },
                    MORVANE_E_PCI_REGISTER}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IsaPortTest, ACardAnotherHostHoldsIsRefused)
{
    Card(0);
    auto other = driver::DriverClient::Connect(m_socket.path());
    ASSERT_NE(other, nullptr);
    std::optional<driver::Registration> held = other->Register({{driver::ResourceKind::Io, 1, 0x300, 8}});
    ASSERT_TRUE(held && held->handle != 0);
    EXPECT_EQ(Open("isa0"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_REGISTER);
    // Let go, and it is ours.
    EXPECT_TRUE(other->Release(held->handle));
    EXPECT_NE(Open("isa0"), 0u);
    EXPECT_EQ(XR_PortGetError(), 0);
}

TEST_F(IsaPortTest, AnOpenSlotOpensOnce)
{
    Card(0);
    PortId id = Open("isa0");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Open("isa0"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_ISA_OPEN);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n") << "the first stays usable";
}

TEST_F(IsaPortTest, TheDriverConnectionGoesWithTheLastClose)
{
    Card(0);
    Card(2, "4712");
    PortId first = Open("isa0");
    PortId second = Open("isa2");
    ASSERT_TRUE(first != 0 && second != 0);
    EXPECT_EQ(Endpoint().connections(), 1u) << "one connection for both cards";
    Close(first);
    EXPECT_EQ(Endpoint().registrations(), 1u);
    EXPECT_EQ(Endpoint().connections(), 1u);
    Close(second);
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
    EXPECT_EQ(Endpoint().registrations(), 0u);
}

// A processor that still holds a character when the port opens: the open
// waits the bounded time, gives the card back and fails.
TEST_F(IsaPortTest, AStuckProcessorFailsTheOpenWithinTheBound)
{
    PortId id = OpenStalledCard();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(XR_PortPutChar(id, '\r'), 0);
    Close(id);

    EXPECT_EQ(Open("isa0"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
    EXPECT_EQ(Endpoint().registrations(), 0u);
}

// A cancel from another thread ends the open of a stalled card at once, not
// after the processor's bound (a minute here); the card goes back to the
// driver as after the time-out.
TEST_F(IsaPortTest, CancelledWaitsEndTheOpenOfAStalledCard)
{
    PortId id = OpenStalledCard();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(XR_PortPutChar(id, '\r'), 0);
    Close(id);

    setenv("MORVANE_TIME_SCALE", "12", 1);
    const auto start = Clock::now();
    std::thread cancel([] {
        std::this_thread::sleep_for(200ms);
        XR_PortCancelWaits(1);
    });
    EXPECT_EQ(Open("isa0"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    cancel.join();
    XR_PortCancelWaits(0);
    EXPECT_LT(Clock::now() - start, 30s) << "the cancel did not end the processor's wait";
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
    EXPECT_EQ(Endpoint().registrations(), 0u);
}

TEST_F(IsaPortTest, ACharacterNeverTakenFailsThePutWithinTheBound)
{
    PortId id = OpenStalledCard();
    ASSERT_NE(id, 0u);
    const auto start = Clock::now();
    EXPECT_EQ(XR_PortPutChar(id, 'V'), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(XR_PortPutChar(id, 'V'), 0) << "the processor still holds the first";
    EXPECT_GE(Clock::now() - start, 200ms);
}

// The driver is there, the bus holds no generator card: a count of 0,
// not the -1 of a missing driver, and the connection goes again.
TEST_F(IsaPortTest, ThePciCountComesFromTheDriversScan)
{
    Card(0);
    EXPECT_EQ(XR_PortCountPciCards(), 0);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(XR_PortIsValidSpec("pci1"), 0);
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
}

// --- Processor memory ------------------------------------------------------------

TEST_F(IsaPortTest, GspReachesTheMemoryOfThePreparedCardOnly)
{
    Card(0);
    gensim::IsaCard& card = CardIn(0);
    PortId id = Open("isa0");
    ASSERT_EQ(XR_PortPrepare(id), 1);
    EXPECT_EQ(GspWrite(0xFF000480, 0x1BEEF), 1);
    EXPECT_EQ(card.word(0xFF000480), 0xBEEF) << "the low 16 bits";
    card.setWord(0xC0000040, 0x4321);
    EXPECT_EQ(GspRead(0xC0000040), 0x4321);
    EXPECT_EQ(GspRead(0x80000000), 0xFFFF) << "no memory there";
    EXPECT_EQ(GspGetAddress(), 0x80000010u) << "the read moved the address on";

    Close(id);
    card.setWord(0xFF000480, 0x1234);
    EXPECT_EQ(GspWrite(0xFF000480, 0), 0);
    EXPECT_EQ(GspWriteRelative(0), 0);
    EXPECT_EQ(card.word(0xFF000480), 0x1234) << "no card, no access";
    EXPECT_EQ(GspRead(0xFF000480), 0);
    EXPECT_EQ(GspReadRelative(), 0);
    EXPECT_EQ(GspGetAddress(), 0u);
    EXPECT_EQ(GspSetAddress(0x10), 0);
    for (auto control : {GspHalt, GspRun, GspFlush, GspLblLow, GspNmi})
        EXPECT_EQ(control(), 0);
    EXPECT_EQ(GspAutoIncrement(1), 0);
}

// The reset clears RAM from 0xFF000000 to 0xFF100000 and the listed I/O
// registers; the restarted firmware writes its system record and its stores
// anew.
TEST_F(IsaPortTest, InitializeClearsTheMemoryItShouldAndNothingElse)
{
    Card(0);
    gensim::IsaCard& card = CardIn(0);
    PortId id = Open("isa0");
    for (uint32_t address : {0xFF000480u, 0xFF0AAAA0u, 0xFF0FFFF0u, 0xFF100000u, 0xFF100010u, 0xFF1C8000u})
        card.setWord(address, 0xAAAA);
    for (uint32_t address = 0xC0000000; address <= 0xC00001F0; address += 16)
        card.setWord(address, 0x5555);
    const uint16_t revision = card.word(0xFF000000);

    ASSERT_EQ(XR_PortInitialize(id), 1);
    EXPECT_EQ(XR_PortGetError(), 0);

    EXPECT_EQ(card.word(0xFF000000), revision) << "written anew by the restart";
    const std::vector<gensim::IsaRegion> regions = gensim::isaRegions(gensim::isaBuildOf(7.011));
    const auto rewritten = [&regions](uint32_t address) {
        return std::any_of(regions.begin(), regions.end(), [address](const gensim::IsaRegion& r) {
            return r.first != gensim::isa::kSystemRecord.first && r.contains(address);
        });
    };
    int cleared = 0;
    for (uint32_t address = 0xFF000480; address <= 0xFF100000; address += 16) {
        if (rewritten(address))
            continue;
        ASSERT_EQ(card.word(address), 0) << std::hex << address;
        ++cleared;
    }
    EXPECT_GT(cleared, 0x4000) << "the RAM beside the stores";
    EXPECT_EQ(card.word(0xFF100010), 0xAAAA);
    EXPECT_EQ(card.word(0xFF1C8000), 0xAAAA);
    // The host interface (C0-100) and 170-1A0 keep their values.
    const std::vector<uint32_t> kept = {0xC00000C0, 0xC00000D0, 0xC00000E0, 0xC00000F0, 0xC0000100,
                                        0xC0000170, 0xC0000180, 0xC0000190, 0xC00001A0};
    for (uint32_t address = 0xC0000000; address <= 0xC00001F0; address += 16) {
        const bool keeps = std::find(kept.begin(), kept.end(), address) != kept.end();
        EXPECT_EQ(card.word(address), keeps ? 0x5555 : 0) << std::hex << address;
    }
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

// Only the restart resets the generator, and only when its system record
// was cleared first.
TEST_F(IsaPortTest, ANonMaskableInterruptAloneKeepsTheGeneratorsItems)
{
    gensim::Generator& g = Card(0);
    PortId id = Open("isa0");
    Send(id, "FMTN \"Mine\";FMTB;FMTE;FMTA \"Mine\"");
    ASSERT_EQ(XR_PortGetError(), 0);
    ASSERT_EQ(XR_PortPrepare(id), 1);
    GspNmi();
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
    EXPECT_TRUE(g.item(gensim::ItemKind::Format, "Mine").has_value());
}

TEST_F(IsaPortTest, ARestartThatNeverComesFailsAfterFiveSeconds)
{
    Card(0);
    PortId id = Open("isa0");
    CardIn(0).setFaults({.nmiNeverTaken = true});
    const auto start = Clock::now();
    EXPECT_EQ(IsaInitialize(id), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_GE(Clock::now() - start, 5000ms);
}

// --- Forced initialisation -------------------------------------------------------

TEST_F(IsaPortTest, ForcedInitOfAFreeSlotErasesUserItemsAndTheGeneratorAnswersAgain)
{
    gensim::Generator& g = Card(0);
    PortId id = Open("isa0");
    Send(id, "FMTN \"Mine\";FMTB;FMTE;FMTA \"Mine\"");
    Send(id, "HRES 800");
    ASSERT_TRUE(g.item(gensim::ItemKind::Format, "Mine").has_value());
    Close(id);

    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_ISA, 0), 1);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_FALSE(g.item(gensim::ItemKind::Format, "Mine").has_value());
    EXPECT_EQ(g.setting("HRES"), "640");
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s)) << "the card was closed again";

    id = Open("isa0");
    ASSERT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

TEST_F(IsaPortTest, ForcedInitOfAnOpenSlotIsRefused)
{
    gensim::Generator& g = Card(0);
    PortId id = Open("isa0");
    Send(id, "FMTN \"Mine\";FMTB;FMTE;FMTA \"Mine\"");
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_ISA, 0), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_ISA_OPEN);
    EXPECT_EQ(isa_forceinit(0), 0);
    EXPECT_TRUE(g.item(gensim::ItemKind::Format, "Mine").has_value());
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

// The reason to force it: a processor that no longer takes characters.
TEST_F(IsaPortTest, ForcedInitResetsAProcessorThatTakesNothing)
{
    Card(0);
    PortId id = Open("isa0");
    CardIn(0).setFaults({.intInNeverTaken = true});
    ShortWaits();
    EXPECT_EQ(Send(id, "VERF?"), "");
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    Close(id);

    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_ISA, 0), 1);
    unsetenv("MORVANE_TIME_SCALE");
    id = Open("isa0");
    ASSERT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

TEST_F(IsaPortTest, ForcedInitWithoutARestartFailsWithTheTimeOut)
{
    gensim::Generator& g = Card(0);
    g.seed(gensim::ItemKind::Format, {.name = "Mine"});
    CardIn(0).setFaults({.nmiNeverTaken = true});
    ShortWaits();
    const auto start = Clock::now();
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_ISA, 0), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT) << "kept past the close";
    EXPECT_LT(Clock::now() - start, 5000ms) << "the scaled bound, not the full one";
    EXPECT_TRUE(g.item(gensim::ItemKind::Format, "Mine").has_value());
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
}

TEST_F(IsaPortTest, ForcedInitOfAnEmptySlotFindsNoCard)
{
    Card(0);
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_ISA, 5), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_ISA_NOT_RESPONDING);
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_ISA, 8), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_ISA_BAD_SPEC);
}

} // namespace
