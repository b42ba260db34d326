// COM ports on a pseudo-terminal: opening, exclusivity, line settings as
// the terminal reports them, rates, the character channel.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "PtyPeer.h"
#include "internal.h"
#include "morvane.h"

namespace {


speed_t OutputSpeed(const PtyPeer& peer)
{
    termios settings = peer.Settings();
    return cfgetospeed(&settings);
}

class ComPortTest : public testing::Test {
protected:
    void TearDown() override
    {
        port_close();
        for (PortId slot = 0; slot < 4; ++slot)
            XR_PortClose(kCom1 + slot);
    }

    // The line must be raw 8N1 at the given speed, whatever the terminal
    // had before.
    static void ExpectRaw8N1(const termios& t, speed_t speed)
    {
        EXPECT_EQ(cfgetospeed(&t), speed);
        EXPECT_EQ(cfgetispeed(&t), speed);
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_FALSE(t.c_cflag & PARENB);
        EXPECT_FALSE(t.c_cflag & CSTOPB);
        EXPECT_TRUE(t.c_cflag & CLOCAL);
        EXPECT_TRUE(t.c_cflag & CREAD);
        EXPECT_FALSE(t.c_lflag & ICANON);
        EXPECT_FALSE(t.c_lflag & ECHO);
        EXPECT_FALSE(t.c_lflag & ISIG);
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_FALSE(t.c_iflag & IXON);
        EXPECT_FALSE(t.c_iflag & IXOFF);
        EXPECT_FALSE(t.c_iflag & ICRNL);
        EXPECT_FALSE(t.c_iflag & ISTRIP);
    }
};

TEST_F(ComPortTest, OpensRaw8N1At2400AndSetRateChangesOnlyTheSpeed)
{
    PtyPeer peer;
    ASSERT_EQ(XR_PortOpen("com1"), kCom1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    ExpectRaw8N1(peer.Settings(), B2400);
    EXPECT_EQ(XR_PortGetRate(kCom1), 2400);

    ASSERT_EQ(XR_PortSetRate(kCom1, 19200), 1);
    ExpectRaw8N1(peer.Settings(), B19200);
    EXPECT_EQ(XR_PortGetRate(kCom1), 19200);
}

TEST_F(ComPortTest, EveryAllowedRateIsSetAndReadBack)
{
    struct Rate {
        int32_t baud;
        speed_t speed;
    };
    const std::vector<Rate> allowed = {
        {115200, B115200}, {57600, B57600}, {38400, B38400}, {9600, B9600}, {19200, B19200},
        {300, B300},       {600, B600},     {1200, B1200},   {4800, B4800},
    };
    PtyPeer peer;
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    for (const Rate& rate : allowed) {
        SCOPED_TRACE(rate.baud);
        EXPECT_EQ(XR_PortSetRate(kCom1, rate.baud), 1);
        EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
        EXPECT_EQ(OutputSpeed(peer), rate.speed);
        EXPECT_EQ(XR_PortGetRate(kCom1), rate.baud);
    }
}

TEST_F(ComPortTest, RatesOutsideTheTableAreRefusedAndChangeNothing)
{
    PtyPeer peer;
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    ASSERT_EQ(XR_PortSetRate(kCom1, 9600), 1);
    for (int32_t baud : {2400, 0, -9600, 110, 14400, 230400}) {
        SCOPED_TRACE(baud);
        EXPECT_EQ(XR_PortSetRate(kCom1, baud), 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_RATE);
        EXPECT_EQ(OutputSpeed(peer), B9600);
        EXPECT_EQ(XR_PortGetRate(kCom1), 9600);
    }
    // Only a new open brings the line back to 2400.
    ASSERT_EQ(XR_PortClose(kCom1), 1);
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    EXPECT_EQ(XR_PortGetRate(kCom1), 2400);
}

TEST_F(ComPortTest, SecondOpenOfASlotIsRefusedUntilClosed)
{
    PtyPeer peer({}, 3);
    ASSERT_EQ(XR_PortOpen("COM3"), kCom1 + 2);
    EXPECT_EQ(XR_PortOpen("com3"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_OPEN);
    ASSERT_EQ(XR_PortClose(kCom1 + 2), 1);
    EXPECT_EQ(XR_PortClose(kCom1 + 2), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_CLOSED);
    EXPECT_EQ(XR_PortOpen("com3"), kCom1 + 2);
}

TEST_F(ComPortTest, DevicesThatCannotServeAsALineFailWith30002)
{
    PtyPeer peer;
    // Held by another program: the exclusive lock is taken.
    int other = open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(XR_PortOpen("com1"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_CREATE);
    close(other);

    for (const char* path : {"/nonexistent/tty", "/dev/null"}) {
        SCOPED_TRACE(path);
        setenv("MORVANE_COM1", path, 1);
        EXPECT_EQ(XR_PortOpen("com1"), 0u);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_CREATE);
        EXPECT_EQ(XR_PortValidateId(kCom1), 0);
    }
}

TEST_F(ComPortTest, CharactersBothWaysAndFlushDiscardsInput)
{
    PtyPeer peer;
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 0);

    peer.Send("xy");
    ASSERT_TRUE(morvane::ComPort().WaitForInput(kCom1, 2000));
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 1);
    EXPECT_EQ(XR_PortGetChar(kCom1) & 0xFF, 'x');
    ASSERT_EQ(XR_PortFlush(kCom1), 1);
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 0);

    ASSERT_EQ(XR_PortPutChar(kCom1, 0x151), 1);  // only the low 8 bits go out
    ASSERT_TRUE(peer.WaitReceived(1, 2000));
    EXPECT_EQ(peer.Received(), "Q");
}

TEST_F(ComPortTest, WaitForCharBlocksUntilACharacterOrItsTimeOut)
{
    PtyPeer peer;
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(XR_PortWaitForChar(kCom1, 60), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);

    peer.Send("ab");
    ASSERT_EQ(XR_PortWaitForChar(kCom1, 2000), 1);
    EXPECT_EQ(XR_PortGetChar(kCom1) & 0xFF, 'a');
    // What one read took stays for the next calls.
    ASSERT_EQ(XR_PortWaitForChar(kCom1, 0), 1);
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 1);
    EXPECT_EQ(XR_PortGetChar(kCom1) & 0xFF, 'b');
    EXPECT_EQ(XR_PortWaitForChar(kCom1, 0), 0);
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 0);

    EXPECT_EQ(XR_PortWaitForChar(0x7FFF0000, 10), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
}

TEST_F(ComPortTest, AHungUpLineEndsTheWaitAtOnce)
{
    auto peer = std::make_unique<PtyPeer>();
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    peer.reset();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(XR_PortWaitForChar(kCom1, 20000), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_CLOSED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10000));
}

TEST_F(ComPortTest, PutBlockSendsEveryByteInOrder)
{
    PtyPeer::Script script;
    script.echo = false;
    PtyPeer peer(script);
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>((i * 7 + 3) % 251);
    ASSERT_EQ(XR_PortPutBlock(kCom1, reinterpret_cast<const uint8_t*>(bytes.data()), 3000), 1);
    ASSERT_TRUE(peer.WaitReceived(bytes.size(), 5000));
    EXPECT_EQ(peer.Received(), bytes);

    // Refusals name themselves; nothing to put is no refusal.
    EXPECT_EQ(XR_PortPutBlock(kCom1, reinterpret_cast<const uint8_t*>(bytes.data()), -1), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COMMAND_INVALID);
    EXPECT_EQ(XR_PortPutBlock(kCom1, nullptr, 5), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COMMAND_INVALID);
    EXPECT_EQ(XR_PortPutBlock(kCom1, nullptr, 0), 1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
}

TEST_F(ComPortTest, CloseDiscardsUnreadInput)
{
    PtyPeer peer;
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    peer.Send("stale");
    ASSERT_TRUE(morvane::ComPort().WaitForInput(kCom1, 2000));
    ASSERT_EQ(XR_PortClose(kCom1), 1);
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 0);
}

TEST_F(ComPortTest, PeerThatStopsReadingDoesNotHoldTheCaller)
{
    ScopedTimeScale scale("0.05");  // echo limit 250 ms
    PtyPeer::Script script;
    script.read = false;
    PtyPeer peer(script);
    ASSERT_NE(morvane::ComPort().Open("com1"), 0u);

    int sent = 0;
    auto start = std::chrono::steady_clock::now();
    while (XR_PortPutChar(kCom1, 'A') == 1 && sent < (1 << 22))
        ++sent;
    ASSERT_LT(sent, 1 << 22) << "the line never backed up";
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_NO_ECHO);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(250));
    // Bounded by the scaled limit, far below the unscaled 5 s.
    EXPECT_LT(elapsed, std::chrono::milliseconds(4000));
    // A block stuck behind it gives up after the same limit.
    const std::vector<uint8_t> block(4096, 'B');
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(XR_PortPutBlock(kCom1, block.data(), static_cast<int32_t>(block.size())), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_NO_ECHO);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000));
    // Closing with output stuck is bounded too: by the 250 ms drain limit.
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(XR_PortClose(kCom1), 1);
    elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(4000));
}

TEST_F(ComPortTest, AliasOpenTwiceClosesTheFirstPort)
{
    PtyPeer::Script script;
    script.reply = [](const std::string& line) { return line == "VERF?" ? std::string("3.53\r\n>") : ">"; };
    PtyPeer peer(script);
    ASSERT_EQ(port_open("com1"), MORVANE_OK);
    // Without the close the second open would find the slot taken.
    ASSERT_EQ(port_open("com1"), MORVANE_OK);
    EXPECT_EQ(XR_PortValidateId(kCom1), 1);

    char reply[MORVANE_ALIAS_BUFFER_SIZE];
    EXPECT_EQ(port_command("VERF?", reply), MORVANE_OK);
    EXPECT_STREQ(reply, "3.53\r\n");
    EXPECT_EQ(port_command("VERF?", nullptr), MORVANE_OK);
    EXPECT_EQ(port_response(reply), MORVANE_OK);
    EXPECT_STREQ(reply, "3.53\r\n");
    EXPECT_EQ(port_response(nullptr), MORVANE_E_BUFFER_TOO_SMALL);
    EXPECT_EQ(port_shutdown(), 0);
    EXPECT_EQ(port_init(), MORVANE_OK);

    EXPECT_EQ(port_close(), 1);
    EXPECT_EQ(XR_PortValidateId(kCom1), 0);
    EXPECT_EQ(port_close(), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
    EXPECT_EQ(port_open("lpt1"), MORVANE_E_PORT_TYPE);
}

}  // namespace
