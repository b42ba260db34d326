#include <charconv>
#include <chrono>
#include <cstring>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "WaitCancel.h"
#include "internal.h"

namespace morvane {

namespace {

double TimeScale()
{
    const char* text = std::getenv("MORVANE_TIME_SCALE");
    if (text == nullptr || *text == '\0')
        return 1.0;
    // from_chars: the caller's locale must not turn "0.02" into 0.
    double factor = 0.0;
    const char* end = text + std::strlen(text);
    auto [stop, error] = std::from_chars(text, end, factor);
    if (error != std::errc() || stop != end || !std::isfinite(factor) || factor <= 0.0)
        return 1.0;
    return factor;
}

int64_t NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t ScaledMs(int64_t ms)
{
    double scaled = std::ceil(static_cast<double>(ms) * TimeScale());
    // A day is far beyond any limit of the protocol.
    return static_cast<int64_t>(std::fmin(scaled, 86400000.0));
}

Deadline::Deadline(int64_t limitMs) : endUs_(NowUs() + ScaledMs(limitMs) * 1000) {}

Deadline::Deadline(Scaled, int64_t scaledMs) : endUs_(NowUs() + scaledMs * 1000) {}

Deadline Deadline::FromScaled(int64_t scaledMs)
{
    return Deadline(Scaled{}, scaledMs);
}

int Deadline::RemainingMs() const
{
    if (driver::WaitsCancelled())
        return 0;
    // Rounded up: a poll of the whole milliseconds left never ends a wait
    // before its deadline.
    int64_t leftUs = endUs_ - NowUs();
    if (leftUs <= 0)
        return 0;
    int64_t left = (leftUs + 999) / 1000;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

}  // namespace morvane
