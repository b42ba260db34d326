// The stand-in GPIB library against a bus the test plays: every answer is
// checked before the caller's buffer is touched, answers given up on are
// skipped, and a bus that says nothing ends the wait at the time-out.

#include "WireSocket.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <atomic>
#include <functional>
#include <thread>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using gpib::Frame;
using gpib::Op;

// The stand-in, loaded as the library loads it.
struct StandIn {
    StandIn()
    {
        handle = dlopen(GPIB_STANDIN, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return;
        ibdev = reinterpret_cast<int (*)(int, int, int, int, int, int)>(dlsym(handle, "ibdev"));
        ibwrt = reinterpret_cast<int (*)(int, const void*, long)>(dlsym(handle, "ibwrt"));
        ibrd = reinterpret_cast<int (*)(int, void*, long)>(dlsym(handle, "ibrd"));
        ibtmo = reinterpret_cast<int (*)(int, int)>(dlsym(handle, "ibtmo"));
        ibsta = static_cast<int*>(dlsym(handle, "user_ibsta"));
        iberr = static_cast<int*>(dlsym(handle, "user_iberr"));
        ibcntl = static_cast<long*>(dlsym(handle, "user_ibcntl"));
    }

    void* handle = nullptr;
    int (*ibdev)(int, int, int, int, int, int) = nullptr;
    int (*ibwrt)(int, const void*, long) = nullptr;
    int (*ibrd)(int, void*, long) = nullptr;
    int (*ibtmo)(int, int) = nullptr;
    int* ibsta = nullptr;
    int* iberr = nullptr;
    long* ibcntl = nullptr;
};

StandIn& Library()
{
    static StandIn library;  // stays loaded, as in the library
    return library;
}

// A bus that answers each request with the frames `script` makes of it.
using Script = std::function<std::vector<Frame>(const Frame&)>;

class FakeBus {
public:
    FakeBus(const std::string& path, Script script) : m_listener(path), m_script(std::move(script))
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~FakeBus()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    void serve()
    {
        WireSocket host;
        while (!m_stop && !host.valid())
            host = m_listener.accept(50ms);
        while (!m_stop) {
            std::optional<Frame> request = host.receive(50ms);
            if (!request)
                continue;
            for (const Frame& answer : m_script(*request))
                host.send(answer);
        }
    }

    WireListener m_listener;
    Script m_script;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

Frame Answer(const Frame& request, int status, std::string payload = {}, int error = 0)
{
    Frame a;
    a.op = Op::Answer;
    a.seq = request.seq;
    a.status = status;
    a.error = error;
    a.count = static_cast<int>(payload.size());
    a.payload = std::move(payload);
    return a;
}

class GpibStandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Library().handle, nullptr) << dlerror();
        char pattern[] = "/tmp/gensim-standin-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("ZOT_GPIB_BUS", bus().c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("ZOT_GPIB_BUS");
        fs::remove_all(dir);
    }
    std::string bus() const { return (dir / "bus").string(); }

    // A device at 5 on a bus whose reads are answered by `read`.
    int Open(Script read)
    {
        m_bus = std::make_unique<FakeBus>(bus(), [read](const Frame& r) {
            return r.op == Op::Read ? read(r) : std::vector<Frame>{Answer(r, gpib::kCmpl)};
        });
        return Library().ibdev(0, 5, 0, 10, 1, 0);
    }

    fs::path dir;
    std::unique_ptr<FakeBus> m_bus;
};

TEST_F(GpibStandInTest, AnswersThatBreakTheirLengthsAreRefused)
{
    struct Case {
        const char* name;
        Script read;
        int status;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"more than asked", [](const Frame& r) { return std::vector<Frame>{Answer(r, gpib::kCmpl, std::string(20, 'x'))}; },
         gpib::kErr, ""},
        {"a count that is not the payload's",
         [](const Frame& r) {
             Frame a = Answer(r, gpib::kCmpl, "abc");
             a.count = 8;
             return std::vector<Frame>{a};
         },
         gpib::kErr, ""},
        {"unknown status bits", [](const Frame& r) { return std::vector<Frame>{Answer(r, 0x0001, "abc")}; },
         gpib::kErr, ""},
        {"an old answer first",
         [](const Frame& r) {
             Frame old = Answer(r, gpib::kCmpl, "old");
             old.seq = r.seq - 1;
             return std::vector<Frame>{old, Answer(r, gpib::kCmpl | gpib::kEnd, "new")};
         },
         gpib::kCmpl | gpib::kEnd, "new"},
        {"as it should be", [](const Frame& r) { return std::vector<Frame>{Answer(r, gpib::kCmpl, "12345678")}; },
         gpib::kCmpl, "12345678"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int ud = Open(c.read);
        ASSERT_GT(ud, 0);
        char buffer[8 + 16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(Library().ibrd(ud, buffer, 8), c.status);
        EXPECT_EQ(std::string(buffer, sizeof buffer), (c.stored + std::string(sizeof buffer, '#')).substr(0, sizeof buffer));
        if (c.status & gpib::kErr) {
            EXPECT_EQ(*Library().iberr, gpib::kEdvr);
            EXPECT_EQ(*Library().ibcntl, EPROTO);
        } else {
            EXPECT_EQ(*Library().ibcntl, long(c.stored.size()));
        }
        m_bus.reset();
    }
}

// A bus that never answers: the read ends at its own time-out with a grace.
TEST_F(GpibStandInTest, ASilentBusEndsTheReadAtItsTimeOut)
{
    const int ud = Open([](const Frame&) { return std::vector<Frame>{}; });
    ASSERT_GT(ud, 0);
    EXPECT_EQ(Library().ibtmo(ud, 7), gpib::kCmpl);  // 10 ms
    char buffer[8];
    EXPECT_EQ(Library().ibrd(ud, buffer, sizeof buffer), gpib::kErr | gpib::kTimo);
    EXPECT_EQ(*Library().iberr, gpib::kEabo);
    EXPECT_EQ(*Library().ibcntl, 0);
}

TEST_F(GpibStandInTest, WithoutABusNothingOpens)
{
    EXPECT_EQ(Library().ibdev(0, 5, 0, 10, 1, 0), -1);
    EXPECT_EQ(*Library().ibsta, gpib::kErr);
    EXPECT_EQ(*Library().iberr, gpib::kEdvr);
    EXPECT_EQ(*Library().ibcntl, ENOENT);
}

TEST_F(GpibStandInTest, BadArgumentsNeverReachTheBus)
{
    EXPECT_EQ(Library().ibdev(0, 31, 0, 10, 1, 0), -1);
    EXPECT_EQ(*Library().iberr, gpib::kEarg);
    EXPECT_EQ(Library().ibdev(0, 5, 0, 18, 1, 0), -1);
    EXPECT_EQ(*Library().iberr, gpib::kEarg);
    EXPECT_EQ(Library().ibwrt(9999, "x", 1), gpib::kErr);
    EXPECT_EQ(*Library().iberr, gpib::kEdvr);
    EXPECT_EQ(Library().ibtmo(0, 10), gpib::kErr);
}

} // namespace
} // namespace gensim::test
