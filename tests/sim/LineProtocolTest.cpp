// The generator's side of the serial line: echo, acknowledge, prompt,
// and answering only at its own speed.

#include "SimFixture.h"

#include "gensim/SerialLine.h"

#include <termios.h>

namespace gensim::test {
namespace {

using LineProtocol = SimFixture;

TEST_F(LineProtocol, EchoesAcknowledgesRepliesAndPrompts)
{
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
}

TEST_F(LineProtocol, CommandWithoutReplyGetsOnlyThePrompt)
{
    EXPECT_EQ(host->command("HTOT 900"), "HTOT 900\r\n>");
    EXPECT_EQ(generator->setting("HTOT"), "900");
}

TEST_F(LineProtocol, BareCarriageReturnsAreAnsweredWithPrompts)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(host->command(""), "\r\n>") << "prompt " << i;
}

TEST_F(LineProtocol, MnemonicsAreTakenInAnyCase)
{
    EXPECT_EQ(host->command("verf?"), "verf?\r\n7.011\r\n>");
}

TEST_F(LineProtocol, OverlongLineIsRefusedWhole)
{
    std::string line(SerialLine::kMaxLine + 10, 'A');
    EXPECT_EQ(host->command(line), line + "\r\nCommand invalid\r\n>");
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
}

TEST_F(LineProtocol, OtherSpeedsGetSilence)
{
    for (int baud : {2400, 19200, 115200}) {
        host->setBaud(baud);
        host->write("\r");
        EXPECT_EQ(host->readFor(), "") << "at " << baud;
    }
    host->setBaud(9600);
    EXPECT_EQ(host->command(""), "\r\n>");
}

// The generator learns the host's speed when the host changes its settings;
// a host that clears all its local flags (the one that has changes told)
// must be heard at its speed all the same.
TEST_F(LineProtocol, TheHostsSpeedIsFollowedWhateverItsLocalFlags)
{
    for (bool clearLocalFlags : {false, true}) {
        SCOPED_TRACE(clearLocalFlags ? "local flags cleared" : "local flags kept");
        open({});
        if (clearLocalFlags) {
            termios t{};
            ASSERT_EQ(tcgetattr(host->fd(), &t), 0);
            t.c_lflag = 0;
            ASSERT_EQ(tcsetattr(host->fd(), TCSANOW, &t), 0);
        }
        for (int baud : {2400, 9600, 115200, 9600, 19200}) {
            host->setBaud(baud);
            if (baud == 9600) {
                EXPECT_EQ(host->command(""), "\r\n>") << "at " << baud;
                continue;
            }
            host->write("\r");
            EXPECT_EQ(host->readFor(), "") << "at " << baud;
        }
    }
}

// What the host does to its terminal besides writing (flushes, settings)
// is never heard as characters.
TEST_F(LineProtocol, FlushesAndSettingsAreNotCharacters)
{
    host->write("VER");
    ASSERT_EQ(host->read(3), "VER");
    ASSERT_EQ(tcflush(host->fd(), TCIOFLUSH), 0);
    host->setBaud(9600);
    ASSERT_EQ(tcflush(host->fd(), TCOFLUSH), 0);
    EXPECT_EQ(host->command("F?"), "F?\r\n7.011\r\n>");
}

TEST_F(LineProtocol, GeneratorAnswersAtItsConfiguredRate)
{
    GeneratorOptions options;
    options.baudRate = 19200;
    open(options);
    host->setBaud(9600);
    host->write("\r");
    EXPECT_EQ(host->readFor(), "");
    host->setBaud(19200);
    EXPECT_EQ(host->command(""), "\r\n>");
}

TEST_F(LineProtocol, CharactersAtAnotherSpeedAreDroppedFromTheLine)
{
    host->setBaud(2400);
    host->write("VER");
    EXPECT_EQ(host->readFor(), "");
    host->setBaud(9600);
    EXPECT_EQ(host->command("F?"), "F?\r\nCommand invalid\r\n>");
}

TEST_F(LineProtocol, ModeAnswersAtTheOldRateThenSwitches)
{
    EXPECT_EQ(host->command("MODE COM1 19200 N 8 1 H"), "MODE COM1 19200 N 8 1 H\r\n>");
    EXPECT_EQ(generator->baudRate(), 19200);
    host->write("\r");
    EXPECT_EQ(host->readFor(), "");
    host->setBaud(19200);
    EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
}

TEST_F(LineProtocol, RefusedModeKeepsTheRate)
{
    for (std::string line : {"MODE COM1 2401 N 8 1 H", "MODE COM2 19200 N 8 1 H", "MODE COM1 19200 E 8 1 H",
                             "MODE COM1 fast", "MODE COM1"}) {
        std::string reply = host->command(line);
        EXPECT_NE(reply.find("Execution error: "), std::string::npos) << line << ": " << reply;
    }
    EXPECT_EQ(generator->baudRate(), 9600);
}

} // namespace
} // namespace gensim::test
