#include "LinkRoutines.h"

#include "CGenerator.h"
#include "PortWorker.h"
#include "RoutineStop.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// The one routine of the program: claimed before it is handed to the port
// thread, given back once it has run.
struct RoutineClaim
{
    std::mutex mutex;
    std::condition_variable given;
    bool taken = false;
};

RoutineClaim& TheClaim()
{
    static RoutineClaim claim;
    return claim;
}

bool TakeClaim(bool wait)
{
    RoutineClaim& claim = TheClaim();
    std::unique_lock lock(claim.mutex);
    if (claim.taken && !wait)
        return false;
    claim.given.wait(lock, [&claim] { return !claim.taken; });
    claim.taken = true;
    return true;
}

class HeldClaim
{
public:
    HeldClaim() = default;
    ~HeldClaim()
    {
        RoutineClaim& claim = TheClaim();
        {
            std::lock_guard lock(claim.mutex);
            claim.taken = false;
        }
        claim.given.notify_all();
    }
    HeldClaim(const HeldClaim&) = delete;
    HeldClaim& operator=(const HeldClaim&) = delete;
};

bool CalledOnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// The stop's buttons take input during the waits while it lives (GUI thread).
class PassingButtons
{
public:
    explicit PassingButtons(const RoutineStop& stop)
    {
        for (const QPointer<QAbstractButton>& button : stop.Buttons())
            if (button) {
                PortWorker::AddPassingWidget(button);
                m_buttons.emplace_back(button.data());
            }
    }
    ~PassingButtons()
    {
        for (const QPointer<QWidget>& button : m_buttons)
            PortWorker::RemovePassingWidget(button);
    }
    PassingButtons(const PassingButtons&) = delete;
    PassingButtons& operator=(const PassingButtons&) = delete;

private:
    std::vector<QPointer<QWidget>> m_buttons;
};

// One count for the program, as its routines run one at a time (Runs()).
std::atomic<unsigned long long> g_linkRoutineRuns{0};

bool RunRoutine(PortId port, RoutineStop* stop, const LinkRoutines::Routine& routine, QString* refusal)
{
    // The GUI thread would wait nested inside the running routine's wait,
    // and a routine inside itself: both are refused. Other threads queue.
    const bool mayWait = !CalledOnGuiThread() && !PortWorker::OnPortThread();
    if (!TakeClaim(mayWait)) {
        if (refusal != nullptr)
            *refusal = LoadString(IDS_ROUTINE_BUSY);
        return false;
    }
    const HeldClaim held;
    if (stop != nullptr)
        stop->Reset();
    std::optional<PassingButtons> passing;
    if (stop != nullptr && CalledOnGuiThread())
        passing.emplace(*stop);
    ++g_linkRoutineRuns;
    PortWorker::Run([&] {
        ToolLibrary& library = InstalledToolLibrary();
        library.BeginRoutine(port);
        routine(library);
    });
    return true;
}

} // namespace

namespace LinkRoutines {

unsigned long long Runs()
{
    return g_linkRoutineRuns.load();
}

bool Run(PortId port, const Routine& routine, QString* refusal)
{
    return RunRoutine(port, nullptr, routine, refusal);
}

bool Run(PortId port, RoutineStop& stop, const Routine& routine, QString* refusal)
{
    return RunRoutine(port, &stop, routine, refusal);
}

bool Run(const CGenerator& generator, const Routine& routine, QString* refusal)
{
    return RunRoutine(generator.GetPort(), nullptr, routine, refusal);
}

bool Run(const CGenerator& generator, RoutineStop& stop, const Routine& routine, QString* refusal)
{
    return RunRoutine(generator.GetPort(), &stop, routine, refusal);
}

bool Running()
{
    RoutineClaim& claim = TheClaim();
    std::lock_guard lock(claim.mutex);
    return claim.taken;
}

void PostToGui(QObject* context, std::function<void()> what)
{
    QMetaObject::invokeMethod(context, std::move(what), Qt::QueuedConnection);
}

} // namespace LinkRoutines
