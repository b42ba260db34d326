#include "DiagnosticsHooks.h"

#include "RoutineStop.h"

#include <atomic>

namespace {

RemoteCallContext g_context{};
std::atomic<const RoutineStop*> g_stop{nullptr};

} // namespace

RemoteCallContext& DiagnosticsContext()
{
    return g_context;
}

uint32_t DiagnosticsWord(RemoteCallWord word)
{
    return g_context.words[word];
}

bool DiagnosticsKeepRunning()
{
    const RoutineStop* stop = g_stop.load();
    return stop == nullptr || !stop->Requested();
}

void SetDiagnosticsStop(const RoutineStop* stop)
{
    g_stop.store(stop);
}
