// The kernel-driver stand-in as a host meets it on its socket: who may hold
// which card, what a closed connection gives back, requests it cannot read,
// and the card firmware's answers to the host interface's events.

#include "DriverSocketPath.h"

#include "gensim/Simulator.h"

#include "DriverClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
using driver::ChangeKind;
using driver::DriverClient;
using driver::EventKind;
using driver::ResourceKind;

constexpr uint16_t kNmi = 0x0100;
constexpr uint16_t kIntIn = 0x0008;

class DriverEndpointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        endpoint = &sim.openDriver(socket.path());
        generator = &sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .baudRate = 9600,
                                       .link = "", .isaSlot = 0});
        card = endpoint->isaCard(0);
        sim.start();
    }

    std::unique_ptr<DriverClient> Connect()
    {
        auto client = DriverClient::Connect(socket.path());
        EXPECT_NE(client, nullptr);
        return client;
    }
    static std::optional<driver::Registration> RegisterAt(DriverClient& client, uint32_t base)
    {
        return client.Register({{ResourceKind::Io, 1, base, 8}});
    }
    // The host puts c into the processor's input word and raises INTIN with message.
    driver::FirmwareEventAnswer Interrupt(DriverClient& client, uint32_t handle, char c, uint16_t message = 0)
    {
        card->setWord(IsaCard::kInputWord, static_cast<uint8_t>(c));
        auto answer = client.FirmwareEvent(handle, EventKind::HostInterrupt, {uint32_t(kIntIn | message)});
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(driver::FirmwareEventAnswer{});
    }

    DriverSocketPath socket;
    Simulator sim;
    DriverEndpoint* endpoint = nullptr;
    Generator* generator = nullptr;
    IsaCard* card = nullptr;
};

TEST_F(DriverEndpointTest, AnswersVersionAndAnEmptyPciBus)
{
    auto client = Connect();
    EXPECT_EQ(client->Version()->version, 432u);
    EXPECT_TRUE(client->PciScan(0x1F3A, 0)->cards.empty());
    EXPECT_FALSE(client->CardInfo({0, 0, 0})->found);
    EXPECT_EQ(client->ConfigRead({0, 0, 0}, 0x10), 0xFFFFFFFFu);
    EXPECT_FALSE(client->BlockTransfer(1, 6, "x")->success);
}

TEST_F(DriverEndpointTest, ACardComesWithItsMemoryAnEmptyRangeWithout)
{
    auto client = Connect();
    std::optional<driver::Registration> held = RegisterAt(*client, 0x300);
    ASSERT_TRUE(held && held->handle != 0);
    ASSERT_NE(held->memory, nullptr);
    // RAM, the I/O words, video memory, the staging heap, the flash ROM and
    // the identity words.
    ASSERT_EQ(held->memory->Regions().size(), 6u);
    EXPECT_EQ(held->memory->Regions()[0].cardAddress, 0xFF000000u);
    EXPECT_EQ(held->memory->Regions()[2].cardAddress, 0u);
    EXPECT_EQ(held->memory->Regions()[3].cardAddress, 0xFF200000u);
    EXPECT_EQ(held->memory->Regions()[4].cardAddress, 0xFFC00000u);
    EXPECT_EQ(held->memory->Regions()[4].byteLength, 0x80000u);
    EXPECT_EQ(held->memory->Regions()[5].cardAddress, 0x6000000u);
    // The processor's RAM as the firmware left it: the system record.
    uint16_t first = 0;
    std::memcpy(&first, held->memory->RegionBytes(0), 2);
    EXPECT_EQ(first, card->word(0xFF000000));

    std::optional<driver::Registration> empty = RegisterAt(*client, 0x308);
    ASSERT_TRUE(empty && empty->handle != 0);
    EXPECT_EQ(empty->memory, nullptr);
    EXPECT_EQ(endpoint->registrations(), 2u);
}

TEST_F(DriverEndpointTest, ACardHeldByAnotherConnectionIsRefusedUntilThatOneCloses)
{
    auto first = Connect();
    auto second = Connect();
    auto held = RegisterAt(*first, 0x300);
    ASSERT_TRUE(held && held->handle != 0);
    EXPECT_EQ(RegisterAt(*second, 0x300)->handle, 0u);
    EXPECT_FALSE(second->Release(held->handle)) << "not its card";
    EXPECT_FALSE(second->FirmwareEvent(held->handle, EventKind::HostInterrupt, {kIntIn}).has_value());
    EXPECT_NE(RegisterAt(*second, 0x308)->handle, 0u) << "an empty range is nobody's";

    first.reset();
    ASSERT_TRUE(endpoint->waitForConnections(1, 5s));
    EXPECT_EQ(endpoint->registrations(), 1u) << "the closed connection gave its card back";
    EXPECT_NE(RegisterAt(*second, 0x300)->handle, 0u);
}

TEST_F(DriverEndpointTest, RegistrationRefusedByItsFaultAndOnlyIoRangesTaken)
{
    auto client = Connect();
    card->setFaults({.refuseRegistration = true});
    EXPECT_EQ(RegisterAt(*client, 0x300)->handle, 0u);
    card->setFaults({});
    EXPECT_EQ(client->Register({{ResourceKind::Memory, 1, 0xFFF00000, 0x80000}})->handle, 0u);
    EXPECT_EQ(client->Register({})->handle, 0u);
    EXPECT_EQ(endpoint->registrations(), 0u);
}

TEST_F(DriverEndpointTest, ARequestItCannotReadGetsARefusalNotSilence)
{
    driver::UniqueFd raw(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.path().c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(raw.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const uint32_t request[] = {uint32_t(driver::Op::Register), 77, 0, 5};  // five resources announced, none sent
    ASSERT_EQ(::send(raw.Get(), request, sizeof request, MSG_NOSIGNAL), ssize_t(sizeof request));
    uint32_t answer[4] = {};
    ASSERT_EQ(::recv(raw.Get(), answer, sizeof answer, 0), 12);
    EXPECT_EQ(answer[0], uint32_t(driver::Op::Register));
    EXPECT_EQ(answer[1], 77u);
    EXPECT_EQ(answer[2], uint32_t(driver::Status::BadRequest));
}

// --- The card's firmware -------------------------------------------------------------

TEST_F(DriverEndpointTest, AHostInterruptWithMessageZeroFeedsTheSerialLine)
{
    auto client = Connect();
    auto held = RegisterAt(*client, 0x300);
    std::string out;
    for (char c : std::string("VERF?\r")) {
        driver::FirmwareEventAnswer a = Interrupt(*client, held->handle, c);
        ASSERT_EQ(a.changes.size(), 1u);
        EXPECT_EQ(a.changes[0], (driver::Change{0, ChangeKind::ClearBits, 6, kIntIn})) << "taken at once";
        for (const driver::OutputChunk& chunk : a.output) {
            EXPECT_EQ(chunk.atMs, 0u);
            out += chunk.bytes;
        }
    }
    EXPECT_EQ(out, "VERF?\r\n7.011\r\n>");
    EXPECT_EQ(generator->trace().lines(), std::vector<std::string>{"VERF?"});
    EXPECT_EQ(card->events(), 6u);
}

TEST_F(DriverEndpointTest, PausesOfTheLineBecomeDueTimes)
{
    auto client = Connect();
    auto held = RegisterAt(*client, 0x300);
    generator->fault(Fault::slowPrompt(250));
    driver::FirmwareEventAnswer a = Interrupt(*client, held->handle, '\r');
    ASSERT_EQ(a.output.size(), 2u);
    EXPECT_EQ(a.output[0], (driver::OutputChunk{0, "\r\n"}));
    EXPECT_EQ(a.output[1], (driver::OutputChunk{250, ">"}));
}

TEST_F(DriverEndpointTest, OtherMessagesAreTakenAndIgnored)
{
    auto client = Connect();
    auto held = RegisterAt(*client, 0x300);
    // 2, 3 and 7 are the direct calls' messages.
    for (uint16_t message : {1, 4, 5, 6}) {
        driver::FirmwareEventAnswer a = Interrupt(*client, held->handle, 'X', message);
        EXPECT_EQ(a.changes.size(), 1u) << message;
        EXPECT_TRUE(a.output.empty()) << message;
    }
    EXPECT_TRUE(generator->trace().lines().empty());
}

struct RestartCase {
    const char* name;
    CardFaults faults;
    bool clearRecord;
    bool itemsKept;
    std::vector<driver::Change> changes;
};

void PrintTo(const RestartCase& c, std::ostream* os) { *os << c.name; }

class Restart : public DriverEndpointTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(Restart, ResetsTheGeneratorOnlyAfterTheRecordWasCleared)
{
    const RestartCase& c = GetParam();
    auto client = Connect();
    auto held = RegisterAt(*client, 0x300);
    generator->seed(ItemKind::Format, {.name = "Mine"});
    generator->execute("HRES 800");
    card->setFaults(c.faults);
    if (c.clearRecord)
        for (uint32_t a = IsaCard::kSystemRecord; a < IsaCard::kSystemRecord + 72 * 16; a += 16)
            card->setWord(a, 0);

    auto answer = client->FirmwareEvent(held->handle, EventKind::HostInterrupt, {uint32_t(kNmi | kIntIn)});
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->changes, c.changes);
    EXPECT_EQ(generator->item(ItemKind::Format, "Mine").has_value(), c.itemsKept);
    EXPECT_EQ(generator->setting("HRES"), c.itemsKept ? "800" : "640");
}

const driver::Change kDiscard{0, ChangeKind::DiscardOutput, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Nmi, Restart,
    ::testing::Values(
        RestartCase{"RecordCleared", {}, true, false, {kDiscard, {0, ChangeKind::ClearBits, 6, kNmi | kIntIn}}},
        RestartCase{"RecordKept", {}, false, true, {kDiscard, {0, ChangeKind::ClearBits, 6, kNmi | kIntIn}}},
        RestartCase{"Slow", {.nmiDelayMs = 300}, true, false,
                    {kDiscard, {300, ChangeKind::ClearBits, 6, kNmi | kIntIn}}},
        RestartCase{"HungFirmwareRestarts", {.intInNeverTaken = true}, true, false,
                    {kDiscard, {0, ChangeKind::ClearBits, 6, kNmi | kIntIn}}},
        // The character interrupt that came with it is still taken.
        RestartCase{"NeverTaken", {.nmiNeverTaken = true}, true, true, {{0, ChangeKind::ClearBits, 6, kIntIn}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Bytes 0-7: the revision as the processor's double. 2.0 is 1.0 (00 00 00
// 00 00 00 08 40) with the exponent one higher: 00 00 00 00 00 00 18 40.
TEST_F(DriverEndpointTest, TheSystemRecordHoldsTheRevisionInTheProcessorsDoubleForm)
{
    sim.addGenerator({.model = "VG-7000", .firmware = "2.0", .serial = "2", .baudRate = 9600, .link = "",
                      .isaSlot = 1});
    const IsaCard& second = *endpoint->isaCard(1);
    const uint16_t words[] = {0x0000, 0x0000, 0x0000, 0x4018, 0x0000};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(second.word(IsaCard::kSystemRecord + 16 * i), words[i]) << i;
}

TEST_F(DriverEndpointTest, AHungFirmwareTakesNothingUntilRestarted)
{
    auto client = Connect();
    auto held = RegisterAt(*client, 0x300);
    card->setFaults({.intInNeverTaken = true});
    driver::FirmwareEventAnswer a = Interrupt(*client, held->handle, 'V');
    EXPECT_TRUE(a.changes.empty());
    EXPECT_TRUE(a.output.empty());
    client->FirmwareEvent(held->handle, EventKind::HostInterrupt, {kNmi});
    EXPECT_FALSE(card->faults().intInNeverTaken);
    EXPECT_EQ(Interrupt(*client, held->handle, 'V').output.size(), 1u);
}

// --- The socket path -------------------------------------------------------------------

TEST(DriverEndpointPath, ReplacesAStaleSocketButNothingElse)
{
    DriverSocketPath socket;
    { DriverEndpoint first(socket.path()); }
    {
        // A socket nobody listens on any more.
        driver::UniqueFd stale(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.path().c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(stale.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    DriverEndpoint second(socket.path());
    EXPECT_THROW(DriverEndpoint(socket.path()), std::invalid_argument) << "someone listens there";
    EXPECT_NE(DriverClient::Connect(socket.path()), nullptr) << "and still does";
}

TEST(DriverEndpointPath, RefusesAFileThatIsNoSocket)
{
    DriverSocketPath socket;
    std::ofstream(socket.path()) << "keep me";
    EXPECT_THROW(DriverEndpoint(socket.path()), std::invalid_argument);
    std::ifstream kept(socket.path());
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "keep me");
}

TEST(DriverEndpointPath, ACardNeedsTheEndpoint)
{
    auto onSlot = [](int slot) {
        GeneratorOptions options;
        options.isaSlot = slot;
        return options;
    };
    Simulator sim;
    EXPECT_THROW(sim.addGenerator(onSlot(2)), std::invalid_argument);
    DriverSocketPath socket;
    sim.openDriver(socket.path());
    sim.addGenerator(onSlot(2));
    EXPECT_THROW(sim.addGenerator(onSlot(2)), std::invalid_argument) << "one card a slot";
    EXPECT_THROW(sim.addGenerator(onSlot(8)), std::invalid_argument);
}

} // namespace
} // namespace gensim::test
