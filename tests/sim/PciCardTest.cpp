// Simulated PCI cards as a host meets them on the driver's socket: what the
// bus shows of each card, who may register it, and the firmware's answers to
// mailbox events and to the reset.

#include "DriverSocketPath.h"

#include "gensim/Simulator.h"

#include "DriverClient.h"
#include "PciCardLayout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
using driver::Change;
using driver::ChangeKind;
using driver::DriverClient;
using driver::EventKind;
using driver::ResourceKind;
namespace pci = driver::pci;

constexpr uint32_t kSram = 0xFFF00000;

class PciCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        endpoint = &sim.openDriver(socket.path());
        for (const char* serial : {"1", "2"})
            sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = serial, .link = "", .pty = false,
                              .pciCard = true});
        sim.start();
        client = DriverClient::Connect(socket.path());
        ASSERT_NE(client, nullptr);
    }
    PciCard& Card(int index) { return *endpoint->pciCard(index); }

    std::optional<driver::Registration> Register(DriverClient& host, int index)
    {
        std::optional<driver::CardInfoAnswer> info = host.CardInfo(Card(index).scanEntry().location);
        EXPECT_TRUE(info && info->found);
        return host.Register(info ? info->resources : std::vector<driver::Resource>{});
    }
    // A mailbox command as the host's bridge sends it, with data at 0x40.
    driver::FirmwareEventAnswer Mailbox(uint32_t handle, uint32_t command, uint32_t data = 0)
    {
        pci::MailboxEvent event;
        event.offset = pci::kCommand;
        event.value = command;
        event.registers[0] = data;
        event.registers[8] = command;
        auto answer = client->FirmwareEvent(handle, EventKind::Mailbox, event.Words());
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(driver::FirmwareEventAnswer{});
    }
    uint32_t Handle(int index = 0)
    {
        auto held = Register(*client, index);
        EXPECT_TRUE(held && held->handle != 0);
        return held ? held->handle : 0;
    }

    DriverSocketPath socket;
    Simulator sim;
    DriverEndpoint* endpoint = nullptr;
    std::unique_ptr<DriverClient> client;
};

Change State(uint32_t state) { return {0, ChangeKind::WriteRegister, pci::kFirmwareState, state}; }
Change Done(uint32_t atMs = 0, uint32_t bits = pci::kDone) { return {atMs, ChangeKind::SetBits, pci::kStatus, bits}; }

// --- The bus --------------------------------------------------------------------------------

TEST_F(PciCardTest, TheScanFindsTheCardsInOrder)
{
    const std::vector<driver::PciCardEntry> both = {{0x1F3A, 0x5C20, {2, 4, 0}}, {0x1F3A, 0x5C20, {2, 5, 0}}};
    EXPECT_EQ(client->PciScan(0x1F3A, 0)->cards, both);
    EXPECT_EQ(client->PciScan(0x1F3A, 0x5C20)->cards, both);
    EXPECT_TRUE(client->PciScan(0x1F3A, 0x5C21)->cards.empty()) << "another kind of card";
    EXPECT_TRUE(client->PciScan(0x10B5, 0)->cards.empty());
}

// Six items: memory, I/O, the bridge registers, the interrupt, the SRAM and
// the window; each memory and I/O item has its base address register.
TEST_F(PciCardTest, CardInformationAndConfigurationAgree)
{
    std::optional<driver::CardInfoAnswer> info = client->CardInfo({2, 5, 0});
    ASSERT_TRUE(info && info->found);
    const std::vector<driver::Resource> items = {
        {ResourceKind::Memory, 1, 0xFE010000, 0x80},     {ResourceKind::Io, 1, 0xD100, 0x80},
        {ResourceKind::Memory, 1, 0xFE011000, 0x100},    {ResourceKind::Interrupt, 0, 11, 0},
        {ResourceKind::Memory, 1, 0xF8100000, 0x80000},  {ResourceKind::Memory, 1, 0xD1000000, 0x800000},
    };
    EXPECT_EQ(info->resources, items);
    const std::vector<std::pair<uint32_t, uint32_t>> config = {
        {0x00, 0x5C201F3A}, {0x10, 0xFE010000}, {0x14, 0xD101}, {0x18, 0xFE011000},
        {0x1C, 0xF8100000}, {0x20, 0xD1000008}, {0x24, 0},      {0x30, 0},
    };
    for (const auto& [offset, value] : config)
        EXPECT_EQ(client->ConfigRead({2, 5, 0}, offset), value) << std::hex << offset;
    Card(1).setFaults({.barMismatch = true});
    EXPECT_EQ(client->ConfigRead({2, 5, 0}, 0x18), 0xFE111000u);
    EXPECT_FALSE(client->CardInfo({2, 6, 0})->found);
    EXPECT_EQ(client->ConfigRead({2, 6, 0}, 0x10), 0xFFFFFFFFu);
}

TEST_F(PciCardTest, ARegistrationComesWithTheCardsMemories)
{
    auto held = Register(*client, 1);
    ASSERT_TRUE(held && held->handle != 0);
    ASSERT_NE(held->memory, nullptr);
    std::vector<std::pair<uint32_t, uint32_t>> regions;
    for (const driver::MemoryRegion& r : held->memory->Regions())
        regions.emplace_back(r.cardAddress, r.byteLength);
    EXPECT_EQ(regions, (std::vector<std::pair<uint32_t, uint32_t>>{
                           {0, 8u << 20}, {0xE0000000, 2u << 20}, {kSram, 512u << 10}, {0xF1000000, 32u << 10},
                           {0xF0F00000, 32u << 10}}));
    ASSERT_NE(held->memory->RegisterBlock(pci::kRegisterBlockBytes), nullptr);
    Card(1).setWord(kSram + 0x10, 0x12345678);
    uint32_t seen = 0;
    std::memcpy(&seen, held->memory->RegionBytes(2) + 0x10, 4);
    EXPECT_EQ(seen, 0x12345678u) << "the card's own SRAM";
    // The bridge comes up with the window on video memory.
    EXPECT_EQ(Card(1).bridgeRegister(pci::kWindowBase), 0x00000001u);
    EXPECT_EQ(Card(1).bridgeRegister(pci::kWindowRange), 0xFF800000u);
}

TEST_F(PciCardTest, ACardIsOneHostsUntilItGoes)
{
    auto other = DriverClient::Connect(socket.path());
    auto held = Register(*client, 0);
    ASSERT_TRUE(held && held->handle != 0);
    EXPECT_EQ(Register(*other, 0)->handle, 0u);
    EXPECT_NE(Register(*other, 1)->handle, 0u) << "the other card is free";
    EXPECT_FALSE(other->FirmwareEvent(held->handle, EventKind::Mailbox, pci::MailboxEvent{}.Words()).has_value());
    client.reset();
    ASSERT_TRUE(endpoint->waitForConnections(1, 5s));
    EXPECT_NE(Register(*other, 0)->handle, 0u);

    Card(1).setFaults({.refuseRegistration = true});
    auto third = DriverClient::Connect(socket.path());
    EXPECT_EQ(Register(*third, 1)->handle, 0u);
}

TEST(PciCardBus, HoldsAsManyCardsAsOneScanReports)
{
    DriverSocketPath socket;
    Simulator sim;
    sim.openDriver(socket.path());
    GeneratorOptions onCard{.link = "", .pty = false, .pciCard = true};
    for (int i = 0; i < 30; ++i)
        sim.addGenerator(onCard);
    EXPECT_THROW(sim.addGenerator(onCard), std::invalid_argument);
    GeneratorOptions both = onCard;
    both.isaSlot = 1;
    EXPECT_THROW(sim.addGenerator(both), std::invalid_argument);
}

// --- The firmware -------------------------------------------------------------------------

TEST_F(PciCardTest, APutCharacterFeedsTheSerialLine)
{
    const uint32_t handle = Handle();
    driver::FirmwareEventAnswer answer = Mailbox(handle, 0x101, 0xFFFFFFC4);  // 'Ä' sign-extended: its low byte
    EXPECT_EQ(answer.changes, (std::vector<Change>{State(0), Done()}));
    ASSERT_EQ(answer.output.size(), 1u);
    EXPECT_EQ(answer.output[0].bytes, "\xC4");
    for (char c : std::string("\rVERF?\r"))
        answer = Mailbox(handle, 0x101, uint8_t(c));
    std::string out;
    for (const driver::OutputChunk& chunk : answer.output)
        out += chunk.bytes;
    EXPECT_EQ(out, "\r\n7.011\r\n>");
}

TEST_F(PciCardTest, ItemsTwoThreeAndFiveHaveAddresses)
{
    const uint32_t handle = Handle();
    const std::vector<std::pair<uint32_t, uint32_t>> items = {{2, 0xFFF10000}, {3, 0x100}, {5, 0x400}, {4, 0}, {0, 0}};
    for (const auto& [item, address] : items)
        EXPECT_EQ(Mailbox(handle, 0x401, item).changes,
                  (std::vector<Change>{State(0), {0, ChangeKind::WriteRegister, pci::kAddress, address}, Done()}))
            << item;
}

struct CallCase {
    const char* name;
    PciCardFaults faults;
    std::vector<Change> changes;
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.name; }

class FirmwareCall : public PciCardTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(FirmwareCall, AnswersAsScripted)
{
    const uint32_t handle = Handle();
    Card(0).setFaults(GetParam().faults);
    // Function 7 is no direct call.
    EXPECT_EQ(Mailbox(handle, 0x301, 7).changes, GetParam().changes);
}

using Call = PciCardFaults::ScriptedCall;

INSTANTIATE_TEST_SUITE_P(
    Pci, FirmwareCall,
    ::testing::Values(
        // An unknown function: the error, with a code that is not 0x70.
        CallCase{"Unknown", {}, {State(0), Done(0, 0x0103)}},
        CallCase{"FinishesWell", {.call = Call{5, 0}}, {State(0), Done(), Done(5, pci::kCallFinished)}},
        CallCase{"FailsWith70", {.call = Call{0, 0x70}}, {State(0), Done(), Done(0, 0x700A)}},
        CallCase{"LateAcknowledge", {.doneDelayMs = 30, .call = Call{5, 0}},
                 {State(0), Done(30), Done(35, pci::kCallFinished)}},
        CallCase{"SilentMailbox", {.doneNeverSet = true, .call = Call{5, 0}}, {State(pci::kMailboxSilent)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PciCardTest, TheWatchdogLoopEndsAtTheRelease)
{
    const uint32_t handle = Handle();
    EXPECT_EQ(Mailbox(handle, 0x801).changes, (std::vector<Change>{State(pci::kInWatchdogLoop), Done()}));
    pci::MailboxEvent release;
    release.offset = pci::kData;
    release.value = pci::kWatchdogRelease;
    release.registers[0] = pci::kWatchdogRelease;

    Card(0).setFaults({.watchdogNeverReleased = true});
    EXPECT_EQ(client->FirmwareEvent(handle, EventKind::Mailbox, release.Words())->changes,
              (std::vector<Change>{State(pci::kInWatchdogLoop)}));
    Card(0).setFaults({});
    EXPECT_EQ(client->FirmwareEvent(handle, EventKind::Mailbox, release.Words())->changes,
              (std::vector<Change>{State(0), {0, ChangeKind::WriteRegister, pci::kData, 0}}));
    EXPECT_EQ(client->FirmwareEvent(handle, EventKind::Mailbox, release.Words())->changes,
              (std::vector<Change>{State(0)}))
        << "out of the loop, the value is only data";
}

struct ResetCase {
    const char* name;
    bool zeroStartWords;
    PciCardFaults faults;
    bool itemsKept;
};

void PrintTo(const ResetCase& c, std::ostream* os) { *os << c.name; }

class Reset : public PciCardTest, public ::testing::WithParamInterface<ResetCase> {};

// The restart drops what the line had not put out and clears the mailbox;
// the start words are written anew in every case.
TEST_P(Reset, ClearsTheStoresOnlyAfterTheStartWordsWereZeroed)
{
    const ResetCase& c = GetParam();
    const uint32_t handle = Handle();
    Generator& g = Card(0).generator();
    g.seed(ItemKind::Format, {.name = "Mine"});
    g.execute("HRES 800");
    Card(0).setFaults(c.faults);
    const uint32_t mark = Card(0).word(kSram + 0x2000);
    const uint32_t version = Card(0).word(kSram + 0x2004);
    if (c.zeroStartWords) {
        Card(0).setWord(kSram + 0x2000, 0);
        Card(0).setWord(kSram + 0x2004, 0);
    }
    auto answer = client->FirmwareEvent(handle, EventKind::Reset, {pci::kSoftwareReset});
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->changes, (std::vector<Change>{State(0), {0, ChangeKind::DiscardOutput, 0, 0},
                                                    {0, ChangeKind::WriteRegister, pci::kStatus, 0}}));
    EXPECT_EQ(g.item(ItemKind::Format, "Mine").has_value(), c.itemsKept);
    EXPECT_EQ(g.setting("HRES"), c.itemsKept ? "800" : "640");
    EXPECT_EQ(Card(0).word(kSram + 0x2000), mark);
    EXPECT_EQ(Card(0).word(kSram + 0x2004), version);
    EXPECT_EQ(version, 7011u);
    EXPECT_EQ(Card(0).faults().doneNeverSet, false);
    EXPECT_EQ(Card(0).faults().watchdogNeverReleased, false);
}

INSTANTIATE_TEST_SUITE_P(
    Pci, Reset,
    ::testing::Values(ResetCase{"StartWordsZeroed", true, {}, false}, ResetCase{"StartWordsKept", false, {}, true},
                      ResetCase{"HungMailboxRuns", true, {.doneNeverSet = true, .watchdogNeverReleased = true}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Only one start word zeroed is no request to clear.
TEST_F(PciCardTest, OneZeroStartWordKeepsTheStores)
{
    const uint32_t handle = Handle();
    Generator& g = Card(0).generator();
    g.seed(ItemKind::Format, {.name = "Mine"});
    Card(0).setWord(kSram + 0x2004, 0);
    client->FirmwareEvent(handle, EventKind::Reset, {pci::kSoftwareReset});
    EXPECT_TRUE(g.item(ItemKind::Format, "Mine").has_value());
}

} // namespace
} // namespace gensim::test
