// The generator's YMODEM sides on its serial line, driven byte by byte with
// a clock of the test's own: what "YMDI" and "YMDO" answer, the blocks,
// and when the line goes back to commands.

#include "gensim/Generator.h"
#include "gensim/SerialLine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
using Clock = SerialLine::Clock;

const std::string kAck = "\x06";
const std::string kEot = "\x04";
// The header of "z.mem", 128 bytes long, and its CRC 0x75E1 (worked out by hand).
const std::string kHeader = std::string("\x01\x00\xFF", 3) + std::string("z.mem\0" "128 0", 12) + std::string(116, '\0')
                          + "\x75\xE1";
// 128 zero bytes as block 1: the CRC of zeros is 0.
const std::string kZeroBlock = std::string("\x01\x01\xFE", 3) + std::string(130, '\0');
const std::string kNullHeader = std::string("\x01\x00\xFF", 3) + std::string(130, '\0');

class YmodemLine : public ::testing::Test {
protected:
    std::string send(const std::string& bytes, Clock::duration at = 0s)
    {
        return text(line->receive(bytes, generator.baudRate(), t0 + at));
    }
    std::string tick(Clock::duration at) { return text(line->tick(t0 + at)); }

    static std::string text(const SerialOutput& out)
    {
        std::string all;
        for (const OutputChunk& chunk : out.chunks)
            all += chunk.bytes;
        return all;
    }

    Generator generator{GeneratorOptions{}};
    std::unique_ptr<SerialLine> line = std::make_unique<SerialLine>(generator);
    Clock::time_point t0 = Clock::now();
};

TEST_F(YmodemLine, YmdiTakesAFileAndAsksOnceMore)
{
    EXPECT_EQ(send("YMDI \r"), "YMDI \r\nReady to receive\r\nC");
    EXPECT_EQ(send(kHeader), kAck + "C");
    EXPECT_EQ(send(kZeroBlock), kAck);
    EXPECT_EQ(send(kEot), kAck + "C");
    EXPECT_EQ(generator.ymodem().file("z.mem"), std::string(128, '\0'));
    // The first byte that starts no block is a command again.
    EXPECT_EQ(send("VERF?\r"), "VERF?\r\n7.011\r\n>");
}

TEST_F(YmodemLine, YmdoSendsTheFilesItHoldsThenTheNullHeader)
{
    generator.ymodem().put("z.mem", std::string(128, '\0'));
    EXPECT_EQ(send("YMDO z.mem none.mem\r"), "YMDO z.mem none.mem\r\nReady to send\r\n");
    EXPECT_EQ(send("C"), kHeader);
    EXPECT_EQ(send(kAck), "");
    EXPECT_EQ(send("C"), kZeroBlock);
    EXPECT_EQ(send("\x15"), kZeroBlock);  // NAK: again
    EXPECT_EQ(send(kAck), kEot);
    EXPECT_EQ(send(kAck), "");
    EXPECT_EQ(send("C"), kNullHeader);
    EXPECT_EQ(send(kAck + "VERF?\r"), "VERF?\r\n7.011\r\n>");
}

// A sender that missed the first "C" is asked again after ten quiet
// seconds, and so is one that missed the request for the first data block.
TEST_F(YmodemLine, ARequestTheSenderMissedIsRepeated)
{
    EXPECT_EQ(send("YMDI \r"), "YMDI \r\nReady to receive\r\nC");
    EXPECT_EQ(tick(9900ms), "");
    EXPECT_EQ(tick(10s), "C");
    EXPECT_EQ(send(kHeader, 12s), kAck + "C");
    EXPECT_EQ(tick(21900ms), "");
    EXPECT_EQ(tick(22s), "C");
    EXPECT_EQ(send(kZeroBlock, 23s), kAck);
    EXPECT_EQ(send(kEot, 23s), kAck + "C");
    EXPECT_EQ(generator.ymodem().file("z.mem"), std::string(128, '\0'));
}

// Ten requests in all, ten seconds apart, whether for a header or for the
// first data block; then the line takes commands again.
TEST_F(YmodemLine, TenUnansweredRequestsGiveTheLineBack)
{
    for (bool header : {true, false}) {
        SCOPED_TRACE(header ? "header" : "first data block");
        line = std::make_unique<SerialLine>(generator);
        ASSERT_EQ(send("YMDI \r"), "YMDI \r\nReady to receive\r\nC");
        if (!header) {
            ASSERT_EQ(send(kHeader), kAck + "C");
        }
        for (int k = 1; k < 10; ++k)
            EXPECT_EQ(tick(k * 10s), "C") << k;
        Clock::time_point due;
        ASSERT_TRUE(line->nextDeadline(due));
        EXPECT_EQ(due, t0 + 100s);
        EXPECT_EQ(tick(100s), "");
        EXPECT_FALSE(line->nextDeadline(due));
        EXPECT_EQ(send("\x01", 101s), "\x01");  // a command character, echoed
    }
}

// A request counts as one of the ten; a later data block is refused.
TEST_F(YmodemLine, ABlockCutShortIsAskedForAgainAfterASecond)
{
    const std::string secondBlock = std::string("\x01\x02\xFD", 3) + std::string(130, '\0');
    send("YMDI \r");
    EXPECT_EQ(send("\x01", 9900ms), "");  // the start of a header, not echoed
    EXPECT_EQ(tick(10900ms), "C");
    EXPECT_EQ(send(kHeader, 11s), kAck + "C");
    EXPECT_EQ(send(kZeroBlock.substr(0, 50), 11s), "");
    EXPECT_EQ(tick(12s), "C");
    EXPECT_EQ(send(kZeroBlock, 12s), kAck);
    EXPECT_EQ(send(secondBlock.substr(0, 50), 12s), "");
    EXPECT_EQ(tick(13s), "\x15");  // NAK
    EXPECT_EQ(send(secondBlock, 13s), kAck);
}

// Once the data flows, ten quiet seconds end the transfer.
TEST_F(YmodemLine, TenQuietSecondsInTheDataGiveTheLineBack)
{
    send("YMDI \r");
    send(kHeader);
    EXPECT_EQ(send(kZeroBlock, 1s), kAck);
    EXPECT_EQ(tick(10900ms), "");
    Clock::time_point due;
    ASSERT_TRUE(line->nextDeadline(due));
    EXPECT_EQ(due, t0 + 11s);
    EXPECT_EQ(tick(11s), "");
    EXPECT_FALSE(line->nextDeadline(due));
    EXPECT_EQ(send("\x01", 11s), "\x01");
}

// A sender that missed the ACK of its EOT or of its null header sends it
// again and gets the ACK again; a repeat cut short is dropped, and the next
// command is answered either way.
TEST_F(YmodemLine, ARepeatedEndIsAcknowledgedAgain)
{
    const struct {
        const char* what;
        std::string eots;
        std::string headers;
    } rows[] = {
        {"EOT twice", kEot, ""},
        {"null header twice", "", kNullHeader},
        {"null header three times", "", kNullHeader + kNullHeader},
        {"null header cut short", "", kNullHeader.substr(0, 40)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        line = std::make_unique<SerialLine>(generator);
        send("YMDI \r");
        send(kHeader);
        send(kZeroBlock);
        ASSERT_EQ(send(kEot), kAck + "C");
        EXPECT_EQ(send(row.eots), std::string(row.eots.size(), '\x06'));
        EXPECT_EQ(send(kNullHeader), kAck);
        EXPECT_EQ(send(row.headers), std::string(row.headers.size() / kNullHeader.size(), '\x06'));
        EXPECT_EQ(send("VERF?\r"), "VERF?\r\n7.011\r\n>");
    }
}

TEST_F(YmodemLine, AHostAbortGivesTheLineBack)
{
    generator.ymodem().put("z.mem", "abc");
    send("YMDO z.mem\r");
    // "z.mem", NUL, "3 0", NULs; CRC 0x868C
    EXPECT_EQ(send("C"), kHeader.substr(0, 9) + "3 0" + std::string(119, '\0') + "\x86\x8C");
    EXPECT_EQ(send(std::string(8, '\x18') + "VERF?\r"), "VERF?\r\n7.011\r\n>");
}

} // namespace
} // namespace gensim::test
