// The port thread: each caller gets the error of its own call, a call begun
// on a generator from an event run during its own call is refused, and the
// GUI thread's wait runs timers while it drops input to other windows.

#include "CGenerator.h"
#include "CProgressDlg.h"
#include "PortBackend.h"
#include "PortWorker.h"

#include "DialogUnits.h"
#include "TestSupport.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr PortId kGenA = 0x00020000; // Com-1
constexpr PortId kGenB = 0x00020001; // Com-2

// Answers each command with the error scripted for it; a command may hold
// its call on the port thread until the test lets it go.
class ScriptedBackend : public PortBackend {
public:
    ScriptedBackend() : m_previous(InstallPortBackend(this)) {}
    ~ScriptedBackend() override { InstallPortBackend(m_previous); }
    ScriptedBackend(const ScriptedBackend &) = delete;
    ScriptedBackend &operator=(const ScriptedBackend &) = delete;

    int32_t SendCommand(PortId, const char *command, char *reply, int32_t) override
    {
        onPortThread = onPortThread && PortWorker::OnPortThread();
        {
            std::lock_guard lock(mutex);
            sent.emplace_back(command);
        }
        if (command == held) {
            std::unique_lock lock(mutex);
            // Bounded: a test that never lets go fails instead of hanging.
            released.wait_for(lock, std::chrono::seconds(10), [this] { return let; });
        }
        m_error = errors.count(command) ? errors.at(command) : 0;
        if (reply)
            reply[0] = '\0';
        return m_error == 0;
    }
    int32_t GetError() override { return m_error; }
    int32_t Close(PortId) override { return 1; }

    void Release()
    {
        std::lock_guard lock(mutex);
        let = true;
        released.notify_all();
    }
    std::vector<std::string> Sent()
    {
        std::lock_guard lock(mutex);
        return sent;
    }

    std::map<std::string, int> errors;
    std::string held; // this command waits for Release
    bool onPortThread = true;

private:
    std::mutex mutex;
    std::condition_variable released;
    bool let = false;
    std::vector<std::string> sent;
    std::atomic<int> m_error{0};
    PortBackend *m_previous;
};

// Program errors logged while it lives.
class CriticalLog {
public:
    CriticalLog() : m_previous(qInstallMessageHandler(&CriticalLog::Handle)) { Lines().clear(); }
    ~CriticalLog() { qInstallMessageHandler(m_previous); }
    static QStringList &Lines()
    {
        static QStringList lines;
        return lines;
    }

private:
    static void Handle(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type == QtCriticalMsg)
            Lines() << text;
    }
    QtMessageHandler m_previous;
};

class PortWorkerTest : public PlatformTest {};

// A's command is held on the port thread; a timer run during A's wait
// sends second (on A or B). Each caller reads the error of its own call.
TEST_F(PortWorkerTest, EachCallerSeesItsOwnErrorAndANestedCallOnTheSameGeneratorIsRefused)
{
    const struct {
        const char *name;
        int errorA;          // of "A1", held
        bool secondOnA;      // the event's command goes to A itself
        int errorSecond;     // scripted for the event's command
        std::vector<std::string> sent;
        int secondSees;      // what the event's caller reads
        int critical;        // program errors logged
    } cases[] = {
        {"A fails, B succeeds", MORVANE_E_NO_ECHO, false, 0, {"A1", "B1"}, 0, 0},
        {"A succeeds, B fails", 0, false, MORVANE_E_COMMAND_INVALID, {"A1", "B1"}, MORVANE_E_COMMAND_INVALID, 0},
        {"nested on A", 0, true, 0, {"A1"}, MORVANE_E_PORT_TYPE, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        ScriptedBackend backend;
        CriticalLog log;
        backend.held = "A1";
        backend.errors = {{"A1", c.errorA}, {"B1", c.errorSecond}, {"A2", c.errorSecond}};
        CGenerator genA(nullptr, kGenA);
        CGenerator genB(nullptr, kGenB);
        int secondSaw = -1;
        QTimer::singleShot(0, [&] {
            CGenerator &target = c.secondOnA ? genA : genB;
            // B's call queues behind A's on the one port thread: let A go first.
            backend.Release();
            target.SendCommandText(QString::fromLatin1(c.secondOnA ? "A2" : "B1"));
            secondSaw = target.LastCommandError();
        });
        genA.SendCommandText(QStringLiteral("A1"));
        EXPECT_EQ(genA.LastCommandError(), c.errorA);
        EXPECT_EQ(secondSaw, c.secondSees);
        EXPECT_EQ(backend.Sent(), c.sent);
        EXPECT_EQ(log.Lines().size(), c.critical) << log.Lines().join(u'\n').toStdString();
        EXPECT_TRUE(backend.onPortThread);
    }
}

// While the GUI thread waits, a click on another window is dropped and one
// on an open progress dialog's Cancel gets through.
TEST_F(PortWorkerTest, TheWaitDropsInputToEveryWindowButTheProgressDialog)
{
    ScriptedBackend backend;
    backend.held = "HOLD";
    CGenerator gen(nullptr, kGenA);
    QPushButton other(QStringLiteral("Other"));
    other.show();
    int otherClicks = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });
    CProgressDlg progress(nullptr, true);
    QPushButton *cancel = FindControl<QPushButton>(&progress, 1227);
    ASSERT_NE(cancel, nullptr);
    auto click = [](QWidget *target) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(target, new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                                                Qt::LeftButton, Qt::NoModifier));
    };
    bool ranDuringWait = false;
    QTimer::singleShot(0, [&] {
        ranDuringWait = PortWorker::WaitDepth() > 0;
        click(&other);
        click(cancel);
        QTimer::singleShot(0, [&] { backend.Release(); });
    });
    gen.SendCommandText(QStringLiteral("HOLD"));
    EXPECT_TRUE(ranDuringWait);
    EXPECT_EQ(otherClicks, 0);
    EXPECT_TRUE(progress.IsCancelled());
    // After the wait the same click reaches the window again.
    click(&other);
    QCoreApplication::processEvents();
    EXPECT_EQ(otherClicks, 1);
    progress.DestroyWindow();
}

// Delay waits on a timer: events run meanwhile, the port thread stays free.
TEST_F(PortWorkerTest, DelayLetsTimersRun)
{
    CGenerator gen(nullptr);
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    gen.Delay(0.05);
    EXPECT_TRUE(fired);
}

} // namespace
