#include "FirmwareSchedule.h"

#include "WaitCancel.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>

namespace driver {

void FirmwareSchedule::Add(const FirmwareEventAnswer& answer, Clock::time_point now)
{
    for (const Change& change : answer.changes) {
        Pending pending{now + std::chrono::milliseconds(change.atMs), change};
        auto at = std::upper_bound(changes_.begin(), changes_.end(), pending.due,
                                   [](Clock::time_point due, const Pending& p) { return due < p.due; });
        changes_.insert(at, pending);
    }
    for (const OutputChunk& chunk : answer.output)
        for (char c : chunk.bytes)
            output_.push_back({now + std::chrono::milliseconds(chunk.atMs), static_cast<uint8_t>(c)});
}

std::optional<Change> FirmwareSchedule::TakeDueChange(Clock::time_point now)
{
    if (changes_.empty() || changes_.front().due > now)
        return std::nullopt;
    Change change = changes_.front().change;
    changes_.pop_front();
    return change;
}

bool FirmwareSchedule::OutputDue(Clock::time_point now) const
{
    return !output_.empty() && output_.front().due <= now;
}

std::optional<uint8_t> FirmwareSchedule::TakeOutput(Clock::time_point now)
{
    if (!OutputDue(now))
        return std::nullopt;
    uint8_t character = output_.front().character;
    output_.pop_front();
    return character;
}

FirmwareSchedule::Clock::time_point FirmwareSchedule::NextDue(bool withOutput) const
{
    Clock::time_point next = Clock::time_point::max();
    if (!changes_.empty())
        next = changes_.front().due;
    if (withOutput && !output_.empty())
        next = std::min(next, output_.front().due);
    return next;
}

void FirmwareSchedule::SleepUntil(Clock::time_point until)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    int ms = static_cast<int>(std::clamp<decltype(left)>(left, 1, INT_MAX));
    // A cancel wakes the sleep.
    pollfd cancel{WaitCancelDescriptor(), POLLIN, 0};
    if (WaitsCancelled())
        return;
    while (poll(&cancel, cancel.fd < 0 ? 0 : 1, ms) < 0 && errno == EINTR) {
    }
}

}  // namespace driver
