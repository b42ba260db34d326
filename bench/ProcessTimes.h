#pragma once
// Wall and processor time of this process, for the library benchmarks.

#include <sys/resource.h>

#include <chrono>

// who: RUSAGE_SELF (the process) or RUSAGE_THREAD (the calling thread).
inline double CpuSeconds(int who = RUSAGE_SELF)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline double WallSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Both clocks from its construction on.
struct Measure {
    double wall0 = WallSeconds(), cpu0 = CpuSeconds(), thread0 = CpuSeconds(RUSAGE_THREAD);
    double Wall() const { return WallSeconds() - wall0; }
    double Cpu() const { return CpuSeconds() - cpu0; }
    double Thread() const { return CpuSeconds(RUSAGE_THREAD) - thread0; }
};
