// The real library against simulated PCI cards behind the kernel-driver
// stand-in: finding and opening cards and the ways an open fails, the memory
// windows, the watchdog loop, the reset, and forced initialisation.

#include "morvane.h"

#include "DriverClient.h"
#include "DriverSocketPath.h"
#include "ScopedTimeScale.h"
#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSram = 0xFFF00000;
constexpr uint32_t kStartWords = kSram + 0x2000;

std::string Send(PortId id, const char* command)
{
    std::string reply(6000, '\0');
    const int n = XR_PortSendCommand(id, command, reply.data(), int(reply.size()));
    reply.resize(static_cast<std::size_t>(n));
    return reply;
}

class PciPortTest : public ::testing::Test {
public:
    gensim::DriverEndpoint& Driver(uint32_t version = 432) { return m_sim.openDriver(m_socket.path(), version); }

    // count generators on the next PCI cards.
    void Cards(int count)
    {
        if (m_sim.driverEndpoint() == nullptr)
            Driver();
        for (int i = 0; i < count; ++i)
            m_sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = std::to_string(4711 + i),
                                .link = "", .pty = false, .pciCard = true});
        if (!m_started) {
            m_sim.start();
            m_started = true;
        }
    }
    gensim::PciCard& Card(int index) { return *m_sim.driverEndpoint()->pciCard(index); }
    gensim::Generator& GeneratorOn(int index) { return Card(index).generator(); }
    gensim::DriverEndpoint& Endpoint() { return *m_sim.driverEndpoint(); }

    // Another host, when a test needs one.
    std::unique_ptr<driver::DriverClient> m_other;

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
    void StoreFormat(PortId id, const char* name)
    {
        Send(id, (std::string("FMTN \"") + name + "\";FMTB;FMTE;FMTA \"" + name + "\"").c_str());
        ASSERT_EQ(XR_PortGetError(), 0);
    }

protected:
    void TearDown() override
    {
        for (PortId id : m_open)
            XR_PortClose(id);
    }

    gensim::test::DriverSocketPath m_socket;
    gensim::Simulator m_sim;
    bool m_started = false;
    std::vector<PortId> m_open;
};

// --- Finding and opening ---------------------------------------------------------------

TEST_F(PciPortTest, TwoCardsAreCountedAndEachOpensOnItsOwnGenerator)
{
    Cards(2);
    EXPECT_EQ(XR_PortCountPciCards(), 2);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(XR_PortIsValidSpec("pci1"), 1);
    EXPECT_EQ(XR_PortIsValidSpec("PCI2"), 1);
    EXPECT_EQ(XR_PortIsValidSpec("pci3"), 0);
    EXPECT_EQ(XR_PortIsValidSpec("pci0"), 0);
    EXPECT_EQ(Open("pci3"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
    EXPECT_EQ(PciOpen("pci3"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_BAD_SPEC);

    PortId first = Open("pci1");
    PortId second = Open("Pci2");
    ASSERT_EQ(first, 0x40000u);
    ASSERT_EQ(second, 0x40001u);
    EXPECT_EQ(XR_PortGetError(), 0);
    Send(first, "HRES 800");
    EXPECT_EQ(Send(first, "HRES?"), "800\r\n");
    EXPECT_EQ(Send(second, "HRES?"), "640\r\n");
    EXPECT_EQ(GeneratorOn(0).setting("HRES"), "800");
    EXPECT_EQ(Endpoint().connections(), 1u) << "one connection for both cards";
    EXPECT_EQ(Endpoint().registrations(), 2u);
}

TEST_F(PciPortTest, AnOpenCardOpensOnceAndAgainAfterItsClose)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Open("pci1"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_OPEN);
    EXPECT_EQ(PciOpen("pci1"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_OPEN);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n") << "the first stays usable";

    EXPECT_EQ(PciClose(id), 1);
    std::erase(m_open, id);
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
    EXPECT_EQ(PciClose(id), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_CLOSED);
    const std::size_t lines = GeneratorOn(0).trace().lines().size();
    id = PciOpen("pci1");
    ASSERT_EQ(id, 0x40000u);
    m_open.push_back(id);
    EXPECT_EQ(GeneratorOn(0).trace().lines().size(), lines) << "no handshake";
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

struct OpenFailure {
    const char* name;
    std::function<void(PciPortTest&)> setUp;
    int32_t error;
};

void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class PciOpenFailure : public PciPortTest, public ::testing::WithParamInterface<OpenFailure> {};

// pci1 is open and current; opening pci2 fails. Nothing of pci2 stays
// registered, and pci1 is still the current card with its window.
TEST_P(PciOpenFailure, LeavesTheCurrentCardAsItWas)
{
    Cards(2);
    PortId first = Open("pci1");
    ASSERT_NE(first, 0u);
    ASSERT_EQ(PciRemapMemory(first, 2), 1);
    GetParam().setUp(*this);

    EXPECT_EQ(Open("pci2"), 0u);
    EXPECT_EQ(XR_PortGetError(), GetParam().error);
    EXPECT_EQ(Endpoint().registrations(), m_other ? 2u : 1u);
    EXPECT_EQ(PciWriteData(0xCAFEF00D, kSram + 0x100, 4), 1) << "the mailbox of pci1";
    EXPECT_EQ(Card(0).word(kSram + 0x100), 0xCAFEF00Du);
    EXPECT_EQ(Card(1).word(kSram + 0x100), 0u);
    EXPECT_EQ(PciGetRemap(first), 2);
    EXPECT_EQ(Send(first, "VERF?"), "7.011\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Pci, PciOpenFailure,
    ::testing::Values(
        OpenFailure{"RegistrationRefused", [](PciPortTest& t) { t.Card(1).setFaults({.refuseRegistration = true}); },
                    MORVANE_E_PCI_REGISTER},
        OpenFailure{"BarsMatchNoRange", [](PciPortTest& t) { t.Card(1).setFaults({.barMismatch = true}); },
                    MORVANE_E_PCI_REGISTER},
        OpenFailure{"HeldByAnotherHost",
                    [](PciPortTest& t) {
                        t.m_other = driver::DriverClient::Connect(t.Endpoint().path());
                        ASSERT_NE(t.m_other, nullptr);
                        std::optional<driver::CardInfoAnswer> info
                            = t.m_other->CardInfo(t.Card(1).scanEntry().location);
                        ASSERT_TRUE(info && info->found);
                        std::optional<driver::Registration> held = t.m_other->Register(info->resources);
                        ASSERT_TRUE(held && held->handle != 0);
                    },
                    MORVANE_E_PCI_REGISTER}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PciPortTest, WithoutTheDriverThereIsNoCount)
{
    EXPECT_EQ(XR_PortCountPciCards(), -1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_DRIVER);
    EXPECT_EQ(Open("pci1"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_DRIVER);
}

TEST_F(PciPortTest, AnOldDriverIsRefused)
{
    Driver(431);
    Cards(1);
    EXPECT_EQ(XR_PortCountPciCards(), -1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_DRIVER_VERSION);
    EXPECT_EQ(Open("pci1"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_DRIVER_VERSION);
}

// The table has twenty entries: a twenty-first card is counted but never
// opened.
TEST_F(PciPortTest, ATwentyFirstCardIsBeyondTheTable)
{
    Cards(21);
    EXPECT_EQ(XR_PortCountPciCards(), 21);
    EXPECT_EQ(XR_PortIsValidSpec("pci21"), 0);
    EXPECT_EQ(PciOpen("pci21"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_BAD_SPEC);
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_PCI, 21), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_BAD_SPEC);
    PortId last = Open("pci20");
    ASSERT_EQ(last, 0x40013u);
    EXPECT_EQ(Send(last, "VERF?"), "7.011\r\n");
}

// --- Memory windows --------------------------------------------------------------------

TEST_F(PciPortTest, TheFiveWindowsShowTheirRegions)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_NE(id, 0u);
    auto* window = static_cast<uint8_t*>(PciGetMemoryBase(id));
    ASSERT_NE(window, nullptr);
    struct Row {
        int32_t id;
        uint32_t region;
        uint32_t bytes;
    };
    const Row rows[] = {{1, 0x00000000, 8u << 20}, {2, kSram, 512u << 10}, {4, 0xE0000000, 2u << 20},
                        {8, 0xF1000000, 32u << 10}, {16, 0xF0F00000, 32u << 10}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        Card(0).setWord(row.region + 0x40, 0x1000 + uint32_t(row.id));
        Card(0).setWord(row.region + row.bytes - 4, 0x2000 + uint32_t(row.id));
        ASSERT_EQ(PciRemapMemory(id, row.id), 1);
        EXPECT_EQ(XR_PortGetError(), 0);
        EXPECT_EQ(PciGetRemap(id), row.id);
        EXPECT_EQ(PciGetMemoryBase(id), window) << "the window stays where it is";
        uint32_t word = 0;
        std::memcpy(&word, window + 0x40, 4);
        EXPECT_EQ(word, 0x1000 + uint32_t(row.id));
        std::memcpy(&word, window + row.bytes - 4, 4);
        EXPECT_EQ(word, 0x2000 + uint32_t(row.id));
        // A smaller region repeats to the window's end.
        std::memcpy(&word, window + (8u << 20) - 4, 4);
        EXPECT_EQ(word, 0x2000 + uint32_t(row.id));
        const uint32_t mark = 0xA5000000 | uint32_t(row.id);
        std::memcpy(window + 0x80, &mark, 4);
        EXPECT_EQ(Card(0).word(row.region + 0x80), mark) << "writes reach the card";
    }
}

TEST_F(PciPortTest, AnUnknownWindowIdChangesNothing)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_EQ(PciRemapMemory(id, 8), 1);
    const uint32_t base = Card(0).bridgeRegister(0xF4);
    const uint32_t range = Card(0).bridgeRegister(0xF0);
    for (int32_t window : {3, 0, 32, -1}) {
        EXPECT_EQ(PciRemapMemory(id, window), 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_REMAP);
    }
    EXPECT_EQ(Card(0).bridgeRegister(0xF4), base);
    EXPECT_EQ(Card(0).bridgeRegister(0xF0), range);
    EXPECT_EQ(PciGetRemap(id), 8);
    EXPECT_EQ(XR_PortGetError(), 0);
}

TEST_F(PciPortTest, BytesCrossBetweenTheWindowAndTheMailboxStreams)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_EQ(PciRemapMemory(id, 1), 1);
    auto* window = static_cast<uint8_t*>(PciGetMemoryBase(id));
    const uint8_t written[] = {0x00, 0x11, 0x22, 0x33, 0xFF, 0x80, 0x7F};
    std::memcpy(window + 0x123457, written, sizeof written);
    uint8_t read[sizeof written] = {};
    EXPECT_EQ(PciReadBuffer(0x123457, read, int32_t(sizeof read)), 0x7Fu) << "the last value read";
    EXPECT_EQ(std::memcmp(read, written, sizeof read), 0);

    const uint8_t back[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01};
    PciWriteBuffer(back, 0x300001, int32_t(sizeof back));
    EXPECT_EQ(std::memcmp(window + 0x300001, back, sizeof back), 0);
    EXPECT_EQ(XR_PortGetError(), 0);
}

TEST_F(PciPortTest, WindowTwoIsTheSram)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_EQ(PciRemapMemory(id, 2), 1);
    auto* sram = static_cast<uint8_t*>(PciGetSRAMBase(id));
    auto* window = static_cast<uint8_t*>(PciGetMemoryBase(id));
    ASSERT_NE(sram, nullptr);
    EXPECT_NE(sram, window);
    EXPECT_EQ(std::memcmp(sram, window, 512u << 10), 0);
    sram[0x777] = 0x5A;
    EXPECT_EQ(window[0x777], 0x5A);
    EXPECT_EQ(window[0x777 + (512u << 10)], 0x5A);
}

TEST_F(PciPortTest, AClosedCardHasNoWindows)
{
    Cards(1);
    PortId id = Open("pci1");
    Close(id);
    EXPECT_EQ(PciGetSRAMBase(id), nullptr);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_CLOSED);
    EXPECT_EQ(PciGetMemoryBase(id), nullptr);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_CLOSED);
    EXPECT_EQ(PciGetMemoryBase(0x40014), nullptr);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_BAD_ID);
    EXPECT_EQ(PciRemapMemory(id, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_CLOSED);
    EXPECT_EQ(PciGetRemap(id), 0);
    EXPECT_EQ(PciEnableEndianSwap(id, 1), 0);
}

TEST_F(PciPortTest, EndianSwapTouchesBitFiveOnly)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_EQ(PciEnableEndianSwap(id, 0), 1);
    EXPECT_EQ(Card(0).bridgeRegister(0x0C), 0x20u);
    ASSERT_EQ(PciEnableEndianSwap(id, 7), 1);
    EXPECT_EQ(Card(0).bridgeRegister(0x0C), 0x20u);
    ASSERT_EQ(PciEnableEndianSwap(id, 1), 1);
    EXPECT_EQ(Card(0).bridgeRegister(0x0C), 0u);
}

// --- Closed card, watchdog, reset ------------------------------------------------------

// After the close nothing is current: the mailbox exports answer 0 and the
// card is not touched.
TEST_F(PciPortTest, WithoutACurrentCardTheMailboxExportsDoNothing)
{
    Cards(1);
    PortId id = Open("pci1");
    ASSERT_EQ(PciWriteData(0x11111111, kSram + 0x10, 4), 1);
    Close(id);
    const uint32_t values[] = {1, 2};
    uint8_t bytes[2] = {0x77, 0x77};
    EXPECT_EQ(PciWriteData(0x22222222, kSram + 0x10, 4), 0);
    EXPECT_EQ(PciReadData(kSram + 0x10, 4), 0u);
    EXPECT_EQ(PciWriteBlock(values, 2, kSram + 0x10), 0);
    PciWriteInt32(values, kSram + 0x10, 2);
    PciWriteBuffer(bytes, kSram + 0x10, 2);
    EXPECT_EQ(PciReadBuffer(kSram + 0x10, bytes, 2), 0u);
    EXPECT_EQ(bytes[0], 0x77);
    EXPECT_EQ(Card(0).word(kSram + 0x10), 0x11111111u);
}

TEST_F(PciPortTest, TheWatchdogLoopIsEnteredAndLeft)
{
    Cards(1);
    PortId id = Open("pci1");
    EXPECT_EQ(PciEnterWatchDogLoop(id), 1);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(PciExitWatchDogLoop(id), 1);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

TEST_F(PciPortTest, AReleaseThatNeverComesTimesOut)
{
    Cards(1);
    PortId id = Open("pci1");
    Card(0).setFaults({.watchdogNeverReleased = true});
    ASSERT_EQ(PciEnterWatchDogLoop(id), 1);
    ScopedTimeScale shortWaits("0.02");
    const auto start = Clock::now();
    EXPECT_EQ(PciExitWatchDogLoop(id), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_LT(Clock::now() - start, 2000ms) << "the scaled bound";
    EXPECT_EQ(PciExitWatchDogLoop(0x40001), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_CLOSED);
}

// Only a reset after the start words were zeroed clears the stores.
TEST_F(PciPortTest, AResetAloneKeepsTheGeneratorsItems)
{
    Cards(1);
    PortId id = Open("pci1");
    StoreFormat(id, "Mine");
    EXPECT_EQ(PciResetCard(id), 1);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
    EXPECT_TRUE(GeneratorOn(0).item(gensim::ItemKind::Format, "Mine").has_value());
}

// --- Forced initialisation ---------------------------------------------------------------

TEST_F(PciPortTest, ForcedInitOfAFreeCardBringsTheStoresBackToTheirStart)
{
    Cards(2);
    PortId id = Open("pci1");
    StoreFormat(id, "Mine");
    Send(id, "HRES 800");
    PortId other = Open("pci2");
    StoreFormat(other, "Theirs");
    Close(id);
    const uint32_t mark = Card(0).word(kStartWords);
    ASSERT_NE(mark, 0u);

    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_PCI, 1), 1);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_FALSE(GeneratorOn(0).item(gensim::ItemKind::Format, "Mine").has_value());
    EXPECT_EQ(GeneratorOn(0).setting("HRES"), "640");
    EXPECT_EQ(Card(0).word(kStartWords), mark) << "written anew by the restarted firmware";
    EXPECT_NE(Card(0).word(kStartWords + 4), 0u);
    EXPECT_TRUE(GeneratorOn(1).item(gensim::ItemKind::Format, "Theirs").has_value());
    EXPECT_EQ(Endpoint().registrations(), 1u) << "the card was closed again";

    id = Open("pci1");
    ASSERT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

TEST_F(PciPortTest, ForcedInitRefusesACardThatIsOpen)
{
    Cards(1);
    PortId id = Open("pci1");
    StoreFormat(id, "Mine");
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_PCI, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_OPEN);
    EXPECT_TRUE(GeneratorOn(0).item(gensim::ItemKind::Format, "Mine").has_value());
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

// The reason to force it: a mailbox that no longer answers.
TEST_F(PciPortTest, ForcedInitRestartsAHungMailbox)
{
    Cards(1);
    PortId id = Open("pci1");
    Card(0).setFaults({.doneNeverSet = true});
    {
        ScopedTimeScale shortWaits("0.02");
        EXPECT_EQ(Send(id, "VERF?"), "");
        EXPECT_NE(XR_PortGetError(), 0);
    }
    Close(id);

    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_PCI, 1), 1);
    id = Open("pci1");
    ASSERT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(id, "VERF?"), "7.011\r\n");
}

TEST_F(PciPortTest, ForcedInitOfARefusedCardFindsNone)
{
    Cards(1);
    GeneratorOn(0).seed(gensim::ItemKind::Format, {.name = "Mine"});
    Card(0).setFaults({.refuseRegistration = true});
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_PCI, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_REGISTER);
    EXPECT_TRUE(GeneratorOn(0).item(gensim::ItemKind::Format, "Mine").has_value());
    EXPECT_TRUE(Endpoint().waitForConnections(0, 5s));
    EXPECT_EQ(XR_PortForceInit(MORVANE_PORT_PCI, 2), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_BAD_SPEC);
}

} // namespace
