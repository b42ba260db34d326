#include "PortWorker.h"

#include "CProgressDlg.h"
#include "PortBackend.h"

#include "UserAction.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// --- The port thread -----------------------------------------------------------

class PortThread
{
public:
    PortThread() : m_thread([this] { Loop(); }) {}
    ~PortThread()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    PortThread(const PortThread&) = delete;
    PortThread& operator=(const PortThread&) = delete;

    void Post(std::function<void()> job)
    {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
    }
    bool IsCurrent() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void Loop()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread; // last: it starts once the rest is built
};

PortThread& TheThread()
{
    static PortThread thread;
    return thread;
}

bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// --- The wait on the GUI thread ------------------------------------------------

bool IsDroppedEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

std::vector<QPointer<QWidget>>& PassingWidgets()
{
    static std::vector<QPointer<QWidget>> widgets;
    return widgets;
}

bool IsPassing(const QWidget* widget)
{
    for (const QPointer<QWidget>& passing : PassingWidgets())
        if (passing && (passing == widget || passing->isAncestorOf(widget)))
            return true;
    return false;
}

// Input and close requests reach only an open progress dialog (its Cancel)
// and the passing widgets.
class InputFilter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!IsDroppedEvent(event->type()))
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr)
            return false; // a window hands the event on to its widget, seen here next
        auto* progress = dynamic_cast<CProgressDlg*>(widget->window());
        if (progress != nullptr && progress->IsOpen())
            return false;
        if (event->type() != QEvent::Close && IsPassing(widget))
            return false;
        if (event->type() == QEvent::Close)
            event->ignore(); // a filtered close counts as accepted otherwise
        return true;
    }
};

int g_waitDepth = 0;
constexpr int kIdleRetryMs = 20;
constexpr std::chrono::microseconds kQuickCall(1500);

// The GUI thread's side of one wait: the filter is in place while any wait is open.
class GuiWait
{
public:
    GuiWait()
    {
        if (g_waitDepth++ == 0)
            QCoreApplication::instance()->installEventFilter(&Filter());
    }
    ~GuiWait()
    {
        if (--g_waitDepth == 0)
            QCoreApplication::instance()->removeEventFilter(&Filter());
    }
    GuiWait(const GuiWait&) = delete;
    GuiWait& operator=(const GuiWait&) = delete;

private:
    static InputFilter& Filter()
    {
        static InputFilter filter;
        return filter;
    }
};

// Ends a wait from the GUI thread; both members are touched there only.
struct WaitState
{
    bool done = false;
    QEventLoop* loop = nullptr;
};

void Finish(const std::shared_ptr<WaitState>& state)
{
    state->done = true;
    if (state->loop != nullptr)
        state->loop->quit();
}

void WaitInLoop(const std::shared_ptr<WaitState>& state)
{
    GuiWait wait;
    QEventLoop loop;
    state->loop = &loop;
    while (!state->done)
        loop.exec();
    state->loop = nullptr;
}

// --- The front over the installed backend ----------------------------------------

thread_local int t_lastError = 0;

class WorkerFront : public PortBackend
{
public:
    PortId Open(const char* spec) override { return Call([&](PortBackend& p) { return p.Open(spec); }); }
    int32_t Close(PortId id) override { return Call([&](PortBackend& p) { return p.Close(id); }); }
    int32_t IsShutDown(PortId id) override { return Call([&](PortBackend& p) { return p.IsShutDown(id); }); }
    int32_t IsCharAvailable(PortId id) override
    {
        return Call([&](PortBackend& p) { return p.IsCharAvailable(id); });
    }
    int32_t Flush(PortId id) override { return Call([&](PortBackend& p) { return p.Flush(id); }); }
    int32_t PutChar(PortId id, int32_t c) override { return Call([&](PortBackend& p) { return p.PutChar(id, c); }); }
    int32_t GetChar(PortId id) override { return Call([&](PortBackend& p) { return p.GetChar(id); }); }
    int32_t WaitForChar(PortId id, int32_t ms) override
    {
        return Call([&](PortBackend& p) { return p.WaitForChar(id, ms); });
    }
    int32_t PutBlock(PortId id, const uint8_t* data, int32_t length) override
    {
        return Call([&](PortBackend& p) { return p.PutBlock(id, data, length); });
    }
    int32_t SendCommand(PortId id, const char* command, char* reply, int32_t length) override
    {
        return Call([&](PortBackend& p) { return p.SendCommand(id, command, reply, length); });
    }
    int32_t GetError() override { return t_lastError; }
    char* GetErrorMsg(int32_t code, char* text) override
    {
        return Call([&](PortBackend& p) { return p.GetErrorMsg(code, text); });
    }
    int32_t SetRate(PortId id, int32_t rate) override { return Call([&](PortBackend& p) { return p.SetRate(id, rate); }); }
    int32_t GetRate(PortId id) override { return Call([&](PortBackend& p) { return p.GetRate(id); }); }
    int32_t CountPciCards() override { return Call([&](PortBackend& p) { return p.CountPciCards(); }); }
    int32_t ForceInit(uint32_t type, int32_t number) override
    {
        return Call([&](PortBackend& p) { return p.ForceInit(type, number); });
    }
    double LibraryVersion() override { return Call([&](PortBackend& p) { return p.LibraryVersion(); }); }

    int64_t NowMs() override { return InstalledPort().NowMs(); }
    void Pause(int ms) override
    {
        // The library's clock is the real one: the GUI thread waits on a timer
        // and the port thread stays free. A stand-in keeps its own clock.
        if (LibraryPortInUse() && !PortWorker::OnPortThread())
            PortWorker::Wait(ms);
        else
            PortWorker::Run([&] { InstalledPort().Pause(ms); });
    }

private:
    // The call and the error right after it, on the port thread; the caller
    // gets that error even when calls of events run in its wait came between.
    template <typename F>
    auto Call(F call) -> decltype(call(std::declval<PortBackend&>()))
    {
        decltype(call(std::declval<PortBackend&>())) result{};
        int error = 0;
        PortWorker::Run([&] {
            PortBackend& port = InstalledPort();
            result = call(port);
            error = port.GetError();
        });
        t_lastError = error;
        return result;
    }
};

} // namespace

namespace PortWorker {

PortBackend& Front()
{
    static WorkerFront front;
    return front;
}

bool OnPortThread()
{
    return TheThread().IsCurrent();
}

void Run(const std::function<void()>& unit)
{
    PortThread& thread = TheThread();
    if (thread.IsCurrent()) {
        unit();
        return;
    }
    if (!OnGuiThread()) {
        std::mutex mutex;
        std::condition_variable ran;
        bool done = false;
        thread.Post([&] {
            unit();
            std::lock_guard lock(mutex);
            done = true;
            ran.notify_one();
        });
        std::unique_lock lock(mutex);
        ran.wait(lock, [&] { return done; });
        return;
    }
    // Most calls end within a moment: the GUI thread blocks that long (no
    // event is due that fast), and only a longer call gets the event loop.
    struct Handoff {
        std::mutex mutex;
        std::condition_variable ran;
        bool done = false;
        bool looping = false;
    };
    auto handoff = std::make_shared<Handoff>();
    auto state = std::make_shared<WaitState>();
    QCoreApplication* app = QCoreApplication::instance();
    thread.Post([&unit, handoff, state, app] {
        unit();
        std::lock_guard lock(handoff->mutex);
        handoff->done = true;
        if (handoff->looping)
            QMetaObject::invokeMethod(app, [state] { Finish(state); }, Qt::QueuedConnection);
        handoff->ran.notify_one();
    });
    {
        std::unique_lock lock(handoff->mutex);
        if (handoff->ran.wait_for(lock, kQuickCall, [&] { return handoff->done; }))
            return;
        handoff->looping = true;
    }
    WaitInLoop(state);
}

void Wait(int ms)
{
    if (ms <= 0)
        return;
    if (!OnGuiThread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    auto state = std::make_shared<WaitState>();
    QTimer::singleShot(ms, Qt::PreciseTimer, QCoreApplication::instance(), [state] { Finish(state); });
    WaitInLoop(state);
}

int WaitDepth()
{
    return g_waitDepth;
}

void AddPassingWidget(QWidget* widget)
{
    PassingWidgets().emplace_back(widget);
}

void RemovePassingWidget(QWidget* widget)
{
    std::vector<QPointer<QWidget>>& widgets = PassingWidgets();
    const auto found = std::find(widgets.begin(), widgets.end(), widget);
    if (found != widgets.end())
        widgets.erase(found);
    // Widgets deleted meanwhile leave null entries behind.
    std::erase(widgets, QPointer<QWidget>());
}

void PostWhenIdle(QObject* context, std::function<void()> what)
{
    QTimer::singleShot(kIdleRetryMs, context, [context, what = std::move(what)]() mutable {
        if (g_waitDepth > 0 || UserAction::Current() != 0)
            PostWhenIdle(context, std::move(what));
        else
            what();
    });
}

} // namespace PortWorker

PortBackend& Port()
{
    return PortWorker::Front();
}
