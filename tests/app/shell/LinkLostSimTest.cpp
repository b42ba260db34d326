// Waits that paint and a visible lost link, through the program's own
// commands against two simulated generators on pseudo-terminals: the
// connect's progress dialog painted through the baud search, a generator
// that stops answering during "Use Item", the one question of each later
// action, and Reconnect after the generator came back on a new device.

#include "CAnimateCtrl.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorStatusPane.h"
#include "CGeneratorView.h"
#include "CLinkLostBar.h"
#include "CMainWindow.h"
#include "CProgressDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "MainWindowFixture.h"
#include "Profile.h"
#include "ScopedTimeScale.h"
#include "TestSupport.h"
#include "UserAction.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Pane = CGeneratorDataPane;

// Paints of open progress dialogs: the second status line's text at each
// of its paints, and the animation's paints under each text.
class PaintRecorder : public QObject {
public:
    PaintRecorder() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintRecorder() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *dialog = widget ? dynamic_cast<CProgressDlg *>(widget->window()) : nullptr;
        if (!dialog)
            return false;
        const QString step = dialog->GetStatus(IDC_STATUS2);
        // The dialog is painted once before the operation writes its first step.
        if (widget == FindControl<QLabel>(dialog, IDC_STATUS2) && !step.isEmpty()
            && (stepsPainted.isEmpty() || stepsPainted.last() != step))
            stepsPainted.append(step);
        if (dynamic_cast<CAnimateCtrl *>(widget))
            ++animationPaints[step];
        if (onPaint)
            onPaint(step);
        return false;
    }

    QStringList stepsPainted;
    std::map<QString, int> animationPaints;
    std::function<void(const QString &step)> onPaint;
};

class LinkLostSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        link = std::filesystem::path(TempPath(QStringLiteral("com1")).toStdString());
        // COM1 behind a link, as ./zot run makes it: a restart moves the link to a new pty.
        gensim::Generator &g1 = sim.addGenerator(
            {.model = "VG-7000", .firmware = "7.011", .serial = "100001", .baudRate = 9600, .link = link.string()});
        gensim::Generator &g2 =
            sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "100002", .baudRate = 115200, .link = ""});
        setenv("MORVANE_COM1", g1.comPath().c_str(), 1);
        setenv("MORVANE_COM2", g2.comPath().c_str(), 1);
        sim.start();
        window = ShowMainWindow();
    }

    void TearDown() override
    {
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CGeneratorView &View(int row) { return *Generators().GetRowView(row); }
    gensim::Generator &Gen(size_t i) { return sim.generator(i); }
    QAction *ConnectAction() { return window->findChild<QAction *>(QStringLiteral("cmd%1").arg(ID_CONNECT)); }

    void Connect(int com)
    {
        AnswerPortDialogCom(prompter, com);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // Shows view row (its first showing scans) and selects the format name in its list.
    void ShowAndSelectFormat(int row, const QString &name)
    {
        Generators().SelectRow(row, true);
        Generators().OnDblclkList();
        Pane &pane = *View(row).DataPane();
        ASSERT_TRUE(pane.IsScanned());
        const int at = pane.FindRow(Pane::kFormats, name);
        ASSERT_GE(at, 0);
        pane.NameList(Pane::kFormats)->item(at)->setSelected(true);
        pane.UpdateSelectionState();
    }

    // Lets the posted refreshes run.
    static void Settle()
    {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
            QTest::qWait(10);
        }
    }

    QStringList StatusValues(int row)
    {
        QStringList values;
        const CGeneratorStatusPane &pane = *View(row).StatusPane();
        for (int r = 0; r < pane.RowCount(); ++r)
            values.append(pane.RowValue(r));
        return values;
    }

    static long Count(gensim::Generator &g, const std::string &line)
    {
        const Lines lines = g.trace().lines();
        return long(std::count(lines.begin(), lines.end(), line));
    }

    static long CountPrefix(gensim::Generator &g, const std::string &prefix)
    {
        const Lines lines = g.trace().lines();
        return long(std::count_if(lines.begin(), lines.end(),
                                  [&](const std::string &line) { return line.rfind(prefix, 0) == 0; }));
    }

    void ExpectQuestion(int answer)
    {
        prompter.ExpectMessage(PromptMatch::Id(IDS_LINK_LOST_RECONNECT)
                                   .AndCaption(QStringLiteral("Link Lost")),
                               answer, MB_YESNO | MB_ICONQUESTION);
    }

    gensim::Simulator sim;
    std::filesystem::path link;
    std::unique_ptr<CMainWindow> window;
};

// Connect from the menu to a generator at 9600: the search's progress dialog
// paints each step and keeps animating while each handshake blocks; a
// click on Connect meanwhile is dropped, not replayed after the search.
TEST_F(LinkLostSimTest, PaintedConnect)
{
    WriteProfileInt("Generator", "PersistentBaudRate", 9600);
    PaintRecorder paints;
    QToolBar *toolBar = window->findChild<QToolBar *>(QStringLiteral("id202"));
    ASSERT_NE(toolBar, nullptr);
    QWidget *connectButton = toolBar->widgetForAction(ConnectAction());
    ASSERT_NE(connectButton, nullptr);
    bool clicked = false;
    paints.onPaint = [&](const QString &step) {
        if (clicked || step != QStringLiteral("Checking 57600"))
            return;
        clicked = true;
        const QPointF at(connectButton->width() / 2.0, connectButton->height() / 2.0);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(connectButton, new QMouseEvent(type, at, connectButton->mapToGlobal(at),
                                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    };
    AnswerPortDialogCom(prompter, 1); // one port dialog: a second one fails the test
    {
        // Each wrong rate waits out a handshake: a fifth of a second here.
        ScopedTimeScale search("0.2");
        ConnectAction()->trigger();
    }
    Settle();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(Generators().GetRowCount(), 1);
    const QStringList steps = {"Attempting to handshake.", "Checking 115200", "Checking 57600", "Checking 38400",
                               "Checking 19200", "Checking 9600"};
    EXPECT_EQ(paints.stepsPainted, steps);
    // The wrong rates each block for a handshake's time-out: the animation goes on.
    for (const QString &step : steps.mid(0, 5))
        EXPECT_GT(paints.animationPaints[step], 0) << qPrintable(step);
}

TEST_F(LinkLostSimTest, LostLinkAsksOncePerActionAndReconnects)
{
    WriteProfileInt("Generator", "PersistentBaudRate", 19200);
    Connect(1);
    Connect(2);
    ASSERT_EQ(Generators().GetRowCount(), 2);
    ShowAndSelectFormat(0, QStringLiteral("DMT8075"));
    CGeneratorView &view = View(0);
    CGenerator &generator = *view.Connection();
    const QStringList shown = StatusValues(0);
    Gen(1).trace().clear();

    // COM1 stops answering during Use Item: one box, the marks, the values kept.
    Gen(0).fault(gensim::Fault::dropLink());
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    {
        ScopedTimeScale lost("0.1");
        ASSERT_TRUE(view.Router().Execute(ID_USE_ITEM));
    }
    EXPECT_TRUE(generator.IsLinkLost());
    EXPECT_TRUE(Generators().IsRowLinkLost(0));
    EXPECT_FALSE(Generators().IsRowLinkLost(1));
    EXPECT_EQ(Generators().List()->topLevelItem(0)->toolTip(0),
              QStringLiteral("The link to the VG-7000 on Com-1 is lost."));
    ASSERT_TRUE(view.LinkLostBar()->isVisible());
    EXPECT_EQ(view.LinkLostBar()->Text(), QStringLiteral("The link to the VG-7000 on Com-1 is lost."));
    EXPECT_TRUE(view.StatusPane()->IsGreyed());
    EXPECT_EQ(StatusValues(0), shown) << "no 0 x 0, no 0.000 Mhz";
    Generators().SelectRow(0, false); // the mark shows on an unselected row
    SaveScreenshot(*window, QStringLiteral("LinkLostRow"));
    SaveScreenshot(view, QStringLiteral("LinkLostBar"));

    // The next Use asks once; No sends nothing and keeps what the pane shows.
    Gen(0).trace().clear();
    ExpectQuestion(IDNO);
    ASSERT_TRUE(view.Router().Execute(ID_USE_ITEM));
    Settle();
    EXPECT_TRUE(Gen(0).trace().lines().empty());
    EXPECT_EQ(StatusValues(0), shown);

    // An action of sixty commands asks once as well.
    ExpectQuestion(IDNO);
    {
        const UserAction action;
        for (int i = 0; i < 60; ++i)
            generator.QueryHres();
    }
    EXPECT_TRUE(Gen(0).trace().lines().empty());
    // Traffic outside an action never asks.
    generator.QueryHres();

    // The generator answers again; Yes: the handshake brings the link back and the command runs.
    Gen(0).clearFaults();
    ExpectQuestion(IDYES);
    ASSERT_TRUE(view.Router().Execute(ID_USE_ITEM));
    Settle();
    EXPECT_FALSE(generator.IsLinkLost());
    EXPECT_GE(Count(Gen(0), "FMTL \"DMT8075\""), 1);
    EXPECT_EQ(Count(Gen(0), "FMTU;*OPC?"), 1) << "the format is in use";
    EXPECT_FALSE(Generators().IsRowLinkLost(0));
    EXPECT_FALSE(view.LinkLostBar()->isVisible());
    EXPECT_FALSE(view.StatusPane()->IsGreyed());

    // Lost again; the generator restarts on a new pty at its start-up rate.
    Gen(0).fault(gensim::Fault::dropLink());
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    {
        ScopedTimeScale lost("0.1");
        ASSERT_TRUE(view.Router().Execute(ID_USE_ITEM));
    }
    ASSERT_TRUE(generator.IsLinkLost());
    Gen(0).clearFaults();
    sim.restartOnNewPty(0);
    ASSERT_EQ(Gen(0).baudRate(), 9600);
    // Another unit is plugged in: a new serial number.
    Gen(0).fault(gensim::Fault::scriptedReply("*IDN?", "Veltrane,VG-7000,100009,7.011\r\n>", gensim::Fault::kForever));
    Gen(0).trace().clear();
    {
        ScopedTimeScale search("0.2");
        view.LinkLostBar()->ReconnectButton()->click();
    }
    Settle();
    EXPECT_FALSE(generator.IsLinkLost());
    EXPECT_EQ(Gen(0).baudRate(), 19200) << "the row's rate again";
    EXPECT_EQ(Count(Gen(0), "MODE COM1 19200 N 8 1 H"), 1);
    EXPECT_EQ(Count(Gen(0), "VERF?"), 1);
    EXPECT_EQ(Count(Gen(0), "*IDN?"), 1);
    EXPECT_EQ(Generators().GetRowText(0, 4), QStringLiteral("19200"));
    EXPECT_FALSE(Generators().IsRowLinkLost(0));
    EXPECT_FALSE(view.LinkLostBar()->isVisible());
    EXPECT_GT(Count(Gen(0), "HRES?"), 0) << "the status pane asked again";
    EXPECT_EQ(Generators().GetRowText(0, 3), QStringLiteral("100009"));
    EXPECT_EQ(view.GetState().serialNumber, QStringLiteral("100009"));
    EXPECT_GT(CountPrefix(Gen(0), "FMTQ?"), 0) << "a new generator: the view scanned it";

    EXPECT_TRUE(Gen(1).trace().lines().empty()) << "COM2 untouched";
    EXPECT_FALSE(View(1).Connection()->IsLinkLost());
}

// A view first shown while its generator does not answer comes up empty;
// after Reconnect everything it failed to read is read again, and Scan
// Formats asks the generator for its formats.
TEST_F(LinkLostSimTest, AViewShownWhileTheGeneratorWasGoneIsReadAgainAfterReconnect)
{
    Connect(1);
    Gen(0).fault(gensim::Fault::dropLink());
    prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Link Lost")), IDNO);
    {
        ScopedTimeScale lost("0.1");
        Generators().SelectRow(0, true);
        Generators().OnDblclkList();
    }
    Settle();
    Pane &pane = *View(0).DataPane();
    ASSERT_TRUE(View(0).Connection()->IsLinkLost());
    EXPECT_EQ(pane.NameList(Pane::kFormats)->count(), 0);

    Gen(0).clearFaults();
    View(0).LinkLostBar()->ReconnectButton()->click();
    Settle();
    ASSERT_FALSE(View(0).Connection()->IsLinkLost());
    const int formats = int(Gen(0).names(gensim::ItemKind::Format).size());
    const int images = int(Gen(0).names(gensim::ItemKind::Image).size());
    ASSERT_GT(formats, 0);
    EXPECT_EQ(pane.NameList(Pane::kFormats)->count(), formats);
    EXPECT_EQ(pane.NameList(Pane::kImages)->count(), images);
    EXPECT_FALSE(View(0).GetState().format.isEmpty()) << "the state was read again";
    SaveScreenshot(View(0), QStringLiteral("ReconnectReadsAgain"));

    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Detailed Format List")), IDYES);
    pane.ScanFormats();
    EXPECT_EQ(pane.FormatListRowCount(), formats);
}

} // namespace
