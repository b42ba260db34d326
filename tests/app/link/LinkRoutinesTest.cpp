// The tools' routines: one runs whole on the port thread while the GUI
// thread's timers keep firing, the Stop or Cancel of its window acts on the
// first click during its waits, and a second routine waits or is refused.

#include "CProgressDlg.h"
#include "CardSimulator.h"
#include "LinkRoutines.h"
#include "PortWorker.h"
#include "RoutineStop.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include "TestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A count the GUI thread raises and a routine waits for on the port thread,
// bounded, so that a routine stuck for want of the GUI fails instead of hanging.
class GuiCount {
public:
    void Raise()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_count;
        }
        m_raised.notify_all();
    }
    bool WaitFor(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_raised.wait_for(lock, std::chrono::seconds(10), [&] { return m_count >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_raised;
    int m_count = 0;
};

// Answers XR_DrawLine alone, counting the calls and where they ran.
class CountingLibrary : public ToolLibrary {
public:
    CountingLibrary() : m_previous(InstallToolLibrary(this)) {}
    ~CountingLibrary() override { InstallToolLibrary(m_previous); }

    int32_t XR_DrawLine(int32_t, int32_t, int32_t, int32_t) override
    {
        ++calls;
        onPortThread = onPortThread && PortWorker::OnPortThread();
        return 1;
    }

    std::atomic<int> calls{0};
    std::atomic<bool> onPortThread{true};

private:
    ToolLibrary *m_previous;
};

void PostClick(QWidget *target)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(target, new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
}

void PostEscape(QWidget *target)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

class LinkRoutinesTest : public PlatformTest {};

// Each step of the routine draws, then waits for the GUI timer's next tick:
// it can end only while the timer keeps firing during its wait.
TEST_F(LinkRoutinesTest, ARoutineOfManyCallsRunsWholeOnThePortThreadWhileAGuiTimerKeepsFiring)
{
    constexpr int kSteps = 5;
    constexpr int kLinesPerStep = 200;
    CardSimulator cards;
    for (PortId port : {cards.isa, cards.pci}) {
        SCOPED_TRACE(port == cards.isa ? "isa0" : "pci1");
        GuiCount ticks;
        QTimer timer;
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [&] { ticks.Raise(); });
        timer.start();
        int steps = 0;
        int failures = 0;
        bool onPortThread = true;
        const bool ran = LinkRoutines::Run(port, [&](ToolLibrary &lib) {
            RemoteCallContext context{};
            if (!lib.XR_PortPrepareRemoteCall(lib.Port(), &context, 0))
                return;
            for (; steps < kSteps; ++steps) {
                for (int i = 0; i < kLinesPerStep; ++i) {
                    lib.XR_DrawLine(i, 0, i, 99);
                    failures += lib.Error() != 0;
                }
                onPortThread = onPortThread && PortWorker::OnPortThread();
                if (!ticks.WaitFor(steps + 1))
                    return;
            }
        });
        timer.stop();
        EXPECT_TRUE(ran);
        EXPECT_EQ(steps, kSteps);
        EXPECT_EQ(failures, 0);
        EXPECT_TRUE(onPortThread);
        int lines = 0;
        for (const gensim::DciCall &call : cards.Calls(port))
            lines += call.name == "XR_DrawLine";
        EXPECT_EQ(lines, kSteps * kLinesPerStep);
        EXPECT_FALSE(LinkRoutines::Running());
    }
}

// The routine hands each step to the GUI thread and goes on once it is
// acknowledged; at step 2 the GUI clicks first, so the click has landed
// before the routine polls its stop.
TEST_F(LinkRoutinesTest, StopOrCancelEndsTheRoutineAfterTheCurrentStepOnTheFirstClick)
{
    constexpr int kSteps = 6;
    constexpr int kClickAtStep = 2;
    enum class Press { StopButton, ProgressCancel, ProgressEscape, AnotherButton };
    const struct {
        const char *name;
        Press press;
        int steps;  // the steps the routine ran
        int clicks; // clicks the pressed button took
    } cases[] = {
        {"the window's Stop", Press::StopButton, kClickAtStep + 1, 1},
        {"the progress dialog's Cancel", Press::ProgressCancel, kClickAtStep + 1, 1},
        {"Esc on the progress dialog", Press::ProgressEscape, kClickAtStep + 1, 1},
        {"a button the stop does not hold", Press::AnotherButton, kSteps, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CountingLibrary library;
        QWidget window;
        auto *stopButton = new QPushButton(QStringLiteral("Stop"), &window);
        auto *execute = new QPushButton(QStringLiteral("Execute Selected"), &window);
        execute->move(0, 40);
        window.show();
        const bool withProgress = c.press == Press::ProgressCancel || c.press == Press::ProgressEscape;
        std::unique_ptr<CProgressDlg> progress;
        RoutineStop stop({stopButton});
        if (withProgress) {
            progress = std::make_unique<CProgressDlg>(&window, true);
            stop.AddButton(progress->CancelButton());
        }
        QAbstractButton *pressed = c.press == Press::StopButton      ? stopButton
                                   : c.press == Press::AnotherButton ? execute
                                                                     : progress->CancelButton();
        int clicks = 0;
        QObject::connect(pressed, &QAbstractButton::clicked, [&] { ++clicks; });
        GuiCount acknowledged;
        auto onStep = [&](int step) {
            if (step == kClickAtStep) {
                if (c.press == Press::ProgressEscape)
                    PostEscape(progress.get());
                else
                    PostClick(pressed);
            }
            // Queued behind the click: the routine goes on once it was handled.
            QMetaObject::invokeMethod(&window, [&] { acknowledged.Raise(); }, Qt::QueuedConnection);
        };
        int steps = 0;
        const bool ran = LinkRoutines::Run(0, stop, [&](ToolLibrary &lib) {
            for (int step = 0; step < kSteps && !stop.Requested(); ++step) {
                lib.XR_DrawLine(0, 0, step, step);
                ++steps;
                LinkRoutines::PostToGui(&window, [&onStep, step] { onStep(step); });
                if (!acknowledged.WaitFor(step + 1))
                    return;
            }
        });
        EXPECT_TRUE(ran);
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(library.calls, c.steps);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_TRUE(library.onPortThread);
        if (progress)
            progress->DestroyWindow();
    }
}

// While routine A runs: a start from the GUI thread (a timer's) and one
// from inside A are refused with the reason; one from another thread waits
// and runs after A.
TEST_F(LinkRoutinesTest, ASecondRoutineStartedMeanwhileIsRefusedOrWaitsItsTurn)
{
    CountingLibrary library;
    QWidget window;
    std::mutex orderMutex;
    std::vector<std::string> order;
    auto record = [&](const char *what) {
        std::lock_guard lock(orderMutex);
        order.emplace_back(what);
    };
    GuiCount acknowledged;
    bool guiRefused = false;
    bool runningSeen = false;
    QString guiReason;
    std::thread other;
    auto onFirstStep = [&] {
        runningSeen = LinkRoutines::Running();
        guiRefused = !LinkRoutines::Run(0, [&](ToolLibrary &) { record("gui"); }, &guiReason);
        other = std::thread([&] { LinkRoutines::Run(0, [&](ToolLibrary &) { record("other thread"); }); });
        acknowledged.Raise();
    };
    bool nestedRefused = false;
    QString nestedReason;
    const bool ran = LinkRoutines::Run(0, [&](ToolLibrary &lib) {
        record("A begins");
        nestedRefused = !LinkRoutines::Run(0, [&](ToolLibrary &) { record("nested"); }, &nestedReason);
        LinkRoutines::PostToGui(&window, onFirstStep);
        if (!acknowledged.WaitFor(1))
            return;
        lib.XR_DrawLine(0, 0, 1, 1);
        record("A ends");
    });
    other.join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(runningSeen);
    EXPECT_TRUE(guiRefused);
    EXPECT_TRUE(nestedRefused);
    EXPECT_EQ(guiReason, LoadString(IDS_ROUTINE_BUSY));
    EXPECT_EQ(nestedReason, LoadString(IDS_ROUTINE_BUSY));
    EXPECT_FALSE(guiReason.isEmpty());
    EXPECT_EQ(order, (std::vector<std::string>{"A begins", "A ends", "other thread"}));
    // Once A has ended a routine starts again.
    EXPECT_FALSE(LinkRoutines::Running());
    EXPECT_TRUE(LinkRoutines::Run(0, [&](ToolLibrary &) { record("after"); }));
    EXPECT_EQ(order.back(), "after");
}

} // namespace
