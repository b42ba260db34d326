// The generator view on a scripted port: which commands a busy view
// refuses, its child windows and the order in which it lets go of them,
// its panes and its connection, the current generator, and its size.

#include "CGeneratorView.h"

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorDialogBar.h"
#include "CGeneratorStatusPane.h"
#include "CGeneratorViewChild.h"
#include "CStateButton.h"
#include "FakePort.h"
#include "Profile.h"
#include "TestSupport.h"
#include "TestPorts.h"

#include <QAction>
#include <QSplitter>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <memory>

namespace {



// --- The rules ------------------------------------------------------------------------

struct BusyRule {
    int id;
    bool detailed;   // the data pane shows the detailed format list
    bool whenFree;   // enabled while no tool transfers
    bool whenBusy;   // enabled while one does
};

void PrintTo(const BusyRule &r, std::ostream *os)
{
    *os << r.id << (r.detailed ? " detailed" : "");
}

class BusyRuleTest : public ::testing::TestWithParam<BusyRule> {};

// Everything else allows the command: a selection that may be used,
// recalled and deleted, rows in the list, a generator with fonts and icons.
TEST_P(BusyRuleTest, BusyDisablesWhatReachesTheGenerator)
{
    const BusyRule &r = GetParam();
    GeneratorViewFlags flags;
    flags.deletable = flags.recallable = flags.usable = flags.selectionRecallable = true;
    flags.detailedMode = r.detailed;
    flags.detailedListFilled = true;
    flags.currentListRows = 3;
    flags.fontsSupported = flags.pixelMapsSupported = true;
    EXPECT_EQ(IsGeneratorViewCommandEnabled(r.id, flags), r.whenFree) << "free";
    flags.busy = true;
    flags.controlsEnabled = false; // as SetBusy leaves it
    EXPECT_EQ(IsGeneratorViewCommandEnabled(r.id, flags), r.whenBusy) << "busy";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BusyRuleTest,
    ::testing::Values(
        BusyRule{ID_LOAD_FORMAT_LIST, false, true, false}, BusyRule{ID_SAVE_FORMAT_LIST, false, true, false},
        BusyRule{ID_SAVE_FORMAT_LIST_TEXT, true, true, false}, BusyRule{ID_PRINT_FORMAT_LIST, true, true, false},
        BusyRule{ID_CLOSE_VIEW, false, true, true}, BusyRule{ID_SELECT_ALL, false, true, true},
        BusyRule{ID_USE_ITEM, false, true, false}, BusyRule{ID_RECALL_ITEMS, false, true, false},
        BusyRule{ID_SCAN_FORMATS, true, true, false}, BusyRule{ID_COPY, false, true, false},
        BusyRule{ID_CONTEXT_COPY, false, true, false}, BusyRule{ID_RENAME, false, true, false},
        BusyRule{ID_DELETE, false, true, false}, BusyRule{ID_CMD_TERMINAL, false, true, true},
        BusyRule{ID_DIAGNOSTICS, false, true, true}, BusyRule{ID_HELP_OPEN, false, true, true},
        BusyRule{ID_LIST_FORMATS, false, true, true}, BusyRule{ID_LIST_FONTS, false, true, true},
        BusyRule{ID_LIST_DETAILED, false, true, false}, BusyRule{ID_RECALL_AND_EDIT, false, true, false},
        BusyRule{ID_CONTEXT_EDIT, false, true, false}, BusyRule{ID_LOAD_INTO_GENERATOR, false, true, false},
        BusyRule{ID_CONTEXT_OPEN, false, true, false}, BusyRule{ID_ERASE, false, false, false},
        BusyRule{ID_CONTEXT_RENAME, false, false, false}, BusyRule{ID_CONTEXT_PROPERTIES, false, false, false},
        BusyRule{IDC_RED, false, true, false}, BusyRule{IDC_OUTPUT, false, true, false},
        BusyRule{IDC_DSS, false, true, false}));

struct FlagRule {
    const char *name;
    int id;
    GeneratorViewFlags flags;
    bool enabled;
};

void PrintTo(const FlagRule &r, std::ostream *os)
{
    *os << r.name;
}

class FlagRuleTest : public ::testing::TestWithParam<FlagRule> {};

TEST_P(FlagRuleTest, FollowsThePanesFlags)
{
    EXPECT_EQ(IsGeneratorViewCommandEnabled(GetParam().id, GetParam().flags), GetParam().enabled);
}

GeneratorViewFlags With(void (*set)(GeneratorViewFlags &))
{
    GeneratorViewFlags f;
    set(f);
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FlagRuleTest,
    ::testing::Values(
        FlagRule{"use in knob-list mode", ID_USE_ITEM, With([](GeneratorViewFlags &f) { f.knobListMode = true; }), true},
        FlagRule{"use while playing", ID_USE_ITEM,
                 With([](GeneratorViewFlags &f) { f.usable = f.playing = true; }), false},
        FlagRule{"rename needs deletable", ID_RENAME,
                 With([](GeneratorViewFlags &f) { f.selectionRecallable = true; }), false},
        FlagRule{"copy follows the recallable selection while playing", ID_COPY,
                 With([](GeneratorViewFlags &f) { f.selectionRecallable = f.playing = true; }), true},
        FlagRule{"delete not in detailed mode", ID_DELETE,
                 With([](GeneratorViewFlags &f) { f.deletable = f.detailedMode = true; }), false},
        FlagRule{"save needs the filled detailed list", ID_SAVE_FORMAT_LIST, GeneratorViewFlags{}, false},
        FlagRule{"select all needs rows", ID_SELECT_ALL, GeneratorViewFlags{}, false},
        FlagRule{"fonts list without font support", ID_LIST_FONTS, GeneratorViewFlags{}, false},
        FlagRule{"icons list without pixel-map support", ID_LIST_ICONS, GeneratorViewFlags{}, false},
        FlagRule{"gates while controls are off", IDC_GREEN,
                 With([](GeneratorViewFlags &f) { f.controlsEnabled = false; }), false}));

// --- A view on a scripted port ----------------------------------------------------------

// A child window that notes its end, and whether the view's panes and
// connection were still there for it.
class ChildDouble : public CSequencePlayerWindow {
public:
    ChildDouble(CGeneratorView *view, QStringList &journal, const QString &name)
        : CSequencePlayerWindow(view), m_view(view), m_journal(journal), m_name(name)
    {
        m_journal.append(name + " made");
    }
    ~ChildDouble() override
    {
        const bool panes = m_view->StatusPane() && m_view->DataPane();
        m_journal.append(m_name + (panes ? " gone, panes there" : " gone, panes gone"));
        if (panes)
            m_view->RefreshStatus(CGeneratorView::kRefreshValues); // as a player's unload does
    }
    bool Load(const QString &sequence) override
    {
        m_journal.append(m_name + " load " + sequence);
        return true;
    }
    void Attach() override { m_journal.append(m_name + " attach"); }
    void Unload() override { m_journal.append(m_name + " unload"); }

private:
    CGeneratorView *m_view;
    QStringList &m_journal;
    QString m_name;
};

class GeneratorViewTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        port.fallback = {"0", 0};
        port.Script("*IDN?", "Maker,VG-7000,4711,7.011\r\n");
        for (auto [kind, name] : {std::pair{ViewChildKind::CmdTerminal, "terminal"},
                                  std::pair{ViewChildKind::Diagnostics, "diagnostics"},
                                  std::pair{ViewChildKind::SequencePlayer, "player"}}) {
            RegisterViewChildFactory(kind, [this, name = QString::fromLatin1(name)](CGeneratorView *v, CGenerator *) {
                return new ChildDouble(v, journal, name);
            });
        }
    }

    void TearDown() override
    {
        view.reset();
        for (auto kind : {ViewChildKind::CmdTerminal, ViewChildKind::Diagnostics, ViewChildKind::SequencePlayer})
            RegisterViewChildFactory(kind, {});
        PlatformTest::TearDown();
    }

    CGeneratorView &Make(double firmware = 7.011)
    {
        auto *connection = new CGenerator(nullptr, kCom1);
        connection->SetFirmwareVersion(firmware);
        view = std::make_unique<CGeneratorView>(connection, nullptr);
        view->CreateFrame();
        return *view;
    }

    bool Enabled(int id) { return view->Router().Action(id)->isEnabled(); }
    int IdnCount() const { return int(std::count(port.commands.begin(), port.commands.end(), "*IDN?")); }

    FakePort port;
    QStringList journal;
    std::unique_ptr<CGeneratorView> view;
};

TEST_F(GeneratorViewTest, ReadsItsIdentityAndTitlesItsFrame)
{
    Make();
    QString model, firmware, serial;
    view->GetIdentity(model, firmware, serial);
    EXPECT_EQ(QStringList({model, firmware, serial}), QStringList({"VG-7000", "7.011", "4711"}));
    EXPECT_EQ(view->windowTitle(), "VG-7000 on Com-1");
    EXPECT_FALSE(view->isVisible());
}

TEST_F(GeneratorViewTest, BusyDisablesTogglesTransfersAndThePaneUntilFreeAgain)
{
    Make();
    const int refused[] = {IDC_RED, IDC_GREEN, IDC_BLUE, IDC_OUTPUT, IDC_ACS, IDC_DCS, IDC_DSS,
                           ID_LOAD_INTO_GENERATOR};
    const int kept[] = {ID_CMD_TERMINAL, ID_DIAGNOSTICS, ID_CLOSE_VIEW, ID_LIST_FORMATS};
    for (bool busy : {true, false}) {
        view->SetBusy(busy);
        for (int id : refused) {
            EXPECT_EQ(Enabled(id), !busy) << id << " busy " << busy;
            if (CStateButton *button = view->DialogBar()->Toggle(id)) {
                EXPECT_EQ(button->isEnabled(), !busy) << id;
            }
        }
        for (int id : kept)
            EXPECT_TRUE(Enabled(id)) << id << " busy " << busy;
        EXPECT_EQ(view->DataPane()->isEnabled(), !busy);
    }
}

TEST_F(GeneratorViewTest, BusyUnloadsAPlayingSequence)
{
    Make();
    view->OpenSequencePlayer("Demo", false);
    view->SetPlaying(true);
    view->SetBusy(true);
    EXPECT_EQ(journal, QStringList({"player made", "player load Demo", "player unload"}));
}

TEST_F(GeneratorViewTest, FontAndIconListsNeedTheFirmwareForThem)
{
    for (double firmware : {7.02, 7.03}) {
        Make(firmware);
        EXPECT_EQ(Enabled(ID_LIST_FONTS), firmware > 7.02) << firmware;
        EXPECT_EQ(Enabled(ID_LIST_ICONS), firmware > 7.02) << firmware;
    }
}

TEST_F(GeneratorViewTest, TerminalIsRaisedWhileOpenAndMadeAnewOnceClosed)
{
    Make();
    const int before = IdnCount();
    view->OpenCmdTerminal();
    view->OpenCmdTerminal();
    EXPECT_EQ(journal, QStringList({"terminal made"})) << "the open terminal is only raised";
    EXPECT_EQ(IdnCount(), before + 1);
    auto *terminal = view->findChild<ChildDouble *>();
    ASSERT_TRUE(terminal);
    EXPECT_EQ(terminal->windowTitle(), "CMD Terminal: VG-7000 on Com-1");
    terminal->close(); // the user closes it: hidden, not deleted
    view->OpenCmdTerminal();
    EXPECT_EQ(journal, QStringList({"terminal made", "terminal gone, panes there", "terminal made"}));
    EXPECT_EQ(IdnCount(), before + 2) << "a new terminal asks for the model again";
    view->OpenDiagnostics();
    EXPECT_EQ(view->findChildren<ChildDouble *>().size(), 2);
}

TEST_F(GeneratorViewTest, ChildrenGoBeforeThePanesAndThePanesBeforeTheConnection)
{
    Make();
    view->OpenCmdTerminal();
    view->OpenDiagnostics();
    view->OpenSequencePlayer("Demo", true);
    QObject::connect(view->StatusPane(), &QObject::destroyed, [this] { journal.append("status pane gone"); });
    QObject::connect(view->DataPane(), &QObject::destroyed, [this] { journal.append("data pane gone"); });
    const size_t closedBefore = port.closed.size();
    journal.clear();
    view.reset();
    EXPECT_EQ(journal, QStringList({"terminal gone, panes there", "diagnostics gone, panes there",
                                    "player gone, panes there", "status pane gone", "data pane gone"}));
    EXPECT_EQ(port.closed.size(), closedBefore + 1) << "the connection closed its port";
}

TEST_F(GeneratorViewTest, CurrentGeneratorIsForgottenWithItsView)
{
    Make();
    auto *other = new CGenerator(nullptr, kCom1 + 1);
    CGeneratorView second(other, nullptr);
    EXPECT_EQ(view->GetGenerator(), g_pCurrentGenerator);
    view->DestroyWindow();
    view.release(); // the view deleted itself
    EXPECT_EQ(g_pCurrentGenerator, nullptr);
    EXPECT_EQ(second.GetGenerator(), other);
    EXPECT_EQ(g_pCurrentGenerator, other);
}

TEST_F(GeneratorViewTest, TerminalAndDiagnosticsNeedTheirWindowsInTheProgram)
{
    for (bool registered : {true, false}) {
        if (!registered) {
            RegisterViewChildFactory(ViewChildKind::CmdTerminal, {});
            RegisterViewChildFactory(ViewChildKind::Diagnostics, {});
        }
        Make();
        EXPECT_EQ(Enabled(ID_CMD_TERMINAL), registered);
        EXPECT_EQ(Enabled(ID_DIAGNOSTICS), registered);
        EXPECT_EQ(view->Router().Execute(ID_CMD_TERMINAL), registered);
    }
    EXPECT_EQ(journal.count("terminal made"), 1) << "nothing opens without its window";
}

// An action whose first command the generator refuses leaves the view's
// state and buttons as they were; the second time it goes through.
struct RefusedAction {
    const char *name;
    const char *refused; // the command refused once
    const char *query;   // the read-back and its answer
    const char *answer;
    std::function<void(CGeneratorView &)> act;
    std::function<QString(CGeneratorView &)> shown; // the view's state and buttons
    const char *before;
    const char *after;
};

void PrintTo(const RefusedAction &action, std::ostream *out)
{
    *out << action.name;
}

class RefusedActionTest : public GeneratorViewTest, public ::testing::WithParamInterface<RefusedAction> {};

TEST_P(RefusedActionTest, ChangesTheViewOnlyWhenItsCommandsSucceed)
{
    const RefusedAction &c = GetParam();
    port.Script(c.refused, "", MORVANE_E_COMMAND_INVALID);
    port.Script(c.refused, "");
    port.Script(c.query, std::string(c.answer) + "\r\n");
    Make();
    view->GetState().imageVersion = 7;
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
    const size_t sent = port.commands.size();
    c.act(*view);
    prompter.VerifyAllUsed();
    EXPECT_EQ(c.shown(*view), c.before) << "refused";
    ASSERT_GT(port.commands.size(), sent);
    EXPECT_EQ(port.commands.back(), c.refused) << "nothing goes after the refused command";
    c.act(*view);
    EXPECT_EQ(c.shown(*view), c.after) << "taken";
}

QString Gates(CGeneratorView &view)
{
    const CGeneratorState &state = view.GetState();
    return QStringLiteral("%1%2%3 button %4")
        .arg(state.red)
        .arg(state.green)
        .arg(state.blue)
        .arg(view.DialogBar()->Toggle(IDC_RED)->GetState());
}

INSTANTIATE_TEST_SUITE_P(
    DialogBarAndUse, RefusedActionTest,
    ::testing::Values(
        RefusedAction{"red gate", "XVSG 1 0 0", "XVSG?", "1,0,0",
                      [](CGeneratorView &v) { v.OnToggleGate(IDC_RED); }, Gates, "000 button 0", "100 button 1"},
        RefusedAction{"video output", "OUTG 1", "OUTG?", "1", [](CGeneratorView &v) { v.OnToggleOutput(); },
                      [](CGeneratorView &v) {
                          return QStringLiteral("%1 button %2")
                              .arg(v.GetState().output)
                              .arg(v.DialogBar()->Toggle(IDC_OUTPUT)->GetState());
                      },
                      "0 button 0", "1 button 1"},
        // IVER? answers 1, so the spin asks for 2 and the generator keeps 1.
        RefusedAction{"image version", "IVER 2", "IVER?", "1",
                      [](CGeneratorView &v) { v.OnDeltaPosImageVersion(1); },
                      [](CGeneratorView &v) { return QString::number(v.GetState().imageVersion); }, "7", "1"},
        RefusedAction{"use format", "FMTL \"F1\"", "FMTU", "",
                      [](CGeneratorView &v) { v.DataPane()->UseFormat("F1"); },
                      [](CGeneratorView &v) { return v.GetState().format; }, "", "F1"}),
    [](const ::testing::TestParamInfo<RefusedAction> &info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

struct SizeCase {
    int savedWidth;
    bool applied;
};

class GeneratorViewSizeTest : public GeneratorViewTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(GeneratorViewSizeTest, SavedSizeAppliesOnlyAbove20AndIsSavedAtTheEnd)
{
    WriteProfileInt("Window", "GenView W", GetParam().savedWidth);
    WriteProfileInt("Window", "GenView H", 410);
    WriteProfileInt("Window", "GenView SP", 150);
    Make();
    view->show();
    if (GetParam().applied) {
        EXPECT_EQ(view->size(), QSize(GetParam().savedWidth, 410));
        EXPECT_EQ(view->Splitter()->sizes().value(0), 150);
    } else {
        EXPECT_GT(view->width(), 20);
        EXPECT_NE(view->Splitter()->sizes().value(0), 150);
    }
    view->resize(700, 500);
    view->Splitter()->setSizes({230, 400});
    const int column0 = view->Splitter()->sizes().value(0);
    view.reset();
    EXPECT_EQ(GetProfileInt("Window", "GenView W", -1), 700);
    EXPECT_EQ(GetProfileInt("Window", "GenView H", -1), 500);
    EXPECT_EQ(GetProfileInt("Window", "GenView SP", -1), column0);
}

INSTANTIATE_TEST_SUITE_P(Profile, GeneratorViewSizeTest,
                         ::testing::Values(SizeCase{520, true}, SizeCase{20, false}, SizeCase{-1, false}));

} // namespace
