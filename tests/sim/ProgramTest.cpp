// The gensim program: its options, the environment it prints and writes,
// and a clean stop on SIGTERM.

#include "HostPort.h"
#include "WireSocket.h"

#include "DriverClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace gensim::test {
namespace {

namespace fs = std::filesystem;

// gensim run as a child with its standard output and error on a pipe.
class Program {
public:
    explicit Program(std::vector<std::string> args)
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, out[1], 2);
        args.insert(args.begin(), GENSIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int rc = posix_spawn(&m_pid, GENSIM_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
        if (rc != 0)
            throw std::runtime_error("posix_spawn");
    }

    ~Program()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
    }

    // Output up to the n-th line end, or what came before the time ran out.
    std::string readLines(int n)
    {
        std::string got;
        char c = 0;
        while (n > 0) {
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, 5000) != 1 || ::read(m_out, &c, 1) != 1)
                break;
            got.push_back(c);
            n -= c == '\n';
        }
        return got;
    }

    // Waits for the program to end (its pipe closes) and returns its
    // exit status, or -1 when it did not end in time.
    int waitForExit()
    {
        char buffer[256];
        for (;;) {
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, 5000) != 1)
                return -1;
            const ssize_t n = ::read(m_out, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_rest.append(buffer, size_t(n));
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void signal(int sig) { kill(m_pid, sig); }
    // What waitForExit read: the output after the last readLines.
    const std::string& rest() const { return m_rest; }

private:
    std::string m_rest;
    pid_t m_pid = -1;
    int m_out = -1;
};

// The file gensim writes its environment to (renamed into place whole), once
// it is there; empty when it did not come in time.
std::string writtenEnv(const fs::path& path)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < until)
        poll(nullptr, 0, 10);
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// "*IDN?" over the bus socket at path to address:board, and its reply.
std::string busIdentity(const fs::path& path, int address, int board)
{
    WireSocket host = WireSocket::connect(path);
    if (!host.valid())
        return "<no bus>";
    gpib::Frame f;
    f.op = gpib::Op::Write;
    f.flags = gpib::kEoi | gpib::kCallEnd;
    f.board = board;
    f.address = address;
    f.payload = "*IDN?";
    f.seq = 1;
    if (!host.send(f) || !host.receive(kWait))
        return "<no answer to the write>";
    f.op = gpib::Op::Read;
    f.payload.clear();
    f.count = 100;
    f.timeoutMs = 1000;
    f.seq = 2;
    std::optional<gpib::Frame> a = host.send(f) ? host.receive(kWait) : std::nullopt;
    return a ? a->payload : "<no answer to the read>";
}

class GensimProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/gensim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
};

TEST_F(GensimProgram, WritesTheEnvironmentThenStopsOnSigterm)
{
    fs::path env = dir / "env";
    fs::path link = dir / "com1";
    Program gensim({"--env-file", env, "--link", link.string(), "--generator", "--baud", "19200",
                    "--model", "VG-2", "--serial", "77"});
    std::string printed = writtenEnv(env);
    std::string first = "MORVANE_COM1=" + link.string() + "\n";
    ASSERT_EQ(printed.substr(0, first.size()), first) << printed;
    ASSERT_EQ(printed.compare(first.size(), 18, "MORVANE_COM2=/dev/"), 0) << printed;

    {
        HostPort com1(link, 9600);
        EXPECT_EQ(com1.command("VERF?"), "VERF?\r\n7.011\r\n>");
        std::string second = printed.substr(first.size() + 13);
        second.pop_back();
        HostPort com2(second, 19200);
        EXPECT_EQ(com2.command("*IDN?"), "*IDN?\r\nVeltrane,VG-2,77,7.011\r\n>");
    }

    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
    EXPECT_EQ(gensim.rest(), "com1          VG-7000, firmware 7.011, serial 000001, 9600 baud\n"
                             "com2          VG-2, firmware 7.011, serial 77, 19200 baud\n")
        << "the lines went to the file only, the generators are listed";
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

// The demo set is the one the tools rely on: each generator's port, model
// and firmware.
TEST_F(GensimProgram, DemoStartsItsSetWithLinksBesideTheEnvFile)
{
    fs::path env = dir / "env";
    Program gensim({"--demo", "--env-file", env});
    EXPECT_EQ(gensim.readLines(8), "com1          VG-7000, firmware 7.041, serial 100001, 9600 baud\n"
                                   "com2          VG-7000, firmware 7.041, serial 100002, 115200 baud\n"
                                   "com3          VG-7000, firmware 2.453, serial 100007, 115200 baud\n"
                                   "com4          R72Q, firmware 7.041, serial 100008, 115200 baud\n"
                                   "gpib5:0       VG-7000, firmware 7.011, serial 100003\n"
                                   "isa0          VG-7000, firmware 3.05, serial 100004\n"
                                   "pci1          VG-7000, firmware 7.045, serial 100005\n"
                                   "pci2          VG-7000, firmware 7.011, serial 100006\n");
    std::string expected;
    for (const char* com : {"1", "2", "3", "4"})
        expected += std::string("MORVANE_COM") + com + "=" + (dir / ("com" + std::string(com))).string() + "\n";
    expected += "ZOT_GPIB_BUS=" + (dir / "gpib").string() + "\n" + "MORVANE_GPIB_LIBRARY=" GPIB_STANDIN "\n"
              + "MORVANE_WINDRVR=" + (dir / "windrvr").string() + "\n";
    EXPECT_EQ(writtenEnv(env), expected);
    EXPECT_FALSE(fs::exists(dir / "env.tmp"));

    struct Port {
        const char* link;
        int baud;
        const char* identity;
    };
    const Port ports[] = {
        {"com1", 9600, "*IDN?\r\nVeltrane,VG-7000,100001,7.041\r\n>"},
        {"com2", 115200, "*IDN?\r\nVeltrane,VG-7000,100002,7.041\r\n>"},
        {"com3", 115200, "*IDN?\r\nVeltrane,VG-7000,100007,2.453\r\n>"},
        {"com4", 115200, "*IDN?\r\nVeltrane,R72Q,100008,7.041\r\n>"},
    };
    for (const Port& p : ports) {
        HostPort port(dir / p.link, p.baud);
        EXPECT_EQ(port.command("*IDN?"), p.identity) << p.link;
    }
    // COM4's three video boards: red, green and blue.
    HostPort com4(dir / "com4", 115200);
    EXPECT_EQ(com4.command("VBPR?"), "VBPR?\r\n1,1,1\r\n>");
    // The fifth at GPIB address 5 on board 0.
    EXPECT_EQ(busIdentity(dir / "gpib", 5, 0), "Veltrane,VG-7000,100003,7.011\n");
    // The sixth on the ISA card in slot 0 (base 0x300).
    auto client = driver::DriverClient::Connect(dir / "windrvr");
    ASSERT_NE(client, nullptr);
    std::optional<driver::Registration> card = client->Register({{driver::ResourceKind::Io, 1, 0x300, 8}});
    ASSERT_TRUE(card.has_value());
    EXPECT_NE(card->memory, nullptr);
    // The last two on PCI cards 1 and 2; after them the stream card, cabled to COM1.
    EXPECT_EQ(client->PciScan(0x1F3A, 0x5C20)->cards.size(), 2u);
    const std::optional<driver::PciScanAnswer> any = client->PciScan(0x1F3A, 0);
    ASSERT_TRUE(any.has_value());
    ASSERT_EQ(any->cards.size(), 3u);
    EXPECT_EQ(any->cards[2].device, 0x5C21u);
    client.reset();
    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
}

TEST_F(GensimProgram, LineTimeAlsoPacesGeneratorsGivenAfterIt)
{
    fs::path link = dir / "com2";
    Program gensim({"--line-time", "--generator", "--baud", "1200", "--link", link.string()});
    gensim.readLines(2);
    HostPort port(link, 1200);
    const auto start = std::chrono::steady_clock::now();
    const std::string got = port.command("*IDN?");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(got, "*IDN?\r\nVeltrane,VG-7000,000001,7.011\r\n>");
    // The first character heard, then all of it back in a row.
    EXPECT_GE(took, std::chrono::duration<double>((got.size() + 1) * 10.0 / 1200));
}

TEST_F(GensimProgram, StopsOnSigint)
{
    Program gensim({});
    EXPECT_EQ(gensim.readLines(1).rfind("MORVANE_COM1=/dev/", 0), 0u);
    gensim.signal(SIGINT);
    EXPECT_EQ(gensim.waitForExit(), 0);
}

TEST_F(GensimProgram, RefusesBadOptions)
{
    struct Bad {
        std::vector<std::string> args;
        std::string message;
    };
    std::vector<Bad> cases = {
        {{"--baud", "2401"}, "baud rate 2401"},
        {{"--baud", "fast"}, "--baud needs a number"},
        {{"--model"}, "--model needs a value"},
        {{"--colour", "red"}, "unknown option --colour"},
        {{"--generator", "--model=A,B"}, "model must be"},
        {{"stray"}, "unexpected argument"},
        {{"--demo", "--baud", "9600"}, "--demo brings its own generators"},
        {{"--generator", "--demo"}, "--demo brings its own generators"},
        {{"--gpib", "x"}, "--gpib needs an address"},
        {{"--gpib", "5:"}, "--gpib needs an address"},
        {{"--gpib", "31"}, "GPIB address 31:0"},
        {{"--gpib", "5", "--generator", "--gpib", "5:0"}, "GPIB address 5:0 is taken"},
        {{"--isa", "8"}, "ISA slot 8"},
        {{"--isa", "one"}, "--isa needs a number"},
        {{"--isa", "0", "--generator", "--isa", "0"}, "two generators on ISA slot 0"},
        {{"--isa", "0", "--pci"}, "not on both"},
        {{"--driver-version", "-1"}, "--driver-version cannot be negative"},
        {{"--gpib-library="}, "--gpib-library needs a path"},
        {{"--isa", "0", "--flash-part", "2"}, "flash part type 2"},
        {{"--isa", "0", "--isa-identity", "9x0596"}, "--isa-identity needs up to six hexadecimal digits"},
        {{"--isa", "0", "--isa-identity", "1000000"}, "--isa-identity needs up to six hexadecimal digits"},
    };
    for (const Bad& b : cases) {
        Program gensim(b.args);
        std::string said = gensim.readLines(1);
        EXPECT_NE(said.find(b.message), std::string::npos) << said;
        EXPECT_EQ(gensim.waitForExit(), 2) << b.message;
    }
}

// A generator on the bus only, one on the bus and a pty, and one on a pty:
// COM lines for the ptys, the bus beside them.
TEST_F(GensimProgram, PrintsTheGpibBusBesideTheComLines)
{
    fs::path env = dir / "env";
    fs::path bus = dir / "bus";
    Program gensim({"--env-file", env, "--gpib-bus", bus, "--generator", "--gpib", "5", "--generator", "--gpib",
                    "6:1", "--com", "--serial", "66"});
    std::string printed = writtenEnv(env);
    ASSERT_EQ(printed.rfind("MORVANE_COM1=/dev/", 0), 0u) << printed;
    const std::size_t second = printed.find('\n') + 1;
    ASSERT_EQ(printed.compare(second, 18, "MORVANE_COM2=/dev/"), 0) << printed;
    const std::size_t third = printed.find('\n', second) + 1;
    EXPECT_EQ(printed.substr(third), "ZOT_GPIB_BUS=" + bus.string() + "\nMORVANE_GPIB_LIBRARY=" GPIB_STANDIN "\n")
        << "the stand-in beside gensim in its build tree";

    struct Case {
        int address;
        int board;
        std::string identity;
    };
    const Case cases[] = {{5, 0, "Veltrane,VG-7000,000001,7.011\n"}, {6, 1, "Veltrane,VG-7000,66,7.011\n"}};
    for (const Case& c : cases)
        EXPECT_EQ(busIdentity(bus, c.address, c.board), c.identity);
    {
        std::string com2 = printed.substr(second + 13, third - second - 14);
        HostPort port(com2, 9600);
        EXPECT_EQ(port.command("*IDN?"), "*IDN?\r\nVeltrane,VG-7000,66,7.011\r\n>");
    }
    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(bus)));
}

// A generator on a card has no pty: the driver's socket is printed instead,
// and a host finds the card behind it.
TEST_F(GensimProgram, PutsAGeneratorOnAnIsaCardBehindTheDriverSocket)
{
    fs::path socket = dir / "windrvr";
    Program gensim({"--windrvr", socket.string(), "--driver-version", "431", "--isa", "3", "--generator",
                    "--link", (dir / "com1").string()});
    EXPECT_EQ(gensim.readLines(2), "MORVANE_COM1=" + (dir / "com1").string() + "\nMORVANE_WINDRVR=" + socket.string()
                                       + "\n");
    auto client = driver::DriverClient::Connect(socket);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->Version()->version, 431u);
    std::optional<driver::Registration> card = client->Register({{driver::ResourceKind::Io, 1, 0x318, 8}});
    ASSERT_TRUE(card.has_value());
    EXPECT_NE(card->memory, nullptr) << "slot 3's card at 0x318";
    client.reset();

    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(socket)));
}

// Generators on PCI cards are numbered in the order given, pci1 first.
TEST_F(GensimProgram, PutsGeneratorsOnPciCardsInOrder)
{
    fs::path socket = dir / "windrvr";
    Program gensim({"--windrvr", socket.string(), "--pci", "--serial", "11", "--generator", "--pci", "--serial",
                    "12"});
    EXPECT_EQ(gensim.readLines(1), "MORVANE_WINDRVR=" + socket.string() + "\n");
    auto client = driver::DriverClient::Connect(socket);
    ASSERT_NE(client, nullptr);
    std::optional<driver::PciScanAnswer> scan = client->PciScan(0x1F3A, 0);
    ASSERT_TRUE(scan.has_value());
    ASSERT_EQ(scan->cards.size(), 2u);
    EXPECT_EQ(scan->cards[0].location.slot + 1, scan->cards[1].location.slot);
    client.reset();
    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
}

// Hosts run elsewhere: a socket or library path given relative is printed
// whole.
TEST_F(GensimProgram, ARelativePathIsPrintedAbsolute)
{
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    Program gensim({"--windrvr", "sock", "--gpib-library", "lib/gpib.so", "--gpib-bus", "bus", "--isa", "1"});
    fs::current_path(before);
    EXPECT_EQ(gensim.readLines(3), "ZOT_GPIB_BUS=" + (dir / "bus").string() + "\nMORVANE_GPIB_LIBRARY="
                                       + (dir / "lib/gpib.so").string() + "\nMORVANE_WINDRVR="
                                       + (dir / "sock").string() + "\n");
    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
}

TEST_F(GensimProgram, ACardWithoutASocketPathUsesTheHostsDefault)
{
    const char* before = std::getenv("XDG_RUNTIME_DIR");
    const std::string kept = before ? before : "";
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    Program gensim({"--isa", "0"});
    if (before)
        setenv("XDG_RUNTIME_DIR", kept.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(gensim.readLines(1), "MORVANE_WINDRVR=" + (dir / "windrvr").string() + "\n");
    gensim.signal(SIGTERM);
    EXPECT_EQ(gensim.waitForExit(), 0);
}

TEST_F(GensimProgram, RefusesToReplaceAFileWithItsLink)
{
    fs::path taken = dir / "com1";
    std::ofstream(taken) << "keep me";
    Program gensim({"--link", taken.string()});
    EXPECT_NE(gensim.readLines(1).find("not a symbolic link"), std::string::npos);
    EXPECT_EQ(gensim.waitForExit(), 1);
    std::ifstream kept(taken);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "keep me");
}

} // namespace
} // namespace gensim::test
