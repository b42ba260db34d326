#include "PortBackend.h"

#include <chrono>
#include <thread>

int64_t PortBackend::NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PortBackend::Pause(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {

PortBackend* g_installed = nullptr;

} // namespace

PortBackend& InstalledPort()
{
    static PortBackend library;
    return g_installed != nullptr ? *g_installed : library;
}

bool LibraryPortInUse()
{
    return g_installed == nullptr;
}

PortBackend* InstallPortBackend(PortBackend* backend)
{
    PortBackend* previous = g_installed;
    g_installed = backend;
    return previous;
}
