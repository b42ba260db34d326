// What a card's firmware said it does after an event: register changes and
// output characters, each due some time after the answer came. The card
// models apply them when due, at the moments they choose (register reads and
// waits), never by a timer of their own.
#pragma once

#include "DriverWire.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

namespace driver {

class FirmwareSchedule {
public:
    using Clock = std::chrono::steady_clock;

    // Queues the answer's changes and output, due from `now`.
    void Add(const FirmwareEventAnswer& answer, Clock::time_point now);

    // The earliest change due by now, taken off the queue.
    std::optional<Change> TakeDueChange(Clock::time_point now);
    // Is an output character due by now.
    bool OutputDue(Clock::time_point now) const;
    // The first output character, taken off the queue when due by now.
    std::optional<uint8_t> TakeOutput(Clock::time_point now);

    // Nothing queued: no clock needs reading.
    bool Idle() const { return changes_.empty() && output_.empty(); }

    void DropChanges() { changes_.clear(); }
    void DropOutput() { output_.clear(); }

    // When the next change falls due, or with `withOutput` the next output
    // character if earlier; max() when nothing is queued.
    Clock::time_point NextDue(bool withOutput) const;

    // Sleeps until `until` without using the processor.
    static void SleepUntil(Clock::time_point until);

private:
    struct Pending {
        Clock::time_point due;
        Change change;
    };
    struct Output {
        Clock::time_point due;
        uint8_t character;
    };

    std::deque<Pending> changes_;  // in order of due time
    std::deque<Output> output_;
};

}  // namespace driver
