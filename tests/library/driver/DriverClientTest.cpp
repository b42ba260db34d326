// The client's side of the driver socket: answers matched to their request,
// late and broken answers, a driver that is silent or gone, and the card
// memory that comes with a registration.
#include "DriverClient.h"
#include "FakeDriver.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace driver::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(DriverClient, NothingListeningIsNoConnection)
{
    EXPECT_EQ(DriverClient::Connect("/tmp/no-such-driver-socket-" + std::to_string(getpid())), nullptr);
    EXPECT_EQ(DriverClient::Connect(std::string(200, 'x')), nullptr);
}

TEST(DriverClient, PathFromTheEnvironment)
{
    setenv("MORVANE_WINDRVR", "/run/here", 1);
    EXPECT_EQ(DriverClient::DefaultPath(), "/run/here");
    unsetenv("MORVANE_WINDRVR");
    setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
    EXPECT_EQ(DriverClient::DefaultPath(), "/run/user/77/windrvr");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(DriverClient::DefaultPath(), "/tmp/windrvr-" + std::to_string(getuid()));
}

TEST(DriverClient, RequestsCarryTheirArgumentsAndAnswersTheirValues)
{
    FakeDriver fake([](const Request& r) -> std::vector<RawPacket> {
        switch (OpOf(r.body)) {
        case Op::Version: return {AnswerWith(r, VersionAnswer{432, "stand-in"})};
        case Op::PciScan: return {AnswerWith(r, PciScanAnswer{{{0x1F3A, 0x5C22, {0, 3, 0}}}})};
        case Op::ConfigRead: return {AnswerWith(r, ConfigReadAnswer{0xFFF00000})};
        default: return {};
        }
    });
    auto client = DriverClient::Connect(fake.Path());
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->Version()->version, 432u);
    std::optional<PciScanAnswer> scan = client->PciScan(0x1F3A, 0);
    ASSERT_TRUE(scan.has_value());
    ASSERT_EQ(scan->cards.size(), 1u);
    EXPECT_EQ(scan->cards[0].location.slot, 3u);
    EXPECT_EQ(client->ConfigRead({0, 3, 0}, 0x20), 0xFFF00000u);
    EXPECT_EQ(client->RoundTrips(), 3u);

    const std::vector<Request> seen = fake.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(std::get<PciScanRequest>(seen[1].body).vendor, 0x1F3Au);
    EXPECT_EQ(std::get<ConfigReadRequest>(seen[2].body).offset, 0x20u);
    EXPECT_LT(seen[0].sequence, seen[1].sequence);
}

TEST(DriverClient, ALateAnswerToAnEarlierRequestIsDropped)
{
    FakeDriver fake([](const Request& r) -> std::vector<RawPacket> {
        Request stale = r;
        stale.sequence = r.sequence - 1;
        return {AnswerWith(stale, VersionAnswer{431, "stale"}), AnswerWith(r, VersionAnswer{432, "fresh"})};
    });
    auto client = DriverClient::Connect(fake.Path());
    std::optional<VersionAnswer> version = client->Version();
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->text, "fresh");
}

TEST(DriverClient, ABrokenAnswerFailsItsRequestAtOnce)
{
    FakeDriver fake([](const Request& r) -> std::vector<RawPacket> {
        // Two cards announced, one sent.
        uint32_t words[] = {static_cast<uint32_t>(Op::PciScan), r.sequence, 0, 2, 0x1F3A, 1, 0, 0, 0};
        std::vector<uint8_t> bytes(sizeof words);
        std::memcpy(bytes.data(), words, sizeof words);
        return {RawPacket{bytes, -1}};
    });
    auto client = DriverClient::Connect(fake.Path());
    const auto start = Clock::now();
    EXPECT_FALSE(client->PciScan(0x1F3A, 0).has_value());
    EXPECT_LT(Clock::now() - start, 2s) << "no wait for the time limit";
    EXPECT_TRUE(client->Alive());
}

TEST(DriverClient, ARequestTheDriverCannotReadFails)
{
    FakeDriver fake([](const Request& r) -> std::vector<RawPacket> {
        return {RawPacket{EncodeBadRequest(r.sequence, static_cast<uint32_t>(OpOf(r.body))), -1}};
    });
    auto client = DriverClient::Connect(fake.Path());
    EXPECT_FALSE(client->Version().has_value());
}

// A stopped driver looks like a dead card: the request fails after the
// limit instead of holding the caller.
TEST(DriverClient, NoAnswerFailsAfterTheLimit)
{
    FakeDriver fake([](const Request&) { return std::vector<RawPacket>{}; });
    auto client = DriverClient::Connect(fake.Path());
    const auto start = Clock::now();
    EXPECT_FALSE(client->Version().has_value());
    const auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(DriverClient::kAnswerLimitMs));
    EXPECT_LT(took, 60s);
}

TEST(DriverClient, ADriverThatWentAwayFailsEveryRequestWithoutASignal)
{
    FakeDriver fake([](const Request& r) { return std::vector<RawPacket>{AnswerWith(r, VersionAnswer{432, ""})}; });
    auto client = DriverClient::Connect(fake.Path());
    ASSERT_TRUE(client->Version().has_value());
    fake.HangUp();
    EXPECT_FALSE(client->Version().has_value());
    EXPECT_FALSE(client->Alive());
    EXPECT_FALSE(client->Release(1));
}

// The card's memory file with the layout the answer gives.
struct MemoryFile {
    explicit MemoryFile(uint32_t size) : fd(memfd_create("client-test", MFD_CLOEXEC)) { ftruncate(fd.Get(), size); }
    UniqueFd fd;
};

RegisterAnswer Layout(uint32_t handle, uint32_t fileSize, uint32_t regionOffset, uint32_t regionLength)
{
    RegisterAnswer answer;
    answer.handle = handle;
    answer.hasMemory = true;
    answer.fileSize = fileSize;
    answer.registerBlock = 0;
    answer.regions = {{0xFF000000, regionLength, regionOffset}};
    return answer;
}

TEST(DriverClient, RegistrationMapsTheCardMemory)
{
    MemoryFile file(8192);
    FakeDriver fake([&](const Request& r) {
        return std::vector<RawPacket>{AnswerWith(r, Layout(5, 8192, 4096, 4096), file.fd.Get())};
    });
    auto client = DriverClient::Connect(fake.Path());
    std::optional<Registration> card = client->Register({{ResourceKind::Io, 1, 0x300, 8}});
    ASSERT_TRUE(card.has_value());
    EXPECT_EQ(card->handle, 5u);
    ASSERT_NE(card->memory, nullptr);
    std::memcpy(card->memory->RegionBytes(0), "seen", 4);

    char back[4] = {};
    ASSERT_EQ(pread(file.fd.Get(), back, sizeof back, 4096), 4);
    EXPECT_EQ(std::string(back, 4), "seen");
    const auto seen = fake.Requests();
    EXPECT_EQ(std::get<RegisterRequest>(seen[0].body).resources[0].base, 0x300u);
}

struct BadLayoutCase {
    const char* name;
    RegisterAnswer answer;
    bool withFile;
};

// Memory the client cannot use is given back at once.
TEST(DriverClient, UnusableMemoryIsReleased)
{
    const BadLayoutCase cases[] = {
        {"RegionPastTheEnd", Layout(5, 8192, 4096, 4097), true},
        {"RegionOffsetPastTheEnd", Layout(5, 8192, 0xFFFFF000, 16), true},
        {"SizeNotTheFiles", Layout(5, 4096, 0, 16), true},
        {"NoFileCame", Layout(5, 8192, 0, 16), false},
    };
    for (const BadLayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFile file(8192);
        FakeDriver fake([&](const Request& r) -> std::vector<RawPacket> {
            if (OpOf(r.body) == Op::Release)
                return {AnswerWith(r, ReleaseAnswer{true})};
            return {AnswerWith(r, c.answer, c.withFile ? file.fd.Get() : -1)};
        });
        auto client = DriverClient::Connect(fake.Path());
        EXPECT_FALSE(client->Register({{ResourceKind::Io, 1, 0x300, 8}}).has_value());
        const auto seen = fake.Requests();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(std::get<ReleaseRequest>(seen[1].body).handle, 5u);
    }
}

TEST(DriverClient, ARefusalIsHandleZeroWithNothingToRelease)
{
    FakeDriver fake([](const Request& r) { return std::vector<RawPacket>{AnswerWith(r, RegisterAnswer{})}; });
    auto client = DriverClient::Connect(fake.Path());
    std::optional<Registration> card = client->Register({{ResourceKind::Io, 1, 0x300, 8}});
    ASSERT_TRUE(card.has_value());
    EXPECT_EQ(card->handle, 0u);
    EXPECT_EQ(card->memory, nullptr);
    EXPECT_EQ(fake.Requests().size(), 1u);
}

}  // namespace
}  // namespace driver::test
