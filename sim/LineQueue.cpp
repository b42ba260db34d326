#include "gensim/LineQueue.h"

#include <algorithm>

namespace gensim {

LineQueue::Clock::duration LineQueue::charTime(int rate)
{
    if (rate <= 0)
        return Clock::duration::zero();
    using std::chrono::nanoseconds;
    constexpr nanoseconds::rep kTenBits = 10'000'000'000;
    // Rounded up: a paced line is never faster than the real one.
    return std::chrono::duration_cast<Clock::duration>(nanoseconds((kTenBits + rate - 1) / rate));
}

LineQueue::Clock::time_point LineQueue::end() const
{
    if (m_runs.empty())
        return Clock::time_point::min();
    const Run& last = m_runs.back();
    return last.start + last.perChar * static_cast<Clock::duration::rep>(last.left());
}

void LineQueue::push(std::string_view bytes, Clock::time_point ready, Clock::duration perChar)
{
    if (bytes.empty())
        return;
    Clock::time_point start = std::max(ready, end());
    if (!m_runs.empty() && start == end() && m_runs.back().perChar == perChar)
        m_runs.back().bytes.append(bytes);
    else
        m_runs.push_back({start, perChar, std::string(bytes)});
}

bool LineQueue::nextDue(Clock::time_point& due) const
{
    if (m_runs.empty())
        return false;
    due = m_runs.front().start + m_runs.front().perChar;
    return true;
}

LineQueue::Clock::duration LineQueue::frontCharTime() const
{
    return m_runs.empty() ? Clock::duration::zero() : m_runs.front().perChar;
}

std::string_view LineQueue::due(Clock::time_point now) const
{
    if (m_runs.empty() || now < m_runs.front().start)
        return {};
    const Run& run = m_runs.front();
    std::size_t count = run.left();
    if (run.perChar > Clock::duration::zero())
        count = std::min<std::size_t>(count, static_cast<std::size_t>((now - run.start) / run.perChar));
    return std::string_view(run.bytes).substr(run.taken, count);
}

void LineQueue::pop(std::size_t count)
{
    while (count > 0 && !m_runs.empty()) {
        Run& run = m_runs.front();
        std::size_t n = std::min(count, run.left());
        run.taken += n;
        run.start += run.perChar * static_cast<Clock::duration::rep>(n);
        count -= n;
        if (run.left() == 0)
            m_runs.pop_front();
    }
}

bool LineQueue::take(Clock::time_point now, char& c, Clock::time_point& at)
{
    if (due(now).empty())
        return false;
    const Run& run = m_runs.front();
    c = run.bytes[run.taken];
    at = run.start + run.perChar;
    pop(1);
    return true;
}

} // namespace gensim
