#include "WaitCancel.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>

namespace driver {

namespace {

std::atomic<bool> Cancelled{false};

// The flag and the descriptor's readiness change together.
std::mutex& CancelLock()
{
    static std::mutex lock;
    return lock;
}

int MakeDescriptor()
{
    return eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

}  // namespace

int WaitCancelDescriptor()
{
    static const int descriptor = MakeDescriptor();
    return descriptor;
}

void SetWaitsCancelled(bool on)
{
    const int fd = WaitCancelDescriptor();
    std::lock_guard guard(CancelLock());
    if (on == Cancelled.load())
        return;
    Cancelled.store(on);
    if (fd < 0)
        return;
    if (on) {
        const uint64_t one = 1;
        while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    } else {
        uint64_t count = 0;
        while (::read(fd, &count, sizeof count) < 0 && errno == EINTR) {
        }
    }
}

bool WaitsCancelled()
{
    return Cancelled.load(std::memory_order_relaxed);
}

}  // namespace driver
