// The simulator's GPIB bus over its socket, spoken to frame by frame: what
// it answers, how long a read waits, and what it does with a host that
// breaks the format.

#include "WireSocket.h"

#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using gpib::Frame;
using gpib::Op;

constexpr auto kBusWait = 5000ms;

Frame request(Op op, int address, int board = 0)
{
    Frame f;
    f.op = op;
    f.address = address;
    f.board = board;
    return f;
}

Frame write(int address, const std::string& bytes)
{
    Frame f = request(Op::Write, address);
    f.flags = gpib::kEoi | gpib::kCallEnd;
    f.payload = bytes;
    return f;
}

Frame read(int address, int count, int timeoutMs)
{
    Frame f = request(Op::Read, address);
    f.count = count;
    f.timeoutMs = timeoutMs;
    return f;
}

class GpibBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/gensim-bus-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        generator = &sim.addGenerator({.pty = false, .gpib = GpibAddress{5, 0}});
        sim.openGpibBus(path());
        sim.start();
    }
    void TearDown() override
    {
        sim.stop();
        fs::remove_all(dir);
    }

    std::string path() const { return (dir / "bus").string(); }

    // The answer to one request on the connection.
    Frame call(WireSocket& host, Frame f, std::uint32_t seq = 1)
    {
        f.seq = seq;
        EXPECT_TRUE(host.send(f));
        std::optional<Frame> a = host.receive(kBusWait);
        EXPECT_TRUE(a.has_value());
        if (!a)
            return {};
        EXPECT_EQ(a->op, Op::Answer);
        EXPECT_EQ(a->seq, seq);
        return *a;
    }

    fs::path dir;
    Simulator sim;
    Generator* generator = nullptr;
};

TEST_F(GpibBusTest, OpensWritesAndReadsByAddress)
{
    struct Case {
        const char* name;
        Frame request;
        int status;
        int error;
        int count;
        std::string payload;
    };
    const std::vector<Case> cases = {
        {"a board with a generator", request(Op::Open, 9, 0), gpib::kCmpl, 0, 0, ""},
        {"a board without", request(Op::Open, 5, 1), gpib::kErr, gpib::kEneb, 0, ""},
        {"a command", write(5, "VERF?"), gpib::kCmpl, 0, 5, ""},
        {"its reply, in part", read(5, 3, 1000), gpib::kCmpl, 0, 3, "7.0"},
        {"the rest, with EOI", read(5, 100, 1000), gpib::kCmpl | gpib::kEnd, 0, 3, "11\n"},
        {"nobody listens", write(9, "VERF?"), gpib::kErr, gpib::kEnol, 0, ""},
        {"nothing to read", read(5, 100, 20), gpib::kErr | gpib::kTimo, gpib::kEabo, 0, ""},
        {"nobody talks", read(9, 100, 20), gpib::kErr | gpib::kTimo, gpib::kEabo, 0, ""},
        {"a read of nothing", read(5, 0, 20), gpib::kErr, gpib::kEarg, 0, ""},
    };
    WireSocket host = WireSocket::connect(path());
    ASSERT_TRUE(host.valid());
    std::uint32_t seq = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame a = call(host, c.request, ++seq);
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.error, c.error);
        EXPECT_EQ(a.count, c.count);
        EXPECT_EQ(a.payload, c.payload);
    }
    // Only the read at the generator's address is its time-out.
    const std::vector<BusEvent> events = generator->busTrace().events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), BusEvent::timeout(20));
}

// A read waits for the reply up to the time it allows, then answers.
TEST_F(GpibBusTest, AReadWaitsForAPausedReply)
{
    WireSocket host = WireSocket::connect(path());
    generator->fault(Fault::pauseBeforeChar(0, 150));
    const auto start = std::chrono::steady_clock::now();  // the pause counts from the write
    call(host, write(5, "VERF?"), 1);
    Frame a = call(host, read(5, 100, 5000), 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    EXPECT_EQ(a.payload, "7.011\n");

    generator->fault(Fault::pauseBeforeChar(0, 3000));
    call(host, write(5, "VERF?"), 3);
    a = call(host, read(5, 100, 100), 4);
    EXPECT_EQ(a.status, gpib::kErr | gpib::kTimo);
}

// A host that gave up on a read sends its next request; the answer to the
// read never comes, the new one is answered.
TEST_F(GpibBusTest, ANewRequestReplacesAWaitingRead)
{
    WireSocket host = WireSocket::connect(path());
    Frame r = read(5, 100, 2000);
    r.seq = 1;
    ASSERT_TRUE(host.send(r));
    Frame a = call(host, write(5, "VERF?"), 2);
    EXPECT_EQ(a.status, gpib::kCmpl);
    a = call(host, read(5, 100, 2000), 3);
    EXPECT_EQ(a.payload, "7.011\n");
    EXPECT_FALSE(host.receive(300ms).has_value());
}

TEST_F(GpibBusTest, AHostThatBreaksTheFormatIsCutOffAlone)
{
    Frame answer;
    answer.op = Op::Answer;
    std::string unknownOp = gpib::encode(request(Op::Open, 5));
    unknownOp[4] = 9;
    std::string hugePayload = gpib::encode(request(Op::Open, 5));
    hugePayload[2] = 0x20;  // 2 MiB claimed
    std::string badFlags = gpib::encode(write(5, "VERF?"));
    badFlags[5] = 0x40;
    const std::string cases[] = {unknownOp, hugePayload, badFlags, gpib::encode(answer)};

    WireSocket good = WireSocket::connect(path());
    for (const std::string& bytes : cases) {
        WireSocket bad = WireSocket::connect(path());
        ASSERT_TRUE(bad.sendRaw(bytes));
        EXPECT_TRUE(bad.closedByPeer(kBusWait));
        EXPECT_EQ(call(good, request(Op::Open, 5)).status, gpib::kCmpl);
    }
    EXPECT_EQ(generator->trace().size(), 0u);
}

TEST_F(GpibBusTest, TheSocketPathIsTakenOnlyFromAnEndedBus)
{
    EXPECT_THROW(Simulator().openGpibBus(path()), std::invalid_argument);  // live

    const std::string file = (dir / "file").string();
    std::ofstream(file) << "keep";
    EXPECT_THROW(Simulator().openGpibBus(file), std::invalid_argument);
    EXPECT_TRUE(fs::is_regular_file(file));

    // A socket nobody listens at any more is replaced.
    const std::string stale = (dir / "stale").string();
    {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        stale.copy(address.sun_path, stale.size());
        ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    Simulator other;
    other.addGenerator({.pty = false, .gpib = GpibAddress{7, 0}});
    EXPECT_EQ(other.openGpibBus(stale), stale);
    other.start();
    WireSocket host = WireSocket::connect(stale);
    EXPECT_EQ(call(host, write(7, "VERF?")).status, gpib::kCmpl);
    other.stop();
}

TEST_F(GpibBusTest, AnAddressIsTakenOnce)
{
    EXPECT_THROW(sim.addGenerator({.pty = false, .gpib = GpibAddress{5, 0}}), std::invalid_argument);
    EXPECT_NO_THROW(sim.addGenerator({.pty = false, .gpib = GpibAddress{5, 1}}));
    EXPECT_THROW(sim.addGenerator({.pty = false, .gpib = GpibAddress{31, 0}}), std::invalid_argument);
    EXPECT_THROW(sim.addGenerator({.pty = false}), std::invalid_argument);
    // A generator may have both: its pty and an address.
    Generator& both = sim.addGenerator({.pty = true, .gpib = GpibAddress{6, 0}});
    EXPECT_FALSE(both.comPath().empty());
    WireSocket host = WireSocket::connect(path());
    EXPECT_EQ(call(host, write(6, "VERF?")).status, gpib::kCmpl);
}

} // namespace
} // namespace gensim::test
