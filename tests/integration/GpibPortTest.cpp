// The real library through the stand-in GPIB library against the
// simulator's bus: replies as the generator sends them in bus messages,
// opens, file sends and a bus that goes away.

#include "morvane.h"

#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using gensim::BusEvent;
using gensim::Fault;
using Events = std::vector<BusEvent>;

constexpr PortId kFirstGpib = 0x80000;

class GpibPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zot-gpib-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);
        setenv("ZOT_GPIB_BUS", Bus().c_str(), 1);
    }

    void TearDown() override
    {
        for (PortId id : m_opened)
            XR_PortClose(id);
        m_sim.stop();
        unsetenv("ZOT_GPIB_BUS");
        unsetenv("MORVANE_GPIB_LIBRARY");
        fs::remove_all(m_dir);
    }

    std::string Bus() const { return (m_dir / "bus").string(); }

    gensim::Generator& Add(int address, int board = 0)
    {
        return m_sim.addGenerator({.serial = "4711", .pty = false, .gpib = gensim::GpibAddress{address, board}});
    }

    void Start()
    {
        m_sim.openGpibBus(Bus());
        m_sim.start();
    }

    PortId Open(const char* spec)
    {
        PortId id = XR_PortOpen(spec);
        if (id != 0)
            m_opened.push_back(id);
        return id;
    }

    fs::path File(const std::string& name, const std::string& bytes)
    {
        fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static Events Since(gensim::Generator& g, std::size_t mark)
    {
        const Events all = g.busTrace().events();
        return Events(all.begin() + long(std::min(mark, all.size())), all.end());
    }

    fs::path m_dir;
    gensim::Simulator m_sim;
    std::vector<PortId> m_opened;
};

// What the library stores of a reply the generator sends as bus messages.
TEST_F(GpibPortTest, RepliesAsTheLibraryStoresThem)
{
    struct Case {
        const char* name;
        std::vector<std::string> messages;
        uint32_t length;
        std::string stored;  // what the buffer holds up to its NUL
        int32_t count;
        int32_t error;
    };
    const std::string line450(450, 'x');
    const std::string twenty = "abcdefghijklmnopqrst";
    const std::vector<Case> cases = {
        {"one line", {"3.53\n"}, 6000, "3.53\r\n", 5, MORVANE_OK},
        {"two lines", {"A\r\n", "B\n"}, 6000, "A\r\nB\r\n", 5, MORVANE_OK},
        {"450-byte line", {line450 + "\n"}, 6000, line450 + "\r\n", 451, MORVANE_OK},
        {"LF alone", {"\n"}, 6000, "", 1, MORVANE_OK},
        {"nothing", {}, 6000, "", 0, MORVANE_E_TIMEOUT},
        // A line end that promises more, then nothing: the start of a reply cut short.
        {"text, then nothing", {"A\r\n"}, 6000, "A\r\n", 3, MORVANE_E_TIMEOUT},
        {"20 into 10 bytes", {twenty + "\n"}, 10, "abcdefgh", 8, MORVANE_OK},
        {"a refusal is text", {"Command invalid\n"}, 6000, "Command invalid\r\n", 16, MORVANE_OK},
        {"length 0", {"3.53\n"}, 0, "untouched", 0, MORVANE_E_BUFFER_TOO_SMALL},
        {"length 1", {"3.53\n"}, 1, "untouched", 0, MORVANE_E_BUFFER_TOO_SMALL},
        {"length 9", {"3.53\n"}, 9, "untouched", 0, MORVANE_E_BUFFER_TOO_SMALL},
        {"length 10", {"3.53\n"}, 10, "3.53\r\n", 5, MORVANE_OK},
        {"length 10, line of 9", {"123456789\n"}, 10, "12345678", 8, MORVANE_OK},
    };
    gensim::Generator& g = Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_EQ(id, kFirstGpib);
    ASSERT_EQ(XR_PortGetError(), MORVANE_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.fault(Fault::busMessages("Q?", c.messages));
        std::string buffer(6000 + 16, '#');
        std::strcpy(buffer.data(), "untouched");
        const int32_t count = XR_PortSendCommand(id, "Q?", buffer.data(), int32_t(c.length));
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(XR_PortGetError(), c.error);
        EXPECT_EQ(std::string(buffer.c_str()), c.stored);
        // Nothing past the length was written.
        const std::size_t past = std::max<std::size_t>(c.length, sizeof "untouched");
        EXPECT_EQ(buffer.find_first_not_of('#', past), std::string::npos);
        g.clearFaults();
    }
}

// A reply read by itself, and a second command that finds the unread rest
// of a refused one gone.
TEST_F(GpibPortTest, ANewCommandDiscardsAReplyLeftUnread)
{
    gensim::Generator& g = Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(XR_PortSendCommand(id, "XYZZ 1", nullptr, 0), 0);  // refused: "Command invalid" waits
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    char reply[100];
    EXPECT_EQ(XR_PortSendCommand(id, "HRES?", reply, sizeof reply), 4);
    EXPECT_STREQ(reply, "640\r\n");

    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", nullptr, 0), 0);
    EXPECT_EQ(XR_PortGetResponse(id, reply, sizeof reply), 6);
    EXPECT_STREQ(reply, "7.011\r\n");
    EXPECT_EQ(g.trace().lines(), (std::vector<std::string>{"verf?", "XYZZ 1", "HRES?", "VERF?"}));
}

TEST_F(GpibPortTest, OpensCheckTheTableBeforeTheBus)
{
    Add(5, 0);
    Add(5, 1);
    Start();
    EXPECT_EQ(Open("gpib5:0"), kFirstGpib);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    EXPECT_EQ(Open("GPIB5:0"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_OPEN);
    EXPECT_EQ(Open("gpib5:1"), kFirstGpib + 1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);

    // Empty addresses open, with the handshake's 1000, until 20 are open.
    for (int address = 10; address < 28; ++address) {
        const std::string spec = "gpib" + std::to_string(address) + ":0";
        ASSERT_NE(Open(spec.c_str()), 0u) << spec;
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_HANDSHAKE) << spec;
    }
    EXPECT_EQ(Open("gpib28:0"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_TOO_MANY);
    EXPECT_EQ(XR_PortClose(m_opened.back()), 1);
    m_opened.pop_back();
    EXPECT_EQ(Open("gpib28:0"), kFirstGpib + 19);
}

TEST_F(GpibPortTest, OpensThatTheBusRefuses)
{
    struct Case {
        const char* spec;
        bool bus;
        PortId id;
        int32_t error;
    };
    const Case cases[] = {
        {"gpib7:0", true, kFirstGpib, MORVANE_E_HANDSHAKE},  // nobody listens there
        {"gpib5:3", true, 0, MORVANE_E_GPIB_DEVICE},         // a board without generators
        {"gpib5:0", false, 0, MORVANE_E_GPIB_DEVICE},        // no bus at all
    };
    Add(5);
    m_sim.start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        if (c.bus)
            m_sim.openGpibBus(Bus());
        else
            m_sim.closeGpibBus();
        EXPECT_EQ(Open(c.spec), c.id);
        EXPECT_EQ(XR_PortGetError(), c.error);
        if (c.id != 0) {
            EXPECT_EQ(XR_PortClose(c.id), 1);
            m_opened.clear();
        }
    }
}

// The bus goes away under an open port and comes back: the stand-in makes
// its connection again.
TEST_F(GpibPortTest, ADroppedBusIsReconnected)
{
    Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    char reply[100];
    m_sim.closeGpibBus();
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_STATUS);
    EXPECT_EQ(XR_PortIsShutDown(id), 1);

    m_sim.openGpibBus(Bus());
    EXPECT_EQ(XR_PortIsShutDown(id), 0);
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 6);
    EXPECT_STREQ(reply, "7.011\r\n");
}

// Once the bus has gone away and come back, a port opened again answers
// the handshake: its open leaves no error.
TEST_F(GpibPortTest, AnOpenAfterTheBusCameBackLeavesNoError)
{
    Add(5);
    Start();
    PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    char reply[100];
    m_sim.closeGpibBus();
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 0);
    m_sim.openGpibBus(Bus());
    for (int again = 0; again < 3; ++again) {
        SCOPED_TRACE(again);
        EXPECT_EQ(XR_PortClose(id), 1);
        m_opened.clear();
        id = Open("gpib5:0");
        ASSERT_NE(id, 0u);
        EXPECT_EQ(XR_PortGetError(), 0);
        EXPECT_EQ(XR_PortIsShutDown(id), 0);
        EXPECT_EQ(XR_PortSendCommand(id, "*IDN?", reply, sizeof reply) > 0, true);
    }
}

TEST_F(GpibPortTest, CharactersAreOneByteBusTransfers)
{
    gensim::Generator& g = Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    const std::size_t mark = g.busTrace().size();
    EXPECT_EQ(XR_PortIsCharAvailable(id), 0);
    for (char c : std::string("*IDN?"))
        EXPECT_EQ(XR_PortPutChar(id, c), 1);
    // Each byte was a message of its own: none made a command.
    EXPECT_EQ(g.trace().lines(), (std::vector<std::string>{"verf?", "*", "I", "D", "N", "?"}));
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", nullptr, 0), 0);
    EXPECT_EQ(XR_PortGetChar(id) & 0xFF, '7');
    EXPECT_EQ(XR_PortGetChar(id) & 0xFF, '.');
    EXPECT_EQ(Since(g, mark).size(), 5u + 1 + 2);

    g.fault(Fault::silence());
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", nullptr, 0), 0);
    EXPECT_EQ(XR_PortGetChar(id) & 0xFF, 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_STATUS);
}

TEST_F(GpibPortTest, WriteErrorsAndSilence)
{
    gensim::Generator& g = Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    char reply[100];
    g.fault(Fault::busWriteError());
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_STATUS);

    g.fault(Fault::silence());
    const std::size_t mark = g.busTrace().size();
    EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(Since(g, mark), (Events{BusEvent::write("VERF?", true), BusEvent::timeout(300)}));
    EXPECT_EQ(XR_PortIsShutDown(id), 0);  // well again
}

// --- File sends ---------------------------------------------------------------

TEST_F(GpibPortTest, FileSendsPutTheirBytesOnTheBus)
{
    struct Case {
        const char* name;
        std::string file;
        int32_t size;
        int32_t mode;  // 0: GpibSendFile
        Events events;
    };
    const std::string ten = "0123456789";
    const std::string big(123456, 'A');
    // Sums: '0'..'9' is 48 * 10 + 45; 123456 'A's are 123456 * 65.
    const std::vector<Case> cases = {
        {"flash command", ten, 10, 1,
         {BusEvent::write("FLSH 10", true), BusEvent::write(ten, false), BusEvent::flash(10, 525)}},
        {"flash block", big, 123456, 2,
         {BusEvent::write("FLSH #6123456", false), BusEvent::write(big, false), BusEvent::flash(123456, 8024640)}},
        {"flash block, any mode but 1", ten, 10, 7,
         {BusEvent::write("FLSH #210", false), BusEvent::write(ten, false), BusEvent::flash(10, 525)}},
        {"plain file", ten, 0, 0, {BusEvent::write(ten, false), BusEvent::file(10, 525)}},
    };
    gensim::Generator& g = Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = File("send.bin", c.file);
        XR_PortOpen("lpt1");  // 2000, which the sends leave as it is
        const std::size_t mark = g.busTrace().size();
        const int32_t sent = c.mode == 0 ? GpibSendFile(id, path.c_str(), 99)
                                         : GpibSendFlashFile(id, path.c_str(), c.size, c.mode);
        EXPECT_EQ(sent, 1);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
        EXPECT_EQ(Since(g, mark), c.events);
        // Back to EOI and the short time-out: a query is answered at once.
        char reply[100];
        EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 6);
    }
}

// A file that cannot be read fails with 50007; EOI and the 300 ms
// time-out are back for the next command.
TEST_F(GpibPortTest, AMissingFileFailsAndRestoresTheSettings)
{
    struct Case {
        const char* name;
        int address;
        int32_t mode;  // 0: GpibSendFile
        Events sent;   // before the file failed
    };
    const Case cases[] = {
        {"plain file", 5, 0, {}},
        {"flash command", 6, 1, {BusEvent::write("FLSH 10", true)}},
        {"flash block", 7, 2, {BusEvent::write("FLSH #210", false)}},
    };
    for (const Case& c : cases)
        Add(c.address);
    Start();
    const std::string missing = (m_dir / "missing.bin").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gensim::Generator& g = m_sim.generator(std::size_t(c.address - 5));
        const PortId id = Open(("gpib" + std::to_string(c.address) + ":0").c_str());
        ASSERT_NE(id, 0u);
        const std::size_t mark = g.busTrace().size();
        const int32_t sent = c.mode == 0 ? GpibSendFile(id, missing.c_str(), 0)
                                         : GpibSendFlashFile(id, missing.c_str(), 10, c.mode);
        EXPECT_EQ(sent, 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_TRANSFER);
        EXPECT_EQ(Since(g, mark), c.sent);

        g.fault(Fault::silence());
        char reply[100];
        EXPECT_EQ(XR_PortSendCommand(id, "VERF?", reply, sizeof reply), 0);
        Events expected = c.sent;
        expected.push_back(BusEvent::write("VERF?", true));
        expected.push_back(BusEvent::timeout(300));
        EXPECT_EQ(Since(g, mark), expected);
    }
}

TEST_F(GpibPortTest, FileSendsRefuseBadArgumentsBeforeTheBus)
{
    gensim::Generator& g = Add(5);
    Start();
    const PortId id = Open("gpib5:0");
    ASSERT_NE(id, 0u);
    const std::string path = File("ten.bin", "0123456789").string();
    const std::size_t mark = g.busTrace().size();
    EXPECT_EQ(GpibSendFlashFile(id, nullptr, 10, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_TRANSFER);
    EXPECT_EQ(GpibSendFlashFile(id, path.c_str(), -1, 2), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_TRANSFER);
    EXPECT_EQ(GpibSendFile(id, nullptr, 0), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_TRANSFER);
    EXPECT_EQ(GpibSendFile(kFirstGpib + 7, path.c_str(), 0), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_CLOSED);
    EXPECT_EQ(GpibSendFlashFile(kFirstGpib + 20, path.c_str(), 10, 1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_GPIB_BAD_ID);
    EXPECT_EQ(Since(g, mark), Events{});
}

} // namespace
