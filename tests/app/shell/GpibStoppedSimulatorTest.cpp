// The simulator in a process of its own, stopped (SIGSTOP) while the
// program talks to its GPIB generator and then continued, as a user does it:
// the command the stop cut is one box, and a connect afterwards finds the
// generator, its open's handshake answered.

#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "UserAction.h"

#include "morvane.h"

#include "PortDialogAnswer.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class GpibStoppedSimulatorTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        char pattern[] = "/tmp/zot-gpib-stop-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const std::string env = (dir / "env").string();
        std::vector<std::string> args = {GENSIM_PATH, "--env-file", env,     "--gpib-library", GPIB_STANDIN,
                                         "--model",   "VG-7000",    "--firmware", "7.021",     "--serial",
                                         "4711",      "--gpib",     "5"};
        std::vector<char *> argv;
        for (std::string &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        ASSERT_EQ(posix_spawn(&simulator, GENSIM_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        // gensim puts the file in place whole once its bus listens.
        const auto until = std::chrono::steady_clock::now() + 20s;
        while (!fs::exists(env) && std::chrono::steady_clock::now() < until)
            poll(nullptr, 0, 10);
        std::ifstream file(env);
        for (std::string line; std::getline(file, line);) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos)
                continue;
            const std::string name = line.substr(0, equals);
            setenv(name.c_str(), line.substr(equals + 1).c_str(), 1);
            names.push_back(name);
        }
        ASSERT_FALSE(names.empty()) << "gensim wrote no env file";
        window = ShowMainWindow(QSize());
    }

    void TearDown() override
    {
        window.reset();
        if (simulator > 0) {
            kill(simulator, SIGCONT);
            kill(simulator, SIGTERM);
            waitpid(simulator, nullptr, 0);
        }
        for (const std::string &name : names)
            unsetenv(name.c_str());
        UnregisterProgramDataKinds();
        fs::remove_all(dir);
        PlatformTest::TearDown();
    }

    bool Connect()
    {
        AnswerPortDialog(prompter, CSelectPortDlg::kTypeGpib, 5);
        return window->Router().Execute(ID_CONNECT) && Generators().GetRowCount() == 1;
    }
    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }

    fs::path dir;
    pid_t simulator = 0;
    std::vector<std::string> names;
    std::unique_ptr<CMainWindow> window;
};

// Whatever the program was doing when the simulator stopped, the cut
// command is one box and the link counts as lost; once it continues, a
// connect finds the generator (its open's handshake answered) again and again.
TEST_F(GpibStoppedSimulatorTest, AConnectAfterAStopFindsTheGenerator)
{
    const struct {
        const char *doing;
        std::function<void(CGeneratorView &)> step; // one step of it, repeated until the link is lost
    } cases[] = {
        {"queries", [](CGeneratorView &view) { view.GetGenerator()->SendCommandText(QStringLiteral("*IDN?")); }},
        {"settings without a reply",
         [](CGeneratorView &view) { view.GetGenerator()->SendCommandLine(QStringLiteral("HRES 640")); }},
        {"a list read", [](CGeneratorView &view) { view.GetGenerator()->RefreshFormatList(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.doing);
        ASSERT_TRUE(Connect());
        CGeneratorView &view = *Generators().GetRowView(0);
        // Stopped while the program talks to it, continued a while later.
        std::thread stopper([this] {
            std::this_thread::sleep_for(50ms);
            kill(simulator, SIGSTOP);
            std::this_thread::sleep_for(2s);
            kill(simulator, SIGCONT);
        });
        prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
        {
            const UserAction action;
            const auto until = std::chrono::steady_clock::now() + 20s;
            while (!view.GetGenerator()->IsLinkLost() && std::chrono::steady_clock::now() < until)
                c.step(view);
        }
        stopper.join();
        EXPECT_TRUE(view.GetGenerator()->IsLinkLost());
        prompter.VerifyAllUsed();

        Generators().RemoveAll();
        for (int again = 0; again < 2; ++again) {
            SCOPED_TRACE(again);
            ASSERT_TRUE(Connect());
            prompter.VerifyAllUsed();
            CGenerator &back = *Generators().GetRowView(0)->GetGenerator();
            back.SendCommandText(QStringLiteral("*IDN?"));
            EXPECT_TRUE(back.LastCommandSucceeded());
            Generators().RemoveAll();
        }
    }
}

} // namespace
