#include "DiagnosticsHooks.h"

#include "RoutineStop.h"
#include "ToolLibrary.h"

#include <atomic>

namespace {

RemoteCallContext g_spareContext{};
std::atomic<RemoteCallContext*> g_context{nullptr};
std::atomic<const RoutineStop*> g_stop{nullptr};
std::atomic<const ToolLibrary*> g_library{nullptr};

} // namespace

RemoteCallContext& DiagnosticsContext()
{
    RemoteCallContext* context = g_context.load();
    return context != nullptr ? *context : g_spareContext;
}

uint32_t DiagnosticsWord(RemoteCallWord word)
{
    return DiagnosticsContext().words[word];
}

bool DiagnosticsKeepRunning()
{
    const ToolLibrary* library = g_library.load();
    if (library != nullptr && library->Error() != 0)
        return false;
    const RoutineStop* stop = g_stop.load();
    return stop == nullptr || !stop->Requested();
}

void SetDiagnosticsStop(const RoutineStop* stop)
{
    g_stop.store(stop);
}

void SetDiagnosticsContext(RemoteCallContext* context)
{
    g_context.store(context);
}

void SetDiagnosticsLibrary(const ToolLibrary* library)
{
    g_library.store(library);
}
