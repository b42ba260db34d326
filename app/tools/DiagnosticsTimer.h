#pragma once
// The counter the Diagnostics window times its methods with: counts and
// counts per second, on the steady clock. Tests install their own (one
// without a counter reaches the "No hardware timers!" warning).

#include <cstdint>

class DiagnosticsTimer
{
public:
    virtual ~DiagnosticsTimer() = default;
    // Counts per second; 0: there is no counter.
    virtual int64_t Frequency() const;
    // Any thread.
    virtual int64_t Count() const;
};

// The timer in use: the one installed last, else the steady clock's.
const DiagnosticsTimer& InstalledDiagnosticsTimer();
// Installs timer (not owned); nullptr restores the steady clock's. Returns
// the one installed before.
const DiagnosticsTimer* InstallDiagnosticsTimer(const DiagnosticsTimer* timer);
