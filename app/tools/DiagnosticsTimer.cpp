#include "DiagnosticsTimer.h"

#include <chrono>

namespace {

const DiagnosticsTimer* g_timer = nullptr;

} // namespace

int64_t DiagnosticsTimer::Frequency() const
{
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
}

int64_t DiagnosticsTimer::Count() const
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

const DiagnosticsTimer& InstalledDiagnosticsTimer()
{
    static const DiagnosticsTimer steady;
    return g_timer != nullptr ? *g_timer : steady;
}

const DiagnosticsTimer* InstallDiagnosticsTimer(const DiagnosticsTimer* timer)
{
    const DiagnosticsTimer* before = g_timer;
    g_timer = timer;
    return before;
}
