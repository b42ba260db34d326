// The generator's YMODEM sides on its serial line, driven byte by byte with
// a clock of the test's own: what "YMDI" and "YMDO" answer, the blocks,
// and when the line goes back to commands.

#include "gensim/Generator.h"
#include "gensim/SerialLine.h"

#include <gtest/gtest.h>

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
        return text(line.receive(bytes, generator.baudRate(), t0 + at));
    }
    std::string tick(Clock::duration at) { return text(line.tick(t0 + at)); }

    static std::string text(const SerialOutput& out)
    {
        std::string all;
        for (const OutputChunk& chunk : out.chunks)
            all += chunk.bytes;
        return all;
    }

    Generator generator{GeneratorOptions{}};
    SerialLine line{generator};
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

TEST_F(YmodemLine, TenQuietSecondsGiveTheLineBack)
{
    send("YMDI \r");
    Clock::time_point due;
    ASSERT_TRUE(line.nextDeadline(due));
    EXPECT_EQ(due, t0 + 10s);
    EXPECT_EQ(tick(9900ms), "");
    EXPECT_EQ(send("\x01", 9900ms), "");  // the start of a block, not echoed
    // A block cut short is asked for again after a second.
    EXPECT_EQ(tick(10900ms), "C");
    EXPECT_EQ(tick(20900ms), "");
    EXPECT_FALSE(line.nextDeadline(due));
    EXPECT_EQ(send("\x01", 21s), "\x01");  // a command character, echoed
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
