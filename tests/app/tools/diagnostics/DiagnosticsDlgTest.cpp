// The Diagnostics window on the simulated generators, with methods of the
// tests' own: its controls by port type, the times and "N/A" it shows, Stop
// during a call's wait, the one-run-at-a-time rule across windows, failed
// preparations and calls, canvases the routines cannot use, each window's
// own drawing state, and the canvas tree against the card's values.

#include "CDiagnosticsDlg.h"
#include "CanvasTreeRows.h"
#include "DiagnosticsHooks.h"
#include "DiagnosticsTimer.h"
#include "DialogUnits.h"
#include "ResourceIds.h"
#include "GeneratorSet.h"
#include "ToolLibrary.h"

#include "TestSupport.h"

#include "gensim/CardDci.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/IsaCard.h"
#include "gensim/PciCard.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <cstring>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Port = GeneratorSet::Port;

// What the tests' methods did, on the port thread.
std::atomic<int> g_plainRuns{0};
std::atomic<int> g_polls{0};
std::atomic<uint32_t> g_widthSeen{0};
std::vector<int> g_order;

void Plain(ToolLibrary &lib)
{
    ++g_plainRuns;
    g_order.push_back(1);
    g_widthSeen = DiagnosticsWord(RCC_WIDTH);
    lib.XR_Get_color1();
}

void Second(ToolLibrary &lib)
{
    g_order.push_back(3);
    lib.XR_Get_color1();
}

// Runs until Stop, each poll a call through the card's mailbox.
void Animated(ToolLibrary &lib)
{
    g_order.push_back(2);
    while (DiagnosticsKeepRunning()) {
        ++g_polls;
        lib.XR_Get_color1();
    }
}

// Long enough for the GUI thread's timers to act during its wait.
void Slow(ToolLibrary &lib)
{
    g_order.push_back(4);
    lib.XR_Get_color1();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

const DemonstrationRow kMethods[] = {
    {Plain, "Plain", false},
    {Animated, "Animated", true},
    {Second, "Second", false},
    {Slow, "Slow", false},
};

// 1.5 ms for every method: two counts 1500 apart at a million a second.
class SteppingTimer : public DiagnosticsTimer {
public:
    int64_t Frequency() const override { return 1000000; }
    int64_t Count() const override { return m_count += 1500; }

private:
    mutable std::atomic<int64_t> m_count{0};
};

class NoTimer : public DiagnosticsTimer {
public:
    int64_t Frequency() const override { return 0; }
};

// The library as a test makes it fail: the preparation, or the calls a
// method makes.
class FailingLibrary : public ToolLibrary {
public:
    bool failPrepare = false;
    bool failCalls = false;
    int32_t XR_PortPrepareRemoteCall(PortId port, RemoteCallContext *context, int32_t fill) override
    {
        if (!failPrepare)
            return ToolLibrary::XR_PortPrepareRemoteCall(port, context, fill);
        SetError(MORVANE_E_PCI_DMA);
        return 0;
    }
    uint32_t XR_Get_color1() override
    {
        const uint32_t colour = ToolLibrary::XR_Get_color1();
        if (failCalls)
            SetError(MORVANE_E_PCI_DMA);
        return colour;
    }
};

class DiagnosticsDlgTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        CDiagnosticsDlg::InstallMethods(kMethods);
        InstallDiagnosticsTimer(&timer);
        g_plainRuns = 0;
        g_polls = 0;
        g_order.clear();
    }
    void TearDown() override
    {
        InstallToolLibrary(nullptr);
        InstallDiagnosticsTimer(nullptr);
        CDiagnosticsDlg::InstallMethods({});
        PlatformTest::TearDown();
    }

    std::unique_ptr<CDiagnosticsDlg> Open(CGenerator &generator)
    {
        auto window = std::make_unique<CDiagnosticsDlg>(nullptr, &generator);
        window->show();
        return window;
    }

    static void Select(CDiagnosticsDlg &window, int row)
    {
        window.MethodList()->setCurrentItem(window.MethodList()->topLevelItem(row));
    }
    static QString TimeCell(CDiagnosticsDlg &window, int row)
    {
        return window.MethodList()->topLevelItem(row)->text(1);
    }
    static QPushButton *Button(CDiagnosticsDlg &window, int id)
    {
        return FindControl<QPushButton>(&window, id);
    }
    static QStringList Children(QTreeWidgetItem *item)
    {
        QStringList texts;
        for (int i = 0; item && i < item->childCount(); ++i)
            texts.append(item->child(i)->text(0));
        return texts;
    }
    static QTreeWidgetItem *Group(CDiagnosticsDlg &window, const QString &name)
    {
        QTreeWidgetItem *root = window.CanvasTree()->topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i)
            if (root->child(i)->text(0) == name)
                return root->child(i);
        return nullptr;
    }

    // Runs what once the animated row has polled, from the GUI thread
    // during the row's wait; the timer goes with the returned object.
    static std::unique_ptr<QTimer> OnceAnimating(std::function<void()> what)
    {
        auto timer = std::make_unique<QTimer>();
        QTimer *t = timer.get();
        QObject::connect(t, &QTimer::timeout, [t, what = std::move(what)] {
            if (g_polls > 0 && t->isActive()) {
                t->stop();
                what();
            }
        });
        t->start(10);
        return timer;
    }

    SteppingTimer timer;
    GeneratorSet set;
};

TEST(ParseHexTest, TakesOneToEightHexDigits)
{
    struct Case {
        const char *text;
        bool taken;
        uint32_t value;
    };
    const Case cases[] = {
        {"1A", true, 26},          {"", true, 0},           {"ff", true, 0xFF},       {"11", true, 0x11},
        {"FFFFFFFF", true, 0xFFFFFFFFu}, {"0", true, 0},    {"123456789", false, 0},  {"G1", false, 0},
        {"0x11", false, 0},        {" 1", false, 0},        {"1-", false, 0},         {"\xc3\xa9", false, 0},
    };
    for (const Case &c : cases) {
        uint32_t value = 0xDEAD;
        EXPECT_EQ(CDiagnosticsDlg::ParseHex(QString::fromUtf8(c.text), value), c.taken) << c.text;
        if (c.taken) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(CanvasTreeRowsTest, ValuesAsPrintfWritesThem)
{
    EXPECT_EQ(CanvasTreeRows::Hex(0), QStringLiteral("       0"));
    EXPECT_EQ(CanvasTreeRows::Hex(0xFF), QStringLiteral("    0XFF"));
    EXPECT_EQ(CanvasTreeRows::Hex(0x12345678), QStringLiteral("0X12345678"));
    EXPECT_EQ(CanvasTreeRows::Int(5), QStringLiteral("5    "));
    EXPECT_EQ(CanvasTreeRows::Int(0xFFFFFFFFu), QStringLiteral("-1   "));
    EXPECT_EQ(CanvasTreeRows::Int(123456), QStringLiteral("123456"));
    EXPECT_EQ(CanvasTreeRows::Double(1.5), QStringLiteral("1.50000"));
    EXPECT_EQ(CanvasTreeRows::Double(-0.333333333), QStringLiteral("-0.33333"));
    EXPECT_EQ(CanvasTreeRows::SmallHex(0x1AB), QStringLiteral("ab "));
    EXPECT_EQ(CanvasTreeRows::SmallHex(7), QStringLiteral("7  "));

    RemoteCallContext context{};
    context.words[RCC_WHITE] = 0xFF;
    context.words[RCC_WIDTH] = 640;
    const double normal = 1.25;
    std::memcpy(&context.words[RCC_NORMALWIDTH], &normal, sizeof normal);
    context.words[RCC_UINTSIZE] = 0x104;
    context.words[RCC_XYORIGIN] = 0x10;
    const QStringList colours = CanvasTreeRows::Colours(context);
    ASSERT_EQ(colours.size(), 70);
    EXPECT_EQ(colours[0], QStringLiteral("black =        0"));
    EXPECT_EQ(colours[RCC_WHITE], QStringLiteral("white =     0XFF"));
    EXPECT_EQ(colours[69], QStringLiteral("foreground =        0"));
    const QStringList parameters = CanvasTreeRows::Parameters(context);
    ASSERT_EQ(parameters.size(), 43);
    EXPECT_EQ(parameters[15], QStringLiteral("width = 640  "));
    EXPECT_EQ(parameters[17], QStringLiteral("ctm = matrix..."));
    EXPECT_EQ(parameters[21], QStringLiteral("normalwidth = 1.25000"));
    EXPECT_EQ(parameters[23], QStringLiteral("uintsize = 4  "));
    EXPECT_EQ(parameters[42], QStringLiteral("xyorigin =     0X10"));
}

TEST_F(DiagnosticsDlgTest, ControlsByPortType)
{
    struct Case {
        Port port;
        bool canRun;
        bool benchmark;
    };
    for (const Case c : {Case{Port::Com1, false, false}, Case{Port::Isa0, true, false}, Case{Port::Pci1, true, true}}) {
        SCOPED_TRACE(GeneratorSet::Name(c.port));
        auto generator = set.Connect(prompter, c.port);
        ASSERT_NE(generator, nullptr);
        auto window = Open(*generator);
        EXPECT_EQ(window->MethodList()->isEnabled(), c.canRun);
        for (int id : {IDC_EXECUTE_SELECTED, IDC_RELOAD_CANVAS, IDC_EXECUTE_ALL})
            EXPECT_EQ(Button(*window, id)->isEnabled(), c.canRun) << id;
        EXPECT_FALSE(Button(*window, IDC_STOP)->isEnabled());
        EXPECT_EQ(window->Router().Action(ID_DMA_BENCHMARK)->isEnabled(), c.benchmark);
        ASSERT_EQ(window->MethodList()->topLevelItemCount(), 4);
        EXPECT_EQ(TimeCell(*window, 1), QStringLiteral("N/A"));
        EXPECT_EQ(TimeCell(*window, 0), QString());
        if (!c.canRun) {
            // A double-click on a COM generator's row does nothing.
            Select(*window, 0);
            window->OnDblclkMethodList();
            EXPECT_EQ(g_plainRuns, 0);
        }
    }
}

TEST_F(DiagnosticsDlgTest, TimesWithThreeDecimalsAndAnimatedRowsKeepNA)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    auto window = Open(*generator);
    Select(*window, 0);
    window->OnExecuteSelected();
    EXPECT_EQ(g_plainRuns, 1);
    EXPECT_EQ(TimeCell(*window, 0), QStringLiteral("1.500"));
    EXPECT_TRUE(window->CanvasLoaded());
    EXPECT_EQ(window->MethodList()->topLevelItem(0)->data(0, Qt::UserRole).toInt(), 3); // idle again

    // Stop, clicked while the animated row waits for the card.
    const auto clicker = OnceAnimating([&] {
        EXPECT_TRUE(Button(*window, IDC_STOP)->isEnabled());
        EXPECT_EQ(window->MethodList()->topLevelItem(1)->data(0, Qt::UserRole).toInt(), 2); // running
        QTest::mouseClick(Button(*window, IDC_STOP), Qt::LeftButton);
    });
    Select(*window, 1);
    window->OnExecuteSelected();
    EXPECT_GT(g_polls, 0);
    EXPECT_EQ(TimeCell(*window, 1), QStringLiteral("N/A"));
    EXPECT_FALSE(Button(*window, IDC_STOP)->isEnabled());
    EXPECT_TRUE(Button(*window, IDC_EXECUTE_SELECTED)->isEnabled());
}

// A click while the card takes its time over one call is heard: the row
// ends after that call.
TEST_F(DiagnosticsDlgTest, StopClickedDuringACallsWaitEndsTheRowAfterIt)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    auto window = Open(*generator);
    window->OnReloadCanvas();
    gensim::CardDci &card = set.sim.driverEndpoint()->pciCard(0)->dci();
    card.setFaults({.finishMs = 1000});
    QTimer clicker; // clicks once the row's first call is under way
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (g_polls == 1 && clicker.isActive()) {
            clicker.stop();
            QTest::mouseClick(Button(*window, IDC_STOP), Qt::LeftButton);
        }
    });
    clicker.start(10);
    Select(*window, 1);
    window->OnExecuteSelected();
    card.setFaults({});
    EXPECT_EQ(g_polls, 1);
    EXPECT_EQ(TimeCell(*window, 1), QStringLiteral("N/A"));
}

TEST_F(DiagnosticsDlgTest, WithoutACounterItWarnsOnceAndShowsNoTimes)
{
    NoTimer none;
    InstallDiagnosticsTimer(&none);
    auto generator = set.Connect(prompter, Port::Isa0);
    ASSERT_NE(generator, nullptr);
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("No hardware timers!")).AndCaption(QStringLiteral("Timing Error")),
                           IDOK, MB_OK | MB_ICONWARNING);
    auto window = Open(*generator);
    prompter.VerifyAllUsed();
    Select(*window, 0);
    window->OnExecuteSelected();
    EXPECT_EQ(g_plainRuns, 1);
    EXPECT_EQ(TimeCell(*window, 0), QString());
}

// While one window runs, nothing else starts, in it or in another window.
TEST_F(DiagnosticsDlgTest, OneRunAtATimeAcrossWindows)
{
    auto pci = set.Connect(prompter, Port::Pci1);
    auto isa = set.Connect(prompter, Port::Isa0);
    ASSERT_TRUE(pci && isa);
    auto running = Open(*pci);
    auto other = Open(*isa);
    other->findChild<QLineEdit *>(ControlName(IDC_DMA_CODE))->setText(QStringLiteral("11"));
    running->findChild<QLineEdit *>(ControlName(IDC_DMA_CODE))->setText(QStringLiteral("11"));
    running->OnReloadCanvas();
    bool checked = false;
    const auto checker = OnceAnimating([&] {
        EXPECT_TRUE(CDiagnosticsDlg::AnyRunning());
        EXPECT_TRUE(running->IsBusyOperating());
        EXPECT_FALSE(other->IsBusyOperating());
        for (CDiagnosticsDlg *window : {running.get(), other.get()}) {
            EXPECT_FALSE(window->MethodList()->isEnabled());
            for (int id : {IDC_EXECUTE_SELECTED, IDC_RELOAD_CANVAS, IDC_EXECUTE_ALL})
                EXPECT_FALSE(Button(*window, id)->isEnabled()) << id;
            EXPECT_FALSE(window->Router().Action(ID_DMA_BENCHMARK)->isEnabled());
            Select(*window, 0);
            window->OnExecuteSelected();
            window->OnDblclkMethodList();
            window->OnExecuteAll();
            window->OnReloadCanvas();
            window->OnDmaBenchmark();
        }
        EXPECT_FALSE(Button(*other, IDC_STOP)->isEnabled());
        EXPECT_TRUE(Button(*running, IDC_STOP)->isEnabled());
        checked = true;
        QTest::mouseClick(Button(*running, IDC_STOP), Qt::LeftButton);
    });
    Select(*running, 1);
    running->OnExecuteSelected();
    EXPECT_TRUE(checked);
    EXPECT_EQ(g_plainRuns, 0);
    EXPECT_EQ(g_order, (std::vector<int>{2}));
    EXPECT_FALSE(other->CanvasLoaded());
    EXPECT_EQ(other->CanvasTree()->topLevelItemCount(), 0);
    EXPECT_EQ(running->CanvasTree()->topLevelItemCount(), 1); // its canvas, no benchmark
    EXPECT_FALSE(CDiagnosticsDlg::AnyRunning());
    EXPECT_TRUE(Button(*other, IDC_EXECUTE_SELECTED)->isEnabled());
}

// What the view and the main window do to a busy window: ask it to stop.
TEST_F(DiagnosticsDlgTest, AStopRequestEndsTheRunningRow)
{
    auto generator = set.Connect(prompter, Port::Isa0);
    ASSERT_NE(generator, nullptr);
    auto window = Open(*generator);
    QTimer asker; // during the canvas's load, or once the row runs
    QObject::connect(&asker, &QTimer::timeout, [&] {
        if (window->IsBusyOperating() && asker.isActive()) {
            asker.stop();
            window->RequestStop();
        }
    });
    asker.start(5);
    Select(*window, 1);
    window->OnExecuteSelected();
    EXPECT_FALSE(asker.isActive());
    EXPECT_FALSE(window->IsBusyOperating());
}

TEST_F(DiagnosticsDlgTest, ExecuteAllRunsTheRowsThatEndInOrderUntilStop)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    auto window = Open(*generator);
    window->OnExecuteAll();
    EXPECT_EQ(g_order, (std::vector<int>{1, 3, 4}));
    for (int row : {0, 2, 3})
        EXPECT_EQ(TimeCell(*window, row), QStringLiteral("1.500")) << row;
    EXPECT_EQ(TimeCell(*window, 1), QStringLiteral("N/A"));

    // Stop during the slow row ends the run after it.
    static const DemonstrationRow slowFirst[] = {{Slow, "Slow", false}, {Plain, "Plain", false}};
    CDiagnosticsDlg::InstallMethods(slowFirst);
    auto second = Open(*generator);
    g_order.clear();
    QTimer::singleShot(100, second.get(), [&] {
        EXPECT_TRUE(Button(*second, IDC_STOP)->isEnabled());
        QTest::mouseClick(Button(*second, IDC_STOP), Qt::LeftButton);
    });
    second->OnExecuteAll();
    EXPECT_EQ(g_order, (std::vector<int>{4}));
    EXPECT_EQ(TimeCell(*second, 0), QStringLiteral("1.500"));
    EXPECT_EQ(TimeCell(*second, 1), QString());
}

TEST_F(DiagnosticsDlgTest, AFailedPreparationRunsNothingAndAFailedCallShowsNoTime)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    FailingLibrary library;
    InstallToolLibrary(&library);
    auto window = Open(*generator);
    library.failPrepare = true;
    Select(*window, 0);
    window->OnExecuteSelected();
    EXPECT_EQ(g_plainRuns, 0);
    EXPECT_FALSE(window->CanvasLoaded());
    EXPECT_EQ(window->CanvasTree()->topLevelItemCount(), 0);
    EXPECT_TRUE(TimeCell(*window, 0).startsWith(QStringLiteral("*** "))) << TimeCell(*window, 0).toStdString();
    EXPECT_GT(TimeCell(*window, 0).size(), 4);

    library.failPrepare = false;
    library.failCalls = true;
    window->OnExecuteSelected();
    EXPECT_EQ(g_plainRuns, 1);
    EXPECT_TRUE(window->CanvasLoaded());
    EXPECT_TRUE(TimeCell(*window, 0).startsWith(QStringLiteral("*** "))) << TimeCell(*window, 0).toStdString();

    // An animated row ends at its first failed call.
    Select(*window, 1);
    window->OnExecuteSelected();
    EXPECT_EQ(g_polls, 1);
    EXPECT_TRUE(TimeCell(*window, 1).startsWith(QStringLiteral("*** ")));
}

TEST_F(DiagnosticsDlgTest, ACanvasTheRoutinesCannotUseRunsNothing)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    gensim::CardDci &card = set.sim.driverEndpoint()->pciCard(0)->dci();
    struct Case {
        const char *name;
        double value;
    };
    for (const Case c : {Case{"width", 0}, Case{"height", 8193}, Case{"aspectsize", 0}, Case{"aspectsize", -1.5}}) {
        SCOPED_TRACE(c.name);
        card.setValue("width", 640);
        card.setValue("height", 480);
        card.setValue("aspectsize", 1.0);
        card.setValue(c.name, c.value);
        auto window = Open(*generator);
        Select(*window, 0);
        window->OnExecuteSelected();
        EXPECT_EQ(g_plainRuns, 0);
        EXPECT_TRUE(TimeCell(*window, 0).startsWith(QStringLiteral("Not run: the canvas is"))) << TimeCell(*window, 0).toStdString();
    }
}

// Each window draws with its own generator's state.
TEST_F(DiagnosticsDlgTest, WindowsOnIsaAndPciKeepTheirOwnCanvas)
{
    set.sim.driverEndpoint()->isaCard(0)->dci().setValue("width", 512);
    set.sim.driverEndpoint()->pciCard(0)->dci().setValue("width", 1024);
    auto isa = set.Connect(prompter, Port::Isa0);
    auto pci = set.Connect(prompter, Port::Pci1);
    ASSERT_TRUE(isa && pci);
    auto isaWindow = Open(*isa);
    auto pciWindow = Open(*pci);
    for (auto [window, width] : {std::pair{isaWindow.get(), 512u}, std::pair{pciWindow.get(), 1024u},
                                 std::pair{isaWindow.get(), 512u}}) {
        Select(*window, 0);
        window->OnExecuteSelected();
        EXPECT_EQ(g_widthSeen.load(), width);
        EXPECT_EQ(window->Context().words[RCC_WIDTH], width);
    }
    EXPECT_EQ(g_plainRuns, 3);
}

TEST_F(DiagnosticsDlgTest, TheTreeShowsTheCardsValuesAndReloadKeepsOneRoot)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    gensim::CardDci &card = set.sim.driverEndpoint()->pciCard(0)->dci();
    auto window = Open(*generator);
    window->OnReloadCanvas();
    card.setValue("width", 800);
    card.setValue("penw", 3);
    card.setValue("aspectsize", 0.75);
    window->OnReloadCanvas();
    ASSERT_EQ(window->CanvasTree()->topLevelItemCount(), 1);
    QTreeWidgetItem *root = window->CanvasTree()->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Drawing Canvas"));
    EXPECT_EQ(Children(root), (QStringList{"Colors", "Drawing Parameters"}));
    // Word by word as the card holds them.
    const QStringList colours = Children(Group(*window, QStringLiteral("Colors")));
    ASSERT_EQ(colours.size(), 70);
    for (int i = 0; i < 70; ++i) {
        const std::string name(gensim::colourName(i));
        const auto *variable = gensim::findVariable(name);
        ASSERT_NE(variable, nullptr) << name;
        EXPECT_EQ(colours[i], QString::fromStdString(name) + QStringLiteral(" = ") +
                                  CanvasTreeRows::Hex(uint32_t(card.bits(*variable))));
    }
    const QStringList parameters = Children(Group(*window, QStringLiteral("Drawing Parameters")));
    ASSERT_EQ(parameters.size(), 43);
    EXPECT_EQ(parameters[1], QStringLiteral("penw = 3    "));
    EXPECT_EQ(parameters[15], QStringLiteral("width = 800  "));
    EXPECT_EQ(parameters[19], QStringLiteral("aspectsize = 0.75000"));
}

TEST_F(DiagnosticsDlgTest, Screenshot)
{
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    auto window = Open(*generator);
    window->setWindowTitle(QStringLiteral("Diagnostics: VG-7000 on Pci-1"));
    window->resize(window->width() + 200, window->height() + 150);
    window->OnExecuteAll();
    window->OnReloadCanvas();
    QTreeWidgetItem *root = window->CanvasTree()->topLevelItem(0);
    root->setExpanded(true);
    root->child(1)->setExpanded(true);
    QCoreApplication::processEvents();
    const QRect list = window->MethodList()->geometry();
    const QRect tree = window->CanvasTree()->geometry();
    const QWidget &client = *window->MethodList()->parentWidget();
    const int margin = list.left();
    EXPECT_EQ(client.width() - 1 - tree.right(), margin);
    EXPECT_EQ(client.height() - 1 - list.bottom(), margin);
    EXPECT_EQ(client.height() - 1 - tree.bottom(), margin);
    EXPECT_NEAR(list.width(), tree.width(), 4);
    SaveScreenshot(*window, QStringLiteral("diagnostics"));
}

} // namespace
