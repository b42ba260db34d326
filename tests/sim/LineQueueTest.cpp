// The timing of one direction of a serial line, on a clock of its own.

#include "gensim/LineQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
using Clock = LineQueue::Clock;

const Clock::time_point t0 = Clock::time_point(1h);

TEST(LineQueue, CharacterTimeIsTenBitsRoundedUp)
{
    struct Row {
        int rate;
        std::chrono::nanoseconds expected;
    };
    const Row rows[] = {
        {300, 33'333'334ns},  // 33 333 333.3
        {2400, 4'166'667ns},  // 4 166 666.7
        {9600, 1'041'667ns},  // 1 041 666.7
        {19200, 520'834ns},   // 520 833.3
        {115200, 86'806ns},   // 86 805.6
        {0, 0ns},
    };
    for (const Row& r : rows)
        EXPECT_EQ(LineQueue::charTime(r.rate), r.expected) << r.rate;
}

TEST(LineQueue, EachCharacterIsThroughAtItsMomentAndNotBefore)
{
    struct Push {
        std::string bytes;
        Clock::duration ready;  // after t0
        Clock::duration perChar;
    };
    struct Row {
        const char* what;
        std::vector<Push> pushes;
        std::vector<Clock::duration> through;  // after t0, one per character
    };
    const Row rows[] = {
        {"one push", {{"abc", 0ms, 1ms}}, {1ms, 2ms, 3ms}},
        {"a push waits for the line", {{"ab", 0ms, 1ms}, {"c", 0ms, 1ms}}, {1ms, 2ms, 3ms}},
        {"an idle line starts when ready", {{"a", 0ms, 1ms}, {"b", 10ms, 1ms}}, {1ms, 11ms}},
        {"another rate after the first", {{"a", 0ms, 1ms}, {"b", 0ms, 10ms}}, {1ms, 11ms}},
        {"no line time: in order, at once", {{"ab", 5ms, 0ms}, {"c", 0ms, 0ms}}, {5ms, 5ms, 5ms}},
    };
    for (const Row& r : rows) {
        LineQueue q;
        std::string sent;
        for (const Push& p : r.pushes) {
            q.push(p.bytes, t0 + p.ready, p.perChar);
            sent += p.bytes;
        }
        ASSERT_EQ(sent.size(), r.through.size()) << r.what;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            char c = 0;
            Clock::time_point at;
            EXPECT_FALSE(q.take(t0 + r.through[i] - 1ns, c, at)) << r.what << ", character " << i;
            ASSERT_TRUE(q.take(t0 + r.through[i], c, at)) << r.what << ", character " << i;
            EXPECT_EQ(c, sent[i]) << r.what;
            EXPECT_EQ(at, t0 + r.through[i]) << r.what << ", character " << i;
        }
        EXPECT_TRUE(q.empty()) << r.what;
    }
}

TEST(LineQueue, PartWrittenOutputStaysQueuedAtItsTimes)
{
    LineQueue q;
    q.push("abcd", t0, 1ms);
    EXPECT_EQ(q.end(), t0 + 4ms);
    EXPECT_EQ(q.due(t0 + 2500us), "ab");
    q.pop(1);  // the host's queue took one byte of two
    EXPECT_EQ(q.due(t0 + 2500us), "b");
    Clock::time_point next;
    ASSERT_TRUE(q.nextDue(next));
    EXPECT_EQ(next, t0 + 2ms);
    q.pop(1);
    EXPECT_EQ(q.due(t0 + 2500us), "");
    EXPECT_EQ(q.due(t0 + 4ms), "cd");
    q.pop(2);
    EXPECT_TRUE(q.empty());
    EXPECT_FALSE(q.nextDue(next));
}

} // namespace
} // namespace gensim::test
