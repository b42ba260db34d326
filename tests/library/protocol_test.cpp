// The command protocol against a scripted generator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PtyPeer.h"
#include "internal.h"
#include "morvane.h"

namespace {

// Every handshake the open makes: three carriage returns.
const std::string kHandshake = "\r\r\r";

std::string Generator(const std::string& line)
{
    if (line == "VERF?")
        return "3.53\r\n>";
    if (line == "BAD")
        return "Command invalid\r\n>";
    if (line == "FAIL")
        return "Execution error: 7\r\n>";
    if (line == "LONG")
        return std::string(20, 'L') + "\r\n>";
    if (line == "NOPROMPT")
        return "partial";
    return ">";
}

// Echoes, but sends nothing after a command's carriage return; still
// answers the handshake so the port opens.
PtyPeer::Script Unacknowledged()
{
    PtyPeer::Script script;
    script.acknowledge = "";
    script.reply = [](const std::string& line) { return line.empty() ? std::string(">") : std::string(); };
    return script;
}

class ProtocolTest : public testing::Test {
protected:
    void TearDown() override { XR_PortClose(kCom1); }

    // Starts the peer and opens COM1 through the handshake.
    void Open(PtyPeer::Script script = {})
    {
        if (!script.reply)
            script.reply = Generator;
        peer_.reset();  // its destructor clears MORVANE_COM1
        peer_ = std::make_unique<PtyPeer>(script);
        ASSERT_EQ(XR_PortOpen("com1"), kCom1);
        ASSERT_EQ(XR_PortGetError(), MORVANE_OK);
    }

    // What the port sent after the handshake.
    std::string Sent() const { return peer_->Received().substr(kHandshake.size()); }

    std::unique_ptr<PtyPeer> peer_;
};

TEST_F(ProtocolTest, CommandIsEchoedAcknowledgedAndAnswered)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[6000];
    EXPECT_EQ(XR_PortSendCommand(kCom1, "VERF?", reply, sizeof reply), 6);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    EXPECT_STREQ(reply, "3.53\r\n");
    EXPECT_EQ(peer_->Received(), kHandshake + "VERF?\r");
}

TEST_F(ProtocolTest, RefusalsEmptyTheReplyAndSetTheCode)
{
    struct Case {
        const char* command;
        int32_t result;
        int32_t error;
    };
    ASSERT_NO_FATAL_FAILURE(Open());
    for (Case c : {Case{"BAD", 17, MORVANE_E_COMMAND_INVALID}, Case{"FAIL", 20, MORVANE_E_EXECUTION}}) {
        SCOPED_TRACE(c.command);
        char reply[100] = "old";
        EXPECT_EQ(XR_PortSendCommand(kCom1, c.command, reply, sizeof reply), c.result);
        EXPECT_EQ(XR_PortGetError(), c.error);
        EXPECT_STREQ(reply, "");
    }
}

TEST_F(ProtocolTest, WithoutABufferTheReplyStaysOnThePortUnchecked)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(XR_PortSendCommand(kCom1, "BAD", nullptr, 0), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    char reply[100];
    EXPECT_EQ(XR_PortGetResponse(kCom1, reply, sizeof reply), 17);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    EXPECT_STREQ(reply, "Command invalid\r\n");
}

TEST_F(ProtocolTest, EmptyCommandSendsOnlyTheCarriageReturn)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[100];
    EXPECT_EQ(XR_PortSendCommand(kCom1, "", reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    EXPECT_EQ(Sent(), "\r");
}

TEST_F(ProtocolTest, CommandOf255IsSentAnd256IsRefusedAfterTheFlush)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[100];
    std::string longest(255, 'A');
    EXPECT_EQ(XR_PortSendCommand(kCom1, longest.c_str(), reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_OK);
    EXPECT_EQ(Sent(), longest + "\r");

    peer_->Send("stale");
    ASSERT_TRUE(morvane::ComPort().WaitForInput(kCom1, 2000));
    std::string tooLong(256, 'A');
    EXPECT_EQ(XR_PortSendCommand(kCom1, tooLong.c_str(), reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COMMAND_TOO_LONG);
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 0);
    EXPECT_EQ(Sent(), longest + "\r");
}

TEST_F(ProtocolTest, EchoAndAcknowledgeFaults)
{
    struct Case {
        const char* name;
        PtyPeer::Script script;
        int32_t error;
        std::string sent;  // the command stops at the fault
    };
    PtyPeer::Script silent;
    silent.echo = false;
    PtyPeer::Script wrongCase;
    wrongCase.wrongEchoFor = 'X';
    wrongCase.wrongEchoAs = 'x';
    PtyPeer::Script noLineFeed = Unacknowledged();
    PtyPeer::Script otherAck;
    otherAck.acknowledge = "Z";
    const std::vector<Case> cases = {
        {"no echo", silent, MORVANE_E_NO_ECHO, "A"},
        {"wrong echo", wrongCase, MORVANE_E_BAD_ECHO, "AX"},
        {"no line feed", noLineFeed, MORVANE_E_NO_ECHO, "AXB\r"},
        {"other acknowledge", otherAck, MORVANE_E_NO_ACK, "AXB\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Open(c.script));
        ScopedTimeScale scale("0.02");  // after the open: 5 s limits become 100 ms
        char reply[100] = "old";
        EXPECT_EQ(XR_PortSendCommand(kCom1, "AXB", reply, sizeof reply), 0);
        EXPECT_EQ(XR_PortGetError(), c.error);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_STREQ(reply, "old");
        XR_PortClose(kCom1);
    }
}

TEST_F(ProtocolTest, BuffersTooSmallAreRefusedAfterTheAcknowledge)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[100];
    for (int32_t length : {9, 0, -1}) {
        SCOPED_TRACE(length);
        std::memset(reply, '#', sizeof reply);
        EXPECT_EQ(XR_PortSendCommand(kCom1, "VERF?", reply, length), 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_BUFFER_TOO_SMALL);
        EXPECT_EQ(reply[0], '#');
        // The reply is still there for a proper buffer.
        EXPECT_EQ(XR_PortGetResponse(kCom1, reply, sizeof reply), 6);
        EXPECT_STREQ(reply, "3.53\r\n");
    }
    EXPECT_EQ(XR_PortGetResponse(kCom1, nullptr, 100), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_BUFFER_TOO_SMALL);
}

TEST_F(ProtocolTest, FullBufferKeepsTheRestOnThePort)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[10];
    EXPECT_EQ(XR_PortSendCommand(kCom1, "LONG", reply, sizeof reply), 9);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_BUFFER_FULL);
    EXPECT_STREQ(reply, "LLLLLLLLL");
    EXPECT_EQ(XR_PortIsCharAvailable(kCom1), 1);
}

TEST_F(ProtocolTest, ReplyWithoutPromptTimesOutKeepingWhatCame)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    ScopedTimeScale scale("0.02");
    char reply[100];
    EXPECT_EQ(XR_PortSendCommand(kCom1, "NOPROMPT", reply, sizeof reply), 7);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_STREQ(reply, "partial");
}

// A generator that keeps talking after an empty line, one character at a
// time and without its prompt.
PtyPeer::Script Babbler(size_t characters, int apartMs)
{
    PtyPeer::Script script;
    script.trickle = true;
    script.trickleMs = apartMs;
    script.reply = [characters](const std::string& line) {
        return line == "TALK" ? "A\r\n\r\n" + std::string(characters, 'x') : std::string(">");
    };
    return script;
}

template <typename Call>
int64_t MillisecondsOf(Call call)
{
    auto start = std::chrono::steady_clock::now();
    call();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

TEST_F(ProtocolTest, BabbleAfterAnEmptyLineEndsAtTheCapOnDroppedCharacters)
{
    // Far more than the cap, as fast as the line takes it: only the cap ends it.
    ASSERT_NO_FATAL_FAILURE(Open(Babbler(200000, 0)));
    char reply[6000];
    EXPECT_EQ(XR_PortSendCommand(kCom1, "TALK", reply, sizeof reply), 3);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_BUFFER_FULL);
    EXPECT_STREQ(reply, "A\r\n");
}

TEST_F(ProtocolTest, SlowBabbleEndsAtTheOverallLimit)
{
    // 2000 characters 5 ms apart stay below the cap and take 10 s; scaled,
    // the overall limit is 3 s and the wait between characters 100 ms.
    ASSERT_NO_FATAL_FAILURE(Open(Babbler(2000, 5)));
    ScopedTimeScale scale("0.01");
    char reply[6000];
    int32_t stored = 0;
    int64_t ms = MillisecondsOf([&] { stored = XR_PortSendCommand(kCom1, "TALK", reply, sizeof reply); });
    EXPECT_EQ(stored, 3);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_BUFFER_FULL);
    EXPECT_STREQ(reply, "A\r\n");
    EXPECT_GE(ms, 2950) << "ended before the overall limit"; // both clocks round to milliseconds
    EXPECT_LT(ms, 9000) << "the reply ran until the generator stopped";
}

TEST_F(ProtocolTest, InitializeSendsInit)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(XR_PortInitialize(kCom1), 1);
    EXPECT_EQ(Sent(), "INIT\r");
}

TEST_F(ProtocolTest, NullCommandIsRefusedWithoutTraffic)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[100];
    EXPECT_EQ(XR_PortSendCommand(kCom1, nullptr, reply, sizeof reply), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COMMAND_INVALID);
    EXPECT_EQ(Sent(), "");
}

TEST(Handshake, SilentGeneratorLeavesThePortOpenWith1000)
{
    ScopedTimeScale scale("0.1");
    PtyPeer::Script silent;
    silent.echo = false;
    silent.reply = [](const std::string&) { return std::string(); };
    PtyPeer peer(silent);
    PortId id = XR_PortOpen("com1");
    EXPECT_EQ(id, kCom1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_HANDSHAKE);
    EXPECT_EQ(XR_PortIsShutDown(id), 1);
    EXPECT_EQ(XR_PortClose(id), 1);
}

TEST(Handshake, ThreePromptsWithinOneSecond)
{
    struct Case {
        int promptDelayMs;
        int32_t shutDown;
    };
    // The budget is one second for all three prompts, not per prompt.
    for (Case c : {Case{50, 0}, Case{200, 0}, Case{400, 1}, Case{600, 1}}) {
        SCOPED_TRACE(c.promptDelayMs);
        PtyPeer::Script slow;
        slow.replyDelayMs = c.promptDelayMs;
        PtyPeer peer(slow);
        ASSERT_NE(morvane::ComPort().Open("com1"), 0u);
        EXPECT_EQ(XR_PortIsShutDown(kCom1), c.shutDown);
        XR_PortClose(kCom1);
    }
}

// The real lengths of the protocol's waits, without the time scale.
using ProtocolWaits = ProtocolTest;

TEST_F(ProtocolWaits, EchoWaitIsFiveSeconds)
{
    PtyPeer::Script silent;
    silent.echo = false;
    ASSERT_NO_FATAL_FAILURE(Open(silent));
    int64_t ms = MillisecondsOf([] { XR_PortSendCommand(kCom1, "VERF?", nullptr, 0); });
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_NO_ECHO);
    EXPECT_GE(ms, 5000);
    EXPECT_LT(ms, 5800);
}

TEST_F(ProtocolWaits, LineFeedWaitIsFiveSeconds)
{
    ASSERT_NO_FATAL_FAILURE(Open(Unacknowledged()));
    int64_t ms = MillisecondsOf([] { XR_PortSendCommand(kCom1, "VERF?", nullptr, 0); });
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_NO_ECHO);
    EXPECT_GE(ms, 5000);
    EXPECT_LT(ms, 5800);
}

TEST_F(ProtocolWaits, ReplyCharacterWaitIsTenSeconds)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    char reply[100];
    int64_t ms = MillisecondsOf([&] { XR_PortSendCommand(kCom1, "NOPROMPT", reply, sizeof reply); });
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_GE(ms, 10000);
    EXPECT_LT(ms, 10800);
}

TEST_F(ProtocolWaits, HandshakeBudgetIsOneSecond)
{
    PtyPeer::Script silent;
    silent.echo = false;
    silent.reply = [](const std::string&) { return std::string(); };
    peer_ = std::make_unique<PtyPeer>(silent);
    int64_t ms = MillisecondsOf([] { XR_PortOpen("com1"); });
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_HANDSHAKE);
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 1500);
}

}  // namespace
