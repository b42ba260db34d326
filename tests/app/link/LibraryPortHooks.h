#pragma once
// Port backends over the real library for tests: one that runs the
// program's clock faster, so a test about a long wait does not take it, and
// one that lets a test act after a number of characters went either way.

#include "PortBackend.h"

#include <algorithm>
#include <functional>
#include <string>

// The program's waits pass factor times faster; the library's own do not.
class ScaledClock : public PortBackend
{
public:
    explicit ScaledClock(int factor)
        : m_factor(factor)
        , m_previous(InstallPortBackend(this))
        , m_start(PortBackend::NowMs())
    {
    }
    ~ScaledClock() override { InstallPortBackend(m_previous); }
    ScaledClock(const ScaledClock&) = delete;
    ScaledClock& operator=(const ScaledClock&) = delete;

    int64_t NowMs() override { return m_start + (PortBackend::NowMs() - m_start) * m_factor; }
    void Pause(int ms) override { PortBackend::Pause(std::max(1, ms / m_factor)); }

private:
    int m_factor;
    PortBackend* m_previous;
    int64_t m_start;
};

// Calls onCount with the number of characters put and got so far, after each.
class CountingPort : public PortBackend
{
public:
    CountingPort()
        : m_previous(InstallPortBackend(this))
    {
    }
    ~CountingPort() override { InstallPortBackend(m_previous); }
    CountingPort(const CountingPort&) = delete;
    CountingPort& operator=(const CountingPort&) = delete;

    int32_t PutChar(PortId id, int32_t c) override
    {
        const int32_t ok = PortBackend::PutChar(id, c);
        ++put;
        lastPut = (lastPut + char(c)).substr(lastPut.size() >= 32 ? 1 : 0);
        if (onCount)
            onCount(put, got);
        return ok;
    }
    int32_t GetChar(PortId id) override
    {
        const int32_t c = PortBackend::GetChar(id);
        ++got;
        if (onCount)
            onCount(put, got);
        return c;
    }

    long put = 0;
    long got = 0;
    std::string lastPut; // the last 32 characters put
    std::function<void(long put, long got)> onCount;

private:
    PortBackend* m_previous;
};
