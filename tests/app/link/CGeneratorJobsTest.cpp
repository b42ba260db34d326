// An operation's commands as one job on the port thread: the first failure,
// a Cancel or a lost link ends it before the next command goes, with at
// most one box, shown once the job is back; the generator serves the next
// operation as before.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "CommandJob.h"
#include "FakePort.h"
#include "PortWorker.h"
#include "ResourceIds.h"

#include "TestPorts.h"
#include "TestSupport.h"
#include "UserAction.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

// The scripted port, with a hook that runs as each command goes out.
class JobPort : public FakePort
{
public:
    int32_t SendCommand(PortId id, const char* command, char* reply, int32_t length) override
    {
        onPortThread.push_back(PortWorker::OnPortThread());
        if (onCommand)
            onCommand(command);
        return FakePort::SendCommand(id, command, reply, length);
    }
    std::function<void(const std::string&)> onCommand;
    std::vector<bool> onPortThread;
};

std::vector<CommandLine> FiveLines()
{
    std::vector<CommandLine> lines;
    for (int n = 1; n <= 5; ++n)
        lines.emplace_back(QStringLiteral("HRES %1").arg(640 + n));
    return lines;
}

enum class Ending { Refused, Cancelled, LinkLost };

struct EndingCase
{
    const char* what;
    Ending ending;
    int boxes;
};

const EndingCase kEndings[] = {
    {"refused", Ending::Refused, 1},
    {"cancelled", Ending::Cancelled, 0},
    {"link lost", Ending::LinkLost, 1},
};

class GeneratorJobsTest : public PlatformTest
{
protected:
    // The third command meets the ending.
    void EndAtThird(JobPort& port, CProgressDlg& progress, Ending ending, const std::string& third)
    {
        if (ending == Ending::Refused)
            port.Script(third, "Execution error: 3\r\n", MORVANE_E_EXECUTION);
        if (ending == Ending::LinkLost) {
            port.Script(third, "", MORVANE_E_TIMEOUT);
            port.generatorRate = 0; // silent until the test wakes it
        }
        if (ending == Ending::Cancelled)
            port.onCommand = [&progress, third](const std::string& command) {
                if (command == third)
                    progress.OnCancel();
            };
        if (ending != Ending::Cancelled)
            prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    }
};

TEST_F(GeneratorJobsTest, TheThirdCommandsEndingStopsTheJobBeforeTheFourth)
{
    for (const EndingCase& c : kEndings) {
        SCOPED_TRACE(c.what);
        JobPort port;
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        EndAtThird(port, progress, c.ending, "HRES 643");
        const quint64 haltsBefore = CGenerator::HaltingFailureCount();
        const size_t boxesBefore = prompter.Messages().size();

        EXPECT_FALSE(gen.SendCommandLines(FiveLines(), &progress));

        EXPECT_EQ(port.commands, (Commands{"HRES 641", "HRES 642", "HRES 643"}));
        EXPECT_EQ(port.onPortThread, (std::vector<bool>{true, true, true}));
        EXPECT_EQ(prompter.Messages().size() - boxesBefore, size_t(c.boxes));
        prompter.VerifyAllUsed();
        EXPECT_EQ(gen.IsLinkLost(), c.ending == Ending::LinkLost);
        // A Cancel halts nothing beyond its own job; a failure cancels the dialog.
        EXPECT_EQ(CGenerator::HaltingFailureCount() > haltsBefore, c.ending != Ending::Cancelled);
        EXPECT_TRUE(progress.IsCancelled());
        // The line the dialog shows last is the last one that went; none
        // handed over from the job comes after it.
        EXPECT_EQ(progress.GetStatus(IDC_STATUS2), QStringLiteral("HRES 643"));
        QCoreApplication::processEvents();
        EXPECT_EQ(progress.GetStatus(IDC_STATUS2), QStringLiteral("HRES 643"));

        // The next operation goes out as before (a lost link after its handshake).
        port.onCommand = nullptr;
        port.generatorRate = 2400;
        if (c.ending == Ending::LinkLost) {
            ASSERT_TRUE(gen.CheckLink());
        }
        CProgressDlg next(nullptr, true);
        EXPECT_TRUE(gen.SendCommandLines({CommandLine(QStringLiteral("VRES 480"))}, &next));
        EXPECT_EQ(port.commands.back(), "VRES 480");
    }
}

// Queries in a job are read as they come; a job that runs whole reports
// nothing, and its commands are refused to an event that runs meanwhile.
TEST_F(GeneratorJobsTest, QueriesOfAJobAreParsedOnThePortThread)
{
    JobPort port;
    port.Script("HRES?", "640\r\n");
    port.Script("VRES?", "480\r\n");
    CGenerator gen(nullptr, kCom1);
    int h = 0;
    int v = 0;
    std::vector<bool> readOnPortThread;
    EXPECT_TRUE(gen.RunCommands(nullptr, [&](CommandJob&) {
        h = gen.SendQueryInt(QStringLiteral("HRES?"));
        readOnPortThread.push_back(PortWorker::OnPortThread());
        v = gen.SendQueryInt(QStringLiteral("VRES?"));
    }));
    EXPECT_EQ((std::vector<int>{h, v}), (std::vector<int>{640, 480}));
    EXPECT_EQ(readOnPortThread, std::vector<bool>{true});
    EXPECT_TRUE(prompter.Messages().empty());
    EXPECT_EQ(port.commands, (Commands{"HRES?", "VRES?"}));
}

// A link lost before the job: its first command asks about the reconnect,
// as a first command of a user action always did. No sends nothing; Yes
// reconnects, and the job then goes whole.
TEST_F(GeneratorJobsTest, AJobOnALostLinkAsksOnceBeforeItStarts)
{
    const PromptMatch question = PromptMatch::Caption(QStringLiteral("Link Lost"));
    const struct {
        int answer;
        Commands sent;
    } cases[] = {
        {IDNO, {}},
        {IDYES, {"VERF?", "*IDN?", "HRES 641", "HRES 642", "HRES 643", "HRES 644", "HRES 645"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        JobPort port;
        CGenerator gen(nullptr, kCom1);
        std::vector<bool> heard;
        QObject listener;
        gen.AddLinkListener(&listener, [&heard](bool lost) { heard.push_back(lost); });
        port.Script("HRES 641", "", MORVANE_E_NO_ECHO);
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        gen.SendCommandText(QStringLiteral("HRES 641"));
        ASSERT_TRUE(gen.IsLinkLost());
        port.commands.clear();
        port.Script("HRES 641", "");
        prompter.ExpectMessage(question, c.answer, MB_YESNO | MB_ICONQUESTION);
        bool sent = false;
        {
            const UserAction action;
            CProgressDlg progress(nullptr, true);
            sent = gen.SendCommandLines(FiveLines(), &progress);
        }
        EXPECT_EQ(sent, c.answer == IDYES);
        EXPECT_EQ(port.commands, c.sent);
        EXPECT_EQ(gen.IsLinkLost(), c.answer == IDNO);
        EXPECT_EQ(heard, c.answer == IDYES ? (std::vector<bool>{true, false}) : std::vector<bool>{true});
        prompter.VerifyAllUsed();
    }
}

} // namespace
