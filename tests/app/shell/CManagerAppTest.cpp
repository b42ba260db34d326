#include "CAboutDlg.h"
#include "CMainWindow.h"
#include "CManagerApp.h"
#include "DialogUnits.h"
#include "ShellTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTimerEvent>

namespace {

using StartupTest = ShellTest;

// The platform step of a desktop without what the program needs.
class FailingApp : public CManagerApp {
protected:
    bool InitPlatform() override { return false; }
};

QString VersionLine(QDialog &dialog)
{
    return FindControl<QLabel>(&dialog, CAboutDlg::IDC_LIBRARY_VERSION)->text();
}

TEST_F(StartupTest, SplashShowsVersionClosesOnItsTimerThenTheMainWindowComes)
{
    CManagerApp app;
    bool splashRan = false;
    prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [&](QDialog &dialog) {
        auto &about = static_cast<CAboutDlg &>(dialog);
        splashRan = true;
        EXPECT_EQ(app.MainWindow(), nullptr) << "the main window comes after the splash";
        EXPECT_EQ(VersionLine(about), "DLL Vers 3.530");
        ASSERT_NE(about.TimerId(), 0);
        EXPECT_EQ(about.TimerInterval(), 3000);
        QTimerEvent tick(about.TimerId());
        QCoreApplication::sendEvent(&about, &tick);
        EXPECT_FALSE(about.isVisible()) << "the timer closes the splash";
        EXPECT_EQ(about.result(), QDialog::Rejected);
    });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(splashRan);
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(app.MainWindow()->isVisible());
    EXPECT_EQ(app.MainWindow()->windowTitle(), "Zotware");
    EXPECT_EQ(app.HelpFilePath(), "VERSION 3 HELP.hlp");
    EXPECT_EQ(QCoreApplication::organizationName(), "Veltrane");
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

TEST_F(StartupTest, AboutFromHelpMenuAndSystemMenuHasNoTimer)
{
    MakeWindow();
    for (int id : {int(CMainWindow::ID_APP_ABOUT), int(CMainWindow::IDM_ABOUTBOX)}) {
        prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [](QDialog &dialog) {
            auto &about = static_cast<CAboutDlg &>(dialog);
            EXPECT_EQ(about.TimerId(), 0);
            EXPECT_EQ(VersionLine(about), "DLL Vers 3.530");
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
