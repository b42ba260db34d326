// The reply reader over a scripted character stream: what is stored, what
// is returned and which code ends the read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morvane.h"
#include "reply_reader.h"

namespace {

constexpr size_t kNever = std::string::npos;

// Characters of a string; the end of the string is a time-out, and the
// overall limit passes once outOfTimeAfter characters were read.
class StringSource : public morvane::ReplySource {
public:
    explicit StringSource(std::string bytes, size_t outOfTimeAfter = kNever)
        : bytes_(std::move(bytes)), outOfTimeAfter_(outOfTimeAfter)
    {
    }
    Wait WaitForCharacter() override
    {
        if (next_ >= outOfTimeAfter_)
            return Wait::OutOfTime;
        return next_ < bytes_.size() ? Wait::Ready : Wait::Silent;
    }
    char ReadCharacter() override { return bytes_.at(next_++); }
    std::string Unread() const { return bytes_.substr(next_); }

private:
    std::string bytes_;
    size_t outOfTimeAfter_;
    size_t next_ = 0;
};

// An empty line, then n characters that are dropped.
std::string Babble(size_t n)
{
    return "A\r\n\r\n" + std::string(n, 'x');
}

struct ReplyCase {
    const char* name;
    std::string stream;
    uint32_t length;
    std::string stored;  // the buffer up to its NUL
    int32_t result;
    int32_t error;
    std::string unread;  // what stays on the port
    size_t outOfTimeAfter = kNever;
};

// The empty line's CR and LF count as dropped, so 4094 more reach the cap.
constexpr size_t kBabbleToCap = morvane::kMaxDroppedChars - 2;

const std::vector<ReplyCase> kCases = {
    {"one line", "3.53\r\n>", 6000, "3.53\r\n", 6, MORVANE_OK, ""},
    {"only a line end", "\r\n>", 6000, "", 2, MORVANE_OK, ""},
    {"empty line drops the rest", "A\r\n\r\nB\r\n>", 6000, "A\r\n", 3, MORVANE_OK, ""},
    {"several lines kept", "A\r\nB\r\nC\r\n>", 6000, "A\r\nB\r\nC\r\n", 9, MORVANE_OK, ""},
    {"line feeds alone are not empty lines", "A\n\nB>", 6000, "A\n\nB", 4, MORVANE_OK, ""},
    {"second CR drops what follows", "A\r\rB\r\n>", 6000, "A\r", 2, MORVANE_OK, ""},
    {"line ends before text", "\r\nX\r\n>", 6000, "\r\nX\r\n", 5, MORVANE_OK, ""},
    {"only carriage returns", "\r\r\r>", 6000, "", 1, MORVANE_OK, ""},
    {"prompt alone", ">", 6000, "", 0, MORVANE_OK, ""},
    {"prompt inside the text ends it", "x>y>", 6000, "x", 1, MORVANE_OK, "y>"},
    {"refusal is plain text here", "Command invalid\r\n>", 6000, "Command invalid\r\n", 17, MORVANE_OK, ""},
    {"time-out keeps what came", "partial", 6000, "partial", 7, MORVANE_E_TIMEOUT, ""},
    {"time-out before anything", "", 6000, "", 0, MORVANE_E_TIMEOUT, ""},
    {"time-out after line ends only", "\r\n", 6000, "\r\n", 2, MORVANE_E_TIMEOUT, ""},
    {"full buffer", "ABCDEFGHIJKLMNOPQRST>", 10, "ABCDEFGHI", 9, MORVANE_E_BUFFER_FULL, "JKLMNOPQRST>"},
    {"full buffer leaves even the prompt", "ABCDEFGHI>", 10, "ABCDEFGHI", 9, MORVANE_E_BUFFER_FULL, ">"},
    {"one less than full", "ABCDEFGH>", 10, "ABCDEFGH", 8, MORVANE_OK, ""},
    {"dropped characters take no room", "AB\r\n\r\nCDEFGHIJKLM>", 10, "AB\r\n", 4, MORVANE_OK, ""},
    {"text after an empty line does not count", "\r\n\r\n\r\n\r\n\r\nA>", 10, "", 2, MORVANE_OK, ""},
    {"dropped characters up to the cap", Babble(kBabbleToCap) + ">", 6000, "A\r\n", 3, MORVANE_OK, ""},
    {"one dropped character beyond the cap", Babble(kBabbleToCap + 1) + ">", 6000, "A\r\n", 3,
     MORVANE_E_BUFFER_FULL, ">"},
    {"endless babble after an empty line", Babble(100000), 6000, "A\r\n", 3, MORVANE_E_BUFFER_FULL,
     std::string(100000 - kBabbleToCap - 1, 'x')},
    {"overall limit keeps what came", "ABCDEF\r\n>", 6000, "ABC", 3, MORVANE_E_BUFFER_FULL, "DEF\r\n>", 3},
    {"overall limit before anything", "3.53\r\n>", 6000, "", 0, MORVANE_E_BUFFER_FULL, "3.53\r\n>", 0},
    {"overall limit while dropping", Babble(10), 6000, "A\r\n", 3, MORVANE_E_BUFFER_FULL, "xxxxx", 10},
};

TEST(ReplyReader, StoresReturnsAndReportsAsTheTableSays)
{
    for (const ReplyCase& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<char> buffer(c.length + 16, '#');
        StringSource source(c.stream, c.outOfTimeAfter);
        morvane::ReplyResult result = morvane::ReadReply(source, buffer.data(), c.length);
        EXPECT_EQ(result.stored, c.result);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(std::string(buffer.data()), c.stored);
        EXPECT_EQ(source.Unread(), c.unread);
        // Nothing beyond the buffer's length.
        for (size_t i = c.length; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], '#') << "byte " << i;
    }
}

TEST(ReplyReader, RefusesShortBuffersWithoutTouchingThem)
{
    for (uint32_t length : {0u, 1u, 9u}) {
        SCOPED_TRACE(length);
        std::string buffer(12, '#');
        StringSource source("3.53\r\n>");
        morvane::ReplyResult result = morvane::ReadReply(source, buffer.data(), length);
        EXPECT_EQ(result.stored, 0);
        EXPECT_EQ(result.error, MORVANE_E_BUFFER_TOO_SMALL);
        EXPECT_EQ(buffer, std::string(12, '#'));
        EXPECT_EQ(source.Unread(), "3.53\r\n>");
    }
}

}  // namespace
