// The command terminal and the Diagnostics window as a user reaches them:
// a generator connected through the port dialog, each window opened from
// the view's Tools commands, lines typed and sent, the canvas read, a
// benchmark run; on COM1 the Diagnostics window runs nothing; and a
// Diagnostics window whose routine runs is shown again, not deleted.

#include "CCmdTerminalDlg.h"
#include "CDiagnosticsDlg.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "DiagnosticsHooks.h"
#include "DialogUnits.h"
#include "DriverSocketPath.h"
#include "MainWindowFixture.h"
#include "PortDialogAnswer.h"
#include "TestPorts.h"
#include "TestSupport.h"
#include "ToolLibrary.h"

#include "gensim/Simulator.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<int> g_frames{0};

void Frames(ToolLibrary &lib)
{
    while (DiagnosticsKeepRunning()) {
        ++g_frames;
        lib.XR_Get_color1();
    }
}

const DemonstrationRow kFrames[] = {{Frames, "Frames", true}};

class ToolWindowsUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        sim.openDriver(socket.path());
        gensim::Generator &com = sim.addGenerator({.model = "VG-7000", .firmware = "7.041", .serial = "100001",
                                                   .baudRate = 2400, .link = ""});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "100005", .pty = false, .pciCard = true});
        sim.start();
        setenv("MORVANE_COM1", com.comPath().c_str(), 1);
        window = ShowMainWindow();
    }
    void TearDown() override
    {
        window.reset();
        CDiagnosticsDlg::InstallMethods({});
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    CGeneratorView &Connect(int type, int number)
    {
        AnswerPortDialog(prompter, type, number);
        EXPECT_TRUE(window->Router().Execute(ID_CONNECT));
        CGeneratorListView &list = *window->GetGeneratorListView();
        return *list.GetRowView(list.GetRowCount() - 1);
    }

    // The view's one window of that class (they carry no meta-object of their own).
    template <class Window>
    static Window *Child(CGeneratorView &view)
    {
        QList<Window *> windows;
        for (QDialog *dialog : view.findChildren<QDialog *>())
            if (auto *window = dynamic_cast<Window *>(dialog))
                windows.append(window);
        return windows.size() == 1 ? windows.first() : nullptr;
    }

    static QStringList Send(CCmdTerminalDlg &terminal, const QString &line)
    {
        const int before = terminal.Console()->count() - 1;
        QTest::keyClicks(terminal.Edit(), line);
        QTest::mouseClick(terminal.SendButton(), Qt::LeftButton);
        QStringList lines;
        for (int row = before; row < terminal.Console()->count(); ++row)
            lines.append(terminal.Console()->item(row)->text());
        return lines;
    }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(ToolWindowsUserPathSimTest, TerminalAndDiagnosticsOnPci)
{
    CGeneratorView &view = Connect(CSelectPortDlg::kTypePci, 1);
    ASSERT_TRUE(view.Router().Execute(ID_CMD_TERMINAL));
    CCmdTerminalDlg *terminal = Child<CCmdTerminalDlg>(view);
    ASSERT_NE(terminal, nullptr);
    EXPECT_EQ(terminal->windowTitle(), QStringLiteral("CMD Terminal: VG-7000 on Pci-1"));
    const QStringList identity = Send(*terminal, QStringLiteral("*IDN?"));
    ASSERT_EQ(identity.size(), 5);
    EXPECT_EQ(identity[2], QStringLiteral("Veltrane,VG-7000,100005,7.045"));
    EXPECT_GT(Send(*terminal, QStringLiteral("FMTQ? 1 450")).size(), 5);
    prompter.ExpectMessage(PromptMatch::Id(kCommandErrorId), IDOK, kWarningBox);
    EXPECT_EQ(Send(*terminal, QStringLiteral("FMTZ 9")).mid(2, 1), QStringList{"*** Command invalid"});
    prompter.VerifyAllUsed();
    QTest::keyClick(terminal->Edit(), Qt::Key_Up);
    EXPECT_EQ(terminal->Edit()->text(), QStringLiteral("FMTZ 9"));
    SaveScreenshot(*terminal, QStringLiteral("user_path_terminal_pci1"));

    ASSERT_TRUE(view.Router().Execute(ID_DIAGNOSTICS));
    CDiagnosticsDlg *diagnostics = Child<CDiagnosticsDlg>(view);
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_EQ(diagnostics->windowTitle(), QStringLiteral("Diagnostics: VG-7000 on Pci-1"));
    QTest::mouseClick(FindControl<QPushButton>(diagnostics, IDC_RELOAD_CANVAS), Qt::LeftButton);
    ASSERT_EQ(diagnostics->CanvasTree()->topLevelItemCount(), 1);
    EXPECT_EQ(diagnostics->CanvasTree()->topLevelItem(0)->childCount(), 2);
    QTest::keyClicks(FindControl<QLineEdit>(diagnostics, IDC_DMA_CODE), QStringLiteral("22"));
    prompter.ExpectMessage(PromptMatch::Id(IDS_DMA_BASE), IDOK, MB_OK);
    prompter.ExpectMessage(PromptMatch::Id(IDS_DMA_BASE), IDOK, MB_OK);
    ASSERT_TRUE(diagnostics->Router().Execute(ID_DMA_BENCHMARK));
    prompter.VerifyAllUsed();
    QTreeWidgetItem *benchmark = diagnostics->CanvasTree()->topLevelItem(1);
    ASSERT_NE(benchmark, nullptr);
    EXPECT_EQ(benchmark->child(0)->child(0)->text(0), QStringLiteral("BYTE Fail: 0.00%"));
    diagnostics->CanvasTree()->topLevelItem(0)->setExpanded(true);
    SaveScreenshot(*diagnostics, QStringLiteral("user_path_diagnostics_pci1"));
}

TEST_F(ToolWindowsUserPathSimTest, OnComTheDiagnosticsRunNothing)
{
    CGeneratorView &view = Connect(CSelectPortDlg::kTypeSerial, 1);
    ASSERT_TRUE(view.Router().Execute(ID_DIAGNOSTICS));
    CDiagnosticsDlg *diagnostics = Child<CDiagnosticsDlg>(view);
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_FALSE(diagnostics->MethodList()->isEnabled());
    for (int id : {IDC_EXECUTE_SELECTED, IDC_RELOAD_CANVAS, IDC_EXECUTE_ALL, IDC_STOP})
        EXPECT_FALSE(FindControl<QPushButton>(diagnostics, id)->isEnabled()) << id;
    EXPECT_FALSE(diagnostics->Router().Action(ID_DMA_BENCHMARK)->isEnabled());
    SaveScreenshot(*diagnostics, QStringLiteral("user_path_diagnostics_com1"));
}

// The view would make a hidden window anew; one whose routine runs is shown
// as it is, and a stop request from the program ends the routine.
TEST_F(ToolWindowsUserPathSimTest, ABusyWindowIsShownAgainNotDeleted)
{
    CDiagnosticsDlg::InstallMethods(kFrames);
    g_frames = 0;
    CGeneratorView &view = Connect(CSelectPortDlg::kTypePci, 1);
    ASSERT_TRUE(view.Router().Execute(ID_DIAGNOSTICS));
    QPointer<CDiagnosticsDlg> diagnostics = Child<CDiagnosticsDlg>(view);
    ASSERT_NE(diagnostics, nullptr);
    bool checked = false;
    QTimer::singleShot(100, diagnostics, [&] {
        diagnostics->hide();
        view.OpenDiagnostics();
        EXPECT_FALSE(diagnostics.isNull());
        EXPECT_TRUE(diagnostics->isVisible());
        EXPECT_EQ(Child<CDiagnosticsDlg>(view), diagnostics.data());
        EXPECT_TRUE(view.StopBusyChildren());
        checked = true;
    });
    diagnostics->MethodList()->setCurrentItem(diagnostics->MethodList()->topLevelItem(0));
    diagnostics->OnExecuteSelected();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(view.StopBusyChildren());
    // Idle and hidden, it is made anew.
    diagnostics->hide();
    view.OpenDiagnostics();
    QCoreApplication::processEvents();
    EXPECT_TRUE(diagnostics.isNull());
}

} // namespace
