// Each scripted fault as the host sees it, and how long faults last.

#include "SimFixture.h"

#include <poll.h>
#include <unistd.h>

namespace gensim::test {
namespace {

struct FaultCase {
    const char* name;
    Fault fault;
    std::string line;
    std::string bytes;  // everything the host receives for the line
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultShapes : public SimFixture, public ::testing::WithParamInterface<FaultCase> {};

// The fault shapes one line; the next line is answered normally.
TEST_P(FaultShapes, ShapeOneLineThenWearOff)
{
    const FaultCase& c = GetParam();
    generator->fault(c.fault);
    host->write(c.line + "\r");
    EXPECT_EQ(host->read(c.bytes.size()), c.bytes);
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
}

INSTANTIATE_TEST_SUITE_P(All, FaultShapes, ::testing::Values(
    FaultCase{"LowerCaseEcho", Fault::lowerCaseEcho(), "VERF?", "verf?\r\n7.011\r\n>"},
    FaultCase{"NoLineFeed", Fault::noLineFeed(), "VERF?", "VERF?\r7.011\r\n>"},
    FaultCase{"EmptyLine", Fault::emptyLine(), "HTOT?;VTOT?", "HTOT?;VTOT?\r\n800\r\n\r\n525\r\n>"},
    FaultCase{"EmptyLineInEmptyReply", Fault::emptyLine(), "HTOT 900", "HTOT 900\r\n\r\n>"},
    FaultCase{"PromptInReply", Fault::promptInReply(1), "VERF?", "VERF?\r\n7>.011\r\n>"},
    FaultCase{"LongReply", Fault::longReply(300), "VERF?", "VERF?\r\n" + std::string(300, 'X') + "\r\n>"},
    FaultCase{"ScriptedReply", Fault::scriptedReply("VERF?", "1.5\r\n>"), "VERF?", "VERF?\r\n1.5\r\n>"},
    FaultCase{"ScriptedRawBytes", Fault::scriptedReply("*IDN?", "no prompt"), "*idn?", "*idn?\r\nno prompt"}));

using Faults = SimFixture;

TEST_F(Faults, SilenceHearsNothingForItsLines)
{
    generator->fault(Fault::silence(2));
    for (int i = 0; i < 2; ++i) {
        host->write("VERF?\r");
        EXPECT_EQ(host->readFor(), "") << "line " << i;
    }
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
    EXPECT_EQ(generator->trace().lines(), std::vector<std::string>{"VERF?"});
}

TEST_F(Faults, CountedFaultLastsItsLinesAndForeverUntilCleared)
{
    generator->fault(Fault::lowerCaseEcho(2));
    EXPECT_EQ(host->command("VERF?"), "verf?\r\n7.011\r\n>");
    EXPECT_EQ(host->command(""), "\r\n>");
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");

    generator->fault(Fault::noLineFeed(Fault::kForever));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(host->command("VERF?"), "VERF?\r7.011\r\n>");
    generator->clearFaults();
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
}

TEST_F(Faults, ScriptedReplyWaitsForItsCommandAndSkipsIt)
{
    generator->fault(Fault::scriptedReply("HTOT 1000", "\r\n>"));
    EXPECT_EQ(host->command("HTOT?"), "HTOT?\r\n800\r\n>");
    EXPECT_EQ(host->command("HTOT 1000"), "HTOT 1000\r\n\r\n>");
    EXPECT_EQ(generator->setting("HTOT"), "800");
    EXPECT_EQ(host->command("HTOT 1000"), "HTOT 1000\r\n>");
    EXPECT_EQ(generator->setting("HTOT"), "1000");
}

TEST_F(Faults, PauseBeforeAReplyCharacter)
{
    generator->fault(Fault::pauseBeforeChar(2, 1500));
    host->write("VERF?\r");
    EXPECT_EQ(host->read(9), "VERF?\r\n7.");
    EXPECT_EQ(host->readFor(), "");
    EXPECT_EQ(host->readUntil('>'), "011\r\n>");
}

TEST_F(Faults, SlowPromptsDelayEveryPrompt)
{
    generator->fault(Fault::slowPrompt(1500, 2));
    for (int i = 0; i < 2; ++i) {
        host->write("\r");
        EXPECT_EQ(host->read(2), "\r\n");
        EXPECT_EQ(host->readFor(), "") << "prompt " << i;
        EXPECT_EQ(host->readUntil('>'), ">");
    }
    EXPECT_EQ(host->command(""), "\r\n>");
}

TEST_F(Faults, DroppedLinkStopsMidLineUntilCleared)
{
    generator->fault(Fault::dropLink(3));
    host->write("VERF?\r");
    EXPECT_EQ(host->readUntil('\n', kQuiet), "VER");
    host->write("VERF?\r");
    EXPECT_EQ(host->readFor(), "");
    generator->clearFaults();
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
}

TEST_F(Faults, DroppedLinkCanCutTheReply)
{
    generator->fault(Fault::dropLink(9));
    host->write("VERF?\r");
    EXPECT_EQ(host->readFor(), "VERF?\r\n7.");
    EXPECT_EQ(generator->trace().lines(), std::vector<std::string>{"VERF?"});
}

TEST_F(Faults, HangUpClosesTheLine)
{
    generator->fault(Fault::dropLink(0, true));
    host->write("VERF?\r");
    pollfd p{host->fd(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    char c = 0;
    EXPECT_LE(::read(host->fd(), &c, 1), 0);
}

} // namespace
} // namespace gensim::test
