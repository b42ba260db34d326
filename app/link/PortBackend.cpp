#include "PortBackend.h"

#include <algorithm>
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

int32_t PortBackend::WaitForChar(PortId id, int32_t ms)
{
    if (IsLibrary())
        return XR_PortWaitForChar(id, ms);
    // Short pauses while a character is due any moment, longer ones after.
    const int64_t start = NowMs();
    const int64_t deadline = start + ms;
    int pause = 1;
    for (;;) {
        if (IsCharAvailable(id) != 0)
            return 1;
        const int64_t now = NowMs();
        if (now >= deadline)
            return 0;
        Pause(int(std::min<int64_t>(pause, deadline - now)));
        pause = std::min(pause * 2, 4);
    }
}

int32_t PortBackend::PutBlock(PortId id, const uint8_t* data, int32_t length)
{
    if (IsLibrary())
        return XR_PortPutBlock(id, data, length);
    for (int32_t i = 0; i < length; ++i)
        if (PutChar(id, data[i]) == 0)
            return 0;
    return 1;
}

namespace {

PortBackend* g_installed = nullptr;

class LibraryBackend final : public PortBackend
{
protected:
    bool IsLibrary() const override { return true; }
};

} // namespace

PortBackend& InstalledPort()
{
    static LibraryBackend library;
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
