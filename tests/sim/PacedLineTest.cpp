// A paced generator takes each character's 10 bits at its rate, both when it
// hears the host and when it answers. Asserted only as lower bounds: a
// loaded machine may be slower than the line, never faster.

#include "SimFixture.h"

namespace gensim::test {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::duration<double> lineTime(std::size_t characters, int rate)
{
    return std::chrono::duration<double>(10.0 * double(characters) / rate);
}

class PacedLine : public SimFixture {
protected:
    void openPaced(int rate)
    {
        GeneratorOptions options;
        options.baudRate = rate;
        options.lineTime = true;
        open(options);
    }
};

TEST_F(PacedLine, HearingAndAnsweringTakeTheLineTime)
{
    struct Row {
        int rate;
        std::string line;
        std::size_t replyLength;  // a long reply of this many characters; 0: the generator's own
        std::string back;         // echo, CR LF, reply, prompt
    };
    auto longAnswer = [](std::string line, std::size_t length) {
        return line + "\r\n" + std::string(length, 'X') + "\r\n>";
    };
    const std::string mode = "MODE COM1 115200 N 8 1 H";
    const Row rows[] = {
        {1200, std::string(10, 'A'), 30, longAnswer(std::string(10, 'A'), 30)},
        {9600, std::string(100, 'A'), 300, longAnswer(std::string(100, 'A'), 300)},
        {115200, std::string(1000, 'A'), 3000, longAnswer(std::string(1000, 'A'), 3000)},
        {2400, "VERF?", 0, "VERF?\r\n7.011\r\n>"},
        // Its prompt still goes at the old rate.
        {1200, mode, 0, mode + "\r\n>"},
    };
    for (const Row& r : rows) {
        openPaced(r.rate);
        if (r.replyLength > 0)
            generator->fault(Fault::longReply(r.replyLength));
        const auto start = Clock::now();
        host->write(r.line + "\r");
        ASSERT_TRUE(generator->trace().waitForSize(1, kWait)) << r.rate;
        const auto heard = Clock::now() - start;
        const std::string got = host->readUntil('>');
        const auto answered = Clock::now() - start;

        EXPECT_EQ(got, r.back) << r.rate;
        // The line and its CR, one character after the other.
        EXPECT_GE(heard, lineTime(r.line.size() + 1, r.rate)) << r.rate;
        // The first character heard, then everything back in a row.
        EXPECT_GE(answered, lineTime(r.back.size() + 1, r.rate)) << r.rate;
    }
}

TEST_F(PacedLine, AFaultsPauseStartsWhenTheBytesBeforeItAreThrough)
{
    openPaced(115200);
    generator->fault(Fault::longReply(3000));
    generator->fault(Fault::slowPrompt(200));
    const auto start = Clock::now();
    const std::string got = host->command("");
    const auto answered = Clock::now() - start;
    EXPECT_EQ(got, "\r\n" + std::string(3000, 'X') + "\r\n>");
    EXPECT_GE(answered, lineTime(got.size() + 1, 115200) + std::chrono::milliseconds(200));
}

} // namespace
} // namespace gensim::test
