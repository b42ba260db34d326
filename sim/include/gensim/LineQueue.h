// One direction of a serial line. Characters pass in order; with a line
// time each is through only after its 10 bits at the rate, following the one
// before it, so a paced generator is no faster than a cable. Without a line
// time a character is through as soon as it is due.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace gensim {

class LineQueue {
public:
    using Clock = std::chrono::steady_clock;

    // One character of 10 bits at `rate`, rounded up; zero for rate 0.
    static Clock::duration charTime(int rate);

    // Bytes that start no earlier than `ready` and after everything queued
    // before them, each taking `perChar`.
    void push(std::string_view bytes, Clock::time_point ready, Clock::duration perChar);
    // When the last queued character is through; the distant past when the
    // queue is empty.
    Clock::time_point end() const;

    bool empty() const { return m_runs.empty(); }
    void clear() { m_runs.clear(); }

    // When the first character is through; false when nothing is queued.
    bool nextDue(Clock::time_point& due) const;
    // The line time of the first character; zero when nothing is queued.
    Clock::duration frontCharTime() const;
    // The front characters through by `now` (those of one push at most),
    // left queued until pop() takes them.
    std::string_view due(Clock::time_point now) const;
    void pop(std::size_t count);
    // Takes the first character if it is through by `now`, with the moment
    // it was through.
    bool take(Clock::time_point now, char& c, Clock::time_point& at);

private:
    struct Run {
        Clock::time_point start;  // the first character is through at start + perChar
        Clock::duration perChar;
        std::string bytes;
        std::size_t taken = 0;  // bytes already through, dropped with the run

        std::size_t left() const { return bytes.size() - taken; }
    };

    std::deque<Run> m_runs;
};

} // namespace gensim
