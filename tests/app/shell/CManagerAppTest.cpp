#include "CAboutDlg.h"
#include "CMainWindow.h"
#include "CManagerApp.h"
#include "DialogUnits.h"
#include "ShellTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTest>
#include <QTimerEvent>

namespace {

class StartupTest : public ShellTest {
protected:
    void TearDown() override
    {
        CAboutDlg::SetSplashInterval(0);
        ShellTest::TearDown();
    }
};

// The platform step of a desktop without what the program needs.
class FailingApp : public CManagerApp {
protected:
    bool InitPlatform() override { return false; }
};

QString VersionLine(QDialog &dialog)
{
    return FindControl<QLabel>(&dialog, IDC_LIBRARY_VERSION)->text();
}

// Lets the splash run until it closes itself; false when it is still open
// after limitMs. elapsedMs: how long it stayed.
bool WaitForSelfClose(QDialog &dialog, int limitMs, qint64 *elapsedMs = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    const bool closed = QTest::qWaitFor([&] { return !dialog.isVisible(); }, limitMs);
    if (elapsedMs)
        *elapsedMs = clock.elapsed();
    return closed;
}

TEST_F(StartupTest, SplashShowsVersionClosesByItselfThenTheMainWindowComes)
{
    CAboutDlg::SetSplashInterval(20);
    CManagerApp app;
    bool splashRan = false;
    prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [&](QDialog &dialog) {
        auto &about = static_cast<CAboutDlg &>(dialog);
        splashRan = true;
        EXPECT_EQ(app.MainWindow(), nullptr) << "the main window comes after the splash";
        EXPECT_EQ(VersionLine(about), "DLL Vers 3.530");
        EXPECT_EQ(about.TimerInterval(), 20);
        EXPECT_TRUE(WaitForSelfClose(about, 10000)) << "the splash's timer closes it";
        EXPECT_EQ(about.TimerId(), 0) << "its timer is gone";
        EXPECT_EQ(about.result(), QDialog::Rejected) << "like Cancel";
    });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(splashRan);
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(app.MainWindow()->isVisible());
    EXPECT_EQ(app.MainWindow()->windowTitle(), "Zotware");
    EXPECT_EQ(app.HelpFilePath(), "VERSION 3 HELP.hlp");
    EXPECT_EQ(QCoreApplication::organizationName(), "Veltrane");
}

// The one test that waits the real three seconds.
TEST_F(StartupTest, SplashStaysItsFullThreeSeconds)
{
    CAboutDlg splash;
    splash.autoClose = true;
    qint64 shown = 0;
    prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [&](QDialog &dialog) {
        EXPECT_EQ(static_cast<CAboutDlg &>(dialog).TimerInterval(), 3000);
        EXPECT_TRUE(WaitForSelfClose(dialog, 30000, &shown));
    });
    DoModal(splash);
    // A coarse timer may fire up to 5 % early.
    EXPECT_GE(shown, 2850);
}

TEST_F(StartupTest, OkClosesTheSplashAtOnce)
{
    CManagerApp app;
    prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [](QDialog &dialog) {
        FindControl<QPushButton>(&dialog, IDOK)->click();
    });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_NE(app.MainWindow(), nullptr);
}

TEST_F(StartupTest, FailedPlatformStepEndsStartupWithItsMessageOnly)
{
    FailingApp app;
    prompter.ExpectMessage(PromptMatch::Text("Ole Initialization Failed"), IDOK, MB_OK);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.MainWindow(), nullptr);
    EXPECT_EQ(prompter.Records().size(), 1u) << "no splash after the failure";
}

TEST_F(StartupTest, AboutFromHelpMenuAndSystemMenuStaysOpen)
{
    CAboutDlg::SetSplashInterval(10); // a splash would be gone long before the wait ends
    MakeWindow();
    for (int id : {int(ID_APP_ABOUT), int(IDM_ABOUTBOX)}) {
        prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [id](QDialog &dialog) {
            auto &about = static_cast<CAboutDlg &>(dialog);
            EXPECT_EQ(about.TimerId(), 0) << id;
            EXPECT_EQ(VersionLine(about), "DLL Vers 3.530") << id;
            EXPECT_FALSE(WaitForSelfClose(about, 200)) << id << ": closed by itself";
            about.accept();
        });
        EXPECT_TRUE(window->Router().Execute(id)) << id;
    }
}

TEST_F(StartupTest, TimerThatIsNotTheSplashsReportsAndKeepsTheDialogOpen)
{
    CAboutDlg about;
    about.autoClose = true;
    about.show();
    prompter.ExpectMessage(PromptMatch::Text("CAboutDlg::OnTimer: KillTimer failed."), IDOK, MB_OK);
    about.OnTimer(about.TimerId() + 1000);
    EXPECT_TRUE(about.isVisible());
    about.OnTimer(about.TimerId());
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutVersionText, AlwaysThreeDecimals)
{
    const struct {
        double version;
        const char *text;
    } cases[] = {{3.53, "DLL Vers 3.530"}, {3.5, "DLL Vers 3.500"}, {10.0, "DLL Vers 10.000"}, {3.5304, "DLL Vers 3.530"}};
    for (const auto &c : cases)
        EXPECT_EQ(CAboutDlg::LibraryVersionText(c.version), c.text) << c.version;
}

} // namespace
