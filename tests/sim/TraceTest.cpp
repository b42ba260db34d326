// The command trace tests read from their own thread.

#include "SimFixture.h"

namespace gensim::test {
namespace {

using TraceOfCommands = SimFixture;

TEST_F(TraceOfCommands, RecordsEveryLineWithItsReply)
{
    host->command("");
    host->command("HTOT 900");
    host->command("HTOT?;VTOT?");
    host->command("BOGUS");
    std::vector<TraceEntry> expected = {
        {"", ""},
        {"HTOT 900", ""},
        {"HTOT?;VTOT?", "900\r\n525\r\n"},
        {"BOGUS", "Command invalid\r\n"},
    };
    EXPECT_EQ(generator->trace().entries(), expected);
}

TEST_F(TraceOfCommands, RecordsScriptedRepliesAsSent)
{
    generator->fault(Fault::scriptedReply("VERF?", "2.0\r\n>"));
    host->command("VERF?");
    std::vector<TraceEntry> expected = {{"VERF?", "2.0\r\n>"}};
    EXPECT_EQ(generator->trace().entries(), expected);
}

TEST_F(TraceOfCommands, ClearStartsAfresh)
{
    host->command("VERF?");
    generator->trace().clear();
    EXPECT_EQ(generator->trace().size(), 0u);
    host->command("*IDN?");
    EXPECT_EQ(generator->trace().lines(), std::vector<std::string>{"*IDN?"});
}

TEST_F(TraceOfCommands, WaitForSizeSeesLinesSentWithoutReadingReplies)
{
    host->write("HTOT 900\rVTOT 600\r");
    EXPECT_TRUE(generator->trace().waitForSize(2, kWait));
    EXPECT_EQ(generator->trace().lines(), (std::vector<std::string>{"HTOT 900", "VTOT 600"}));
    EXPECT_FALSE(generator->trace().waitForSize(3, 50ms));
}

TEST_F(TraceOfCommands, EachGeneratorKeepsItsOwn)
{
    GeneratorOptions second;
    second.baudRate = 19200;
    Generator& other = simulator->addGenerator(second);
    HostPort otherHost(other.comPath(), 19200);
    EXPECT_EQ(otherHost.command("VERF?"), "VERF?\r\n7.011\r\n>");
    host->command("HTOT?");
    EXPECT_EQ(other.trace().lines(), std::vector<std::string>{"VERF?"});
    EXPECT_EQ(generator->trace().lines(), std::vector<std::string>{"HTOT?"});
}

} // namespace
} // namespace gensim::test
