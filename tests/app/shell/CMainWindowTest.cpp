#include "AppFolders.h"
#include "CDataListView.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CMainWindow.h"
#include "Profile.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

using MainWindowTest = ShellTest;

constexpr PortId kIsa0 = 0x00010000;

// Menu 129: id, menu path (joined by "/"), prompt.
struct MenuRow {
    int id;
    const char *path;
    const char *prompt;
};
const MenuRow kMenu[] = {
    {10028, "&File/&New...", "Create a new data file"},
    {10027, "&File/&Open...", "Open an existing data file"},
    {10152, "&File/&Import/Zot 2 Data...", "Import ZOT 2.xx data files"},
    {10153, "&File/&Import/CMD Script", "Import text CMD Scripts..."},
    {10031, "&File/&Save", "Save the data with its current name"},
    {10060, "&File/Save &As...", "Save the data with a new name"},
    {10173, "&File/Write CMD File", ""},
    {10026, "&File/E&xit", "Exit the program"},
    {10067, "&Edit/&Delete Data", "Permanently delete the selected items"},
    {10024, "&Generator/&Connect...", "Connect to a generator"},
    {10025, "&Generator/&Disconnect", "Disconnect from the active generator"},
    {10132, "&Generator/Set &Baud Rate...", "Change the baud rate of the selected generator"},
    {10083, "&Generator/&Send Data", "Send the selected data to the selected generators"},
    {10118, "&Generator/Special/&Forced Init...", "Force a Generator Card to re-initialize"},
    {10087, "&Tools/&Archiver/&Extract...", "Extract data from the selected generators"},
    {10088, "&Tools/&Archiver/&Restore...", "Restore data to the selected generators"},
    {10091, "&Tools/&Archiver/&Update Firmware...", "Download a firmware bin file to selected generators"},
    {10100, "&Tools/CMD &Terminal...", "Open a CMD terminal for the selected generator(s)"},
    {10117, "&Tools/&Diagnostics...", "Generator Diagnostic Utility"},
    {10133, "&Tools/&Image Download...", "Download an image directly to a generators video memory"},
    {10029, "&Help/&About ZOT...", "Display some information about ZOT"},
    {10169, "&Help/&Open", "Open the help file"},
};

// Where each action of the menu bar sits, as "Menu/Sub/Item".
void CollectPaths(QMenu *menu, const QString &prefix, QHash<int, QString> &paths)
{
    for (QAction *action : menu->actions()) {
        if (action->menu())
            CollectPaths(action->menu(), prefix + action->menu()->title() + u'/', paths);
        else if (action->objectName().startsWith(QLatin1String("cmd")))
            paths[action->objectName().mid(3).toInt()] = prefix + action->text();
    }
}

TEST_F(MainWindowTest, MenuHasEveryCommandWithItsTextAndPrompt)
{
    MakeWindow();
    QHash<int, QString> paths;
    for (QAction *top : window->menuBar()->actions())
        CollectPaths(top->menu(), top->menu()->title() + u'/', paths);
    for (const MenuRow &row : kMenu) {
        QAction *action = window->findChild<QAction *>(QStringLiteral("cmd%1").arg(row.id));
        ASSERT_NE(action, nullptr) << row.id;
        EXPECT_EQ(paths.value(row.id), row.path) << row.id;
        EXPECT_EQ(action->statusTip(), row.prompt) << row.id;
    }
}

TEST_F(MainWindowTest, ToolbarHasItsButtonsInOrderWithPromptsAsTooltips)
{
    MakeWindow();
    auto *bar = window->findChild<QToolBar *>(QStringLiteral("id202"));
    ASSERT_NE(bar, nullptr);
    QStringList order;
    for (QAction *action : bar->actions())
        order.append(action->isSeparator() ? QStringLiteral("-") : action->objectName().mid(3));
    EXPECT_EQ(order.join(u' '), "10024 10025 - 10028 10027 10031 - 10083 - 10067");
    EXPECT_EQ(window->Router().Action(10083)->toolTip(), "Send the selected data to the selected generators");
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("id105"))->text(), "Starting...");
    EXPECT_EQ(window->statusBar()->currentMessage(), "Ready.");
}

// Selection states and the commands they enable. The generator list's own
// commands get their handlers with the generator list; here each has a
// stand-in so that only its rule decides.
struct StateRow {
    const char *name;
    std::vector<int> dataKinds;  // icons of the data rows, all selected unless listed in unselected
    std::vector<int> unselected; // data rows left unselected
    std::vector<PortId> generators; // all selected
    std::vector<int> enabled;    // of the ruled commands below
};
const int kRuled[] = {10031, 10060, 10173, 10067, 10025, 10132, 10083, 10100, 10117, 10170};

TEST_F(MainWindowTest, EnableRulesFollowTheSelection)
{
    const StateRow rows[] = {
        {"nothing", {}, {}, {}, {}},
        {"a format", {kIconFormat}, {}, {}, {10031, 10060, 10173, 10067, 10170}},
        {"knob list first, then a format", {kIconKnobList, kIconFormat}, {}, {}, {10031, 10060, 10067}},
        {"unselected knob list, then a format", {kIconKnobList, kIconFormat}, {0}, {}, {10031, 10060, 10173, 10067, 10170}},
        {"one COM generator", {}, {}, {kCom2}, {10025, 10132, 10100, 10117}},
        {"one ISA generator", {}, {}, {kIsa0}, {10025, 10100, 10117}},
        {"two generators", {}, {}, {kCom2, kIsa0}, {10025, 10100, 10117}},
        {"data and a generator", {kIconKnobList}, {}, {kCom2}, {10031, 10060, 10067, 10025, 10132, 10083, 10100, 10117}},
    };
    for (const StateRow &row : rows) {
        MakeWindow();
        for (int id : {10024, 10025, 10132, 10083, 10118, 10100, 10117})
            window->Router().SetHandler(id, [] {});
        for (int icon : row.dataKinds)
            List().NewItem(icon);
        for (int unselected : row.unselected)
            List().SelectRow(unselected, false);
        for (size_t i = 0; i < row.generators.size(); ++i) {
            AddGenerator(row.generators[i], QStringLiteral("G%1").arg(i), QStringLiteral("Port"));
            window->GetGeneratorListView()->SelectRow(int(i), true);
        }
        window->UpdateControls();
        for (int id : kRuled) {
            const bool expected = std::find(row.enabled.begin(), row.enabled.end(), id) != row.enabled.end();
            EXPECT_EQ(window->Router().Action(id)->isEnabled(), expected) << row.name << ": " << id;
        }
        for (int id : {10028, 10027, 10152, 10153, 10026, 10024, 10118, 10029, 10169, 10087, 10088, 10091, 10133})
            EXPECT_TRUE(window->Router().Action(id)->isEnabled()) << row.name << ": " << id << " is always on";
    }
}

TEST_F(MainWindowTest, ToolCommandsAreDisabledWithoutTheirTool)
{
    RegisterToolFactory(ToolSlot::Firmware, {});
    MakeWindow();
    EXPECT_FALSE(window->Router().Action(10091)->isEnabled());
    EXPECT_TRUE(window->Router().Action(10087)->isEnabled());
}

TEST_F(MainWindowTest, SystemMenuItemsFollowTheSelectedGenerator)
{
    MakeWindow();
    QAction *debugNew = window->Router().Action(IDM_DEBUG_NEW);
    QAction *debugSelected = window->Router().Action(IDM_DEBUG_SELECTED);
    ASSERT_TRUE(window->SystemMenu()->actions().contains(debugSelected));
    EXPECT_EQ(window->Router().Action(IDM_ABOUTBOX)->text(), "&About ZOT...");
    EXPECT_EQ(debugSelected->text(), "No Generator Selected");
    EXPECT_FALSE(debugSelected->isEnabled());

    EXPECT_FALSE(debugNew->isChecked());
    debugNew->trigger();
    EXPECT_TRUE(debugNew->isChecked());
    EXPECT_EQ(window->debugNewConnections, 1);

    TestGeneratorView *view = AddGenerator(kCom2, "VG-870", "Com-1");
    window->GetGeneratorListView()->SelectRow(0, true);
    window->UpdateControls();
    EXPECT_EQ(debugSelected->text(), "Debug the VG-870 on Com-1");
    EXPECT_TRUE(debugSelected->isEnabled());
    EXPECT_FALSE(debugSelected->isChecked());
    debugSelected->trigger();
    EXPECT_TRUE(view->GetGenerator()->IsCommandLogOn());
    EXPECT_TRUE(debugSelected->isChecked());
    debugSelected->trigger();
    EXPECT_FALSE(view->GetGenerator()->IsCommandLogOn());
}

TEST_F(MainWindowTest, PlacementRoundTripsThroughTheProfile)
{
    MakeWindow();
    window->setGeometry(40, 50, 500, 400);
    window->show();
    QSplitter *splitter = window->Splitter();
    splitter->setSizes({120, splitter->height() - splitter->handleWidth() - 120});
    window->GetDataListView()->setMinimumHeight(30);
    window->DestroyWindow();
    EXPECT_EQ(GetProfileInt("Window", "Main x1", -1), 40);
    EXPECT_EQ(GetProfileInt("Window", "Main y1", -1), 50);
    EXPECT_EQ(GetProfileInt("Window", "Main x2", -1), 540);
    EXPECT_EQ(GetProfileInt("Window", "Main y2", -1), 450);
    EXPECT_EQ(GetProfileInt("Window", "Main cur1", -1), 120);
    EXPECT_EQ(GetProfileInt("Window", "Main min1", -1), 30);

    MakeWindow();
    EXPECT_EQ(window->geometry(), QRect(40, 50, 500, 400));
    window->show();
    EXPECT_EQ(window->Splitter()->sizes().value(0), 120);
    EXPECT_EQ(window->GetDataListView()->minimumHeight(), 30);
}

TEST_F(MainWindowTest, PlacementOfAMaximisedOrMinimisedWindowIsItsNormalRectangle)
{
    for (Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowMinimized}) {
        MakeWindow();
        window->setGeometry(40, 50, 500, 400);
        window->show();
        window->setWindowState(state);
        QCoreApplication::processEvents();
        ASSERT_EQ(window->windowState(), state);
        if (state == Qt::WindowMaximized) {
            ASSERT_NE(window->geometry().size(), QSize(500, 400)) << "the platform maximised it";
        }
        window->DestroyWindow();
        EXPECT_EQ(GetProfileInt("Window", "Main x1", -1), 40) << state;
        EXPECT_EQ(GetProfileInt("Window", "Main y1", -1), 50) << state;
        EXPECT_EQ(GetProfileInt("Window", "Main x2", -1), 540) << state;
        EXPECT_EQ(GetProfileInt("Window", "Main y2", -1), 450) << state;
    }
}

TEST_F(MainWindowTest, UnusableSavedRectangleFallsBackToTheDefault)
{
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    const struct {
        const char *name;
        int x1, y1, x2, y2;
        bool used;
    } cases[] = {
        {"usable", 10, 20, 410, 320, true},
        {"negative left edge", -5, 20, 400, 320, true},
        {"wholly left of the screen", -700, 20, -100, 320, false},
        {"wholly above the screen", 10, -700, 410, -100, false},
        {"reversed", 410, 20, 10, 320, false},
        {"empty width", 10, 20, 10, 320, false},
        {"empty height", 10, 20, 410, 20, false},
        {"beyond the desktop's width", desktop.width(), 20, desktop.width() + 300, 320, false},
        {"beyond the desktop's height", 10, desktop.height(), 410, desktop.height() + 300, false},
    };
    for (const auto &c : cases) {
        window.reset(); // it writes its own placement as it goes
        WriteProfileInt("Window", "Main x1", c.x1);
        WriteProfileInt("Window", "Main y1", c.y1);
        WriteProfileInt("Window", "Main x2", c.x2);
        WriteProfileInt("Window", "Main y2", c.y2);
        MakeWindow();
        // The platform may pull a window back onto the screen: the size tells.
        EXPECT_EQ(window->geometry().size() == QSize(c.x2 - c.x1, c.y2 - c.y1), c.used) << c.name;
    }
}

TEST_F(MainWindowTest, ClosingWritesPlacementThenClosesToolsGeneratorsAndItems)
{
    MakeWindow();
    window->show();
    AddGenerator(kCom2, "G", "Com-1");
    List().NewItem(kIconFormat);
    ASSERT_TRUE(window->ShowTool(ToolSlot::Firmware));
    ASSERT_TRUE(window->ShowTool(ToolSlot::Extraction));
    journal.clear();
    QStringList order;
    CMainWindow::s_clearEditorClipboards = [&] {
        order.append(QStringLiteral("clipboards"));
        order.append(journal);
        EXPECT_NE(GetProfileInt("Window", "Main x2", -1), -1) << "placement is written first";
    };
    prompter.ExpectMessage(PromptMatch::Id(32973).AndCaption("Save changes..."), IDNO, MB_YESNOCANCEL | MB_ICONQUESTION);
    window->close();
    CMainWindow::s_clearEditorClipboards = nullptr;
    EXPECT_EQ(order.join(u','), "clipboards,extraction deleted,firmware deleted");
    EXPECT_EQ(window->GetGeneratorListView()->GetRowCount(), 0);
    EXPECT_TRUE(g_generatorViews.isEmpty());
    EXPECT_EQ(List().GetRowCount(), 0);
    EXPECT_EQ(CTestItem::s_alive, 0);
}

TEST_F(MainWindowTest, PersistentBaudRate)
{
    MakeWindow();
    EXPECT_EQ(window->PersistentBaudRate(), 2400);
    EXPECT_EQ(GetProfileInt("Generator", "PersistentBaudRate", -7), 2400) << "an absent rate is written";
    window->PersistentBaudRate(quint32(9600));
    EXPECT_EQ(window->PersistentBaudRate(), 9600);
    WriteProfileInt("Generator", "PersistentBaudRate", 0);
    prompter.ExpectMessage(
        PromptMatch::Text("CMainWnd::PersistentBaudRate(): Registry get failed.\nSetting baud rate to 2400."), IDOK,
        MB_OK);
    EXPECT_EQ(window->PersistentBaudRate(), 2400);
    EXPECT_EQ(GetProfileInt("Generator", "PersistentBaudRate", -7), 0) << "not written back";
}

TEST_F(MainWindowTest, StoredBaudRateOutsideTheRateTableIsReplacedBy2400)
{
    MakeWindow();
    const struct {
        int stored;
        int used;
    } cases[] = {
        {115200, 115200}, {57600, 57600}, {38400, 38400}, {19200, 19200}, {9600, 9600}, {2400, 2400},
        {1200, 1200},     {300, 300},     {4800, 2400},   {12345, 2400},  {-1, 2400},   {230400, 2400},
    };
    for (const auto &c : cases) {
        WriteProfileInt("Generator", "PersistentBaudRate", c.stored);
        EXPECT_EQ(window->PersistentBaudRate(), c.used) << c.stored;
        EXPECT_EQ(GetProfileInt("Generator", "PersistentBaudRate", -7), c.used) << c.stored;
    }
}

TEST_F(MainWindowTest, StatusPaneLosesItsStartingTextOnceTheWindowIsUp)
{
    MakeWindow();
    auto *pane = window->findChild<QLabel *>(QStringLiteral("id105"));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), "Starting...");
    window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(pane->text(), "");
    EXPECT_EQ(window->statusBar()->currentMessage(), "Ready.");
}

// --- Closing with modified items ---------------------------------------------

TEST_F(MainWindowTest, ClosingOffersEachModifiedItemForSavingAndCancelKeepsTheProgram)
{
    const struct {
        const char *name;
        std::vector<int> answers; // to the save questions, in row order of the modified items
        bool saveDialog;          // the first Yes gets a save dialog, which saves
        bool closed;
    } cases[] = {
        {"No to both", {IDNO, IDNO}, false, true},
        {"Cancel at the second", {IDNO, IDCANCEL}, false, false},
        {"Cancel at the first", {IDCANCEL}, false, false},
        {"Yes saves, then No", {IDYES, IDNO}, true, true},
        {"Yes, the save dialog cancelled", {IDYES}, false, false},
    };
    for (const auto &c : cases) {
        MakeWindow();
        window->show();
        CGenData *first = List().NewItem(kIconFormat);
        first->SetName("First");
        List().NewItem(kIconKnobList)->SetModified(false);
        CGenData *second = List().NewItem(kIconFormat);
        second->SetName("Second");
        ASSERT_TRUE(window->ShowTool(ToolSlot::Firmware));
        const QStringList names = {"First", "Second"};
        const size_t before = prompter.Messages().size();
        for (size_t i = 0; i < c.answers.size(); ++i) {
            prompter.ExpectMessage(PromptMatch::Id(32973).AndCaption("Save changes..."), c.answers[i],
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
            if (c.answers[i] == IDYES)
                prompter.ExpectFile(PromptMatch::Id(33061),
                                    c.saveDialog ? FileResult{true, {TempPath("first.fmt")}, 1} : FileResult{});
        }
        EXPECT_EQ(window->close(), c.closed) << c.name;
        prompter.VerifyAllUsed();
        std::vector<QString> asked;
        for (size_t i = before; i < prompter.Messages().size(); ++i)
            asked.push_back(prompter.Messages()[i].text);
        ASSERT_EQ(asked.size(), c.answers.size()) << c.name;
        for (size_t i = 0; i < asked.size(); ++i)
            EXPECT_EQ(asked[i], QStringLiteral("The data \"%1\" has been modified.\nDo you wish to save?").arg(names[int(i)]))
                << c.name;
        if (c.closed) {
            EXPECT_EQ(List().GetRowCount(), 0) << c.name;
        } else {
            EXPECT_TRUE(window->isVisible()) << c.name;
            EXPECT_EQ(List().GetRowCount(), 3) << c.name << ": nothing destroyed";
            EXPECT_NE(window->Tool(ToolSlot::Firmware), nullptr) << c.name;
            EXPECT_EQ(GetProfileInt("Window", "Main x2", -1), -1) << c.name << ": nothing written";
        }
        EXPECT_EQ(QFile::exists(TempPath("first.fmt")), c.saveDialog) << c.name;
        QFile::remove(TempPath("first.fmt"));
        window.reset();
        ClearTestProfile();
    }
}

// --- Messages ---------------------------------------------------------------

TEST_F(MainWindowTest, DataChangedRefreshesTheRow)
{
    MakeWindow();
    CGenData *item = List().NewItem(kIconFormat);
    item->SetName("NTSC");
    EXPECT_EQ(SendMessage(window.get(), WM_DATA_CHANGED, 0, ToLParam(item)), 1);
    EXPECT_EQ(List().GetRowText(0, 0), "NTSC");
    EXPECT_EQ(List().GetRowText(0, 1), "<no associated file>");
    EXPECT_EQ(List().GetRowMark(0), kMarkModified);
}

TEST_F(MainWindowTest, DataSaveAnswersWhetherTheItemWasSaved)
{
    MakeWindow();
    CGenData *item = List().NewItem(kIconFormat);
    prompter.ExpectFile(PromptMatch::Id(33061), {});
    EXPECT_EQ(SendMessage(window.get(), WM_DATA_SAVE, 0, ToLParam(item)), 0) << "cancelled";
    prompter.ExpectFile(PromptMatch::Id(33061), {true, {TempPath("a.fmt")}, 1});
    EXPECT_EQ(SendMessage(window.get(), WM_DATA_SAVE, 1, ToLParam(item)), 1);
    EXPECT_FALSE(item->IsModified());
    prompter.ExpectFile(PromptMatch::Id(33061), {true, {TempPath("missing/b.fmt")}, 1});
    prompter.ExpectMessage(PromptMatch::Text("All or part of the path is invalid.\n\n\"" + TempPath("missing/b.fmt")
                                             + "\" could not be written: No such file or directory.")
                               .AndCaption("ERROR"),
                           IDOK,
                           MB_OK | MB_ICONEXCLAMATION);
    item->SetModified(true);
    EXPECT_EQ(SendMessage(window.get(), WM_DATA_SAVE, 1, ToLParam(item)), 0) << "failed";
    EXPECT_TRUE(item->IsModified());
}

TEST_F(MainWindowTest, EditorClosedClearsTheEditorMark)
{
    MakeWindow();
    CGenData *item = List().NewItem(kIconFormat);
    List().EditSelected();
    EXPECT_EQ(List().GetRowMark(0), kMarkEditorOpen);
    EXPECT_TRUE(item->IsEditorOpen());
    item->NotifyEditorClosed(); // posted
    QCoreApplication::processEvents();
    EXPECT_FALSE(item->IsEditorOpen());
    EXPECT_EQ(List().GetRowMark(0), kMarkModified);
    item->SetModified(false);
    SendMessage(window.get(), WM_EDITOR_CLOSED, 0, ToLParam(item));
    EXPECT_EQ(List().GetRowMark(0), 0);
}

TEST_F(MainWindowTest, MessagesPostedForAnItemDeletedBeforeDeliveryDoNothing)
{
    MakeWindow();
    CGenData *gone = List().NewItem(kIconFormat);
    gone->NotifyEditorClosed(); // posted
    PostMessage(window.get(), WM_DATA_CHANGED, 0, ToLParam(gone));
    List().DeleteItems({gone});
    // The next item often takes the freed memory: the stale messages must
    // not reach it either.
    CGenData *next = List().NewItem(kIconFormat);
    next->SetName("NEXT");
    List().EditSelected();
    ASSERT_TRUE(next->IsEditorOpen());
    QCoreApplication::processEvents();
    ASSERT_EQ(List().GetRowCount(), 1);
    EXPECT_TRUE(next->IsEditorOpen());
    EXPECT_EQ(List().GetRowMark(0), kMarkEditorOpen);
    EXPECT_NE(List().GetRowText(0, 0), "NEXT") << "refreshed by a message about another item";
}

TEST_F(MainWindowTest, RemoveGeneratorDropsItsRowAndTellsTools)
{
    MakeWindow();
    window->show();
    TestGeneratorView *view = AddGenerator(kCom2, "G", "Com-1");
    CGenData *item = List().NewItem(kIconFormat);
    ASSERT_TRUE(window->ShowTool(ToolSlot::ImageDownload));
    journal.clear();
    const LPARAM handle = ToLParam(view); // the view goes with the first message
    EXPECT_EQ(SendMessage(window.get(), WM_REMOVE_GENERATOR, 0, handle), 1);
    EXPECT_EQ(window->GetGeneratorListView()->GetRowCount(), 0);
    EXPECT_EQ(journal.join(u','), "download remove");
    EXPECT_EQ(static_cast<CTestItem *>(item)->hints, std::vector<int>{1});
    // A view that is gone is not looked at again.
    EXPECT_EQ(SendMessage(window.get(), WM_REMOVE_GENERATOR, 0, handle), 1);
}

// --- Tool windows -----------------------------------------------------------

TEST_F(MainWindowTest, ToolIsCreatedOnDemandWithEveryConnectedGenerator)
{
    MakeWindow();
    TestGeneratorView *first = AddGenerator(kCom2, "A", "Com-1");
    TestGeneratorView *second = AddGenerator(kIsa0, "B", "Isa-0");
    EXPECT_EQ(window->Tool(ToolSlot::Firmware), nullptr);
    ASSERT_TRUE(window->Router().Execute(ID_UPDATE_FIRMWARE));
    auto *tool = static_cast<ToolDouble *>(window->Tool(ToolSlot::Firmware));
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(tool->parentWidget(), nullptr) << "a window of the desktop";
    EXPECT_EQ(tool->generators, (QList<CGeneratorView *>{first, second}));
    // The visible tool is brought forward, not made again.
    ASSERT_TRUE(window->Router().Execute(ID_UPDATE_FIRMWARE));
    EXPECT_EQ(window->Tool(ToolSlot::Firmware), tool);
}

TEST_F(MainWindowTest, HiddenToolIsReapedAtTheNextUpdateAndMadeAfreshByItsCommand)
{
    MakeWindow();
    AddGenerator(kCom2, "A", "Com-1");
    ASSERT_TRUE(window->ShowTool(ToolSlot::Extraction));
    ASSERT_TRUE(window->ShowTool(ToolSlot::Restoration));
    auto *extraction = static_cast<ToolDouble *>(window->Tool(ToolSlot::Extraction));
    EXPECT_EQ(extraction->link, window->Tool(ToolSlot::Restoration)) << "both archive tools visible: linked";

    window->Tool(ToolSlot::Restoration)->close(); // Close only hides
    EXPECT_NE(window->Tool(ToolSlot::Restoration), nullptr);
    journal.clear();
    window->UpdateControls();
    EXPECT_EQ(window->Tool(ToolSlot::Restoration), nullptr);
    EXPECT_EQ(journal.join(u','), "restoration deleted");
    EXPECT_EQ(extraction->link, nullptr) << "no link to a deleted tool";

    window->Tool(ToolSlot::Extraction)->hide();
    journal.clear();
    ASSERT_TRUE(window->ShowTool(ToolSlot::Extraction));
    EXPECT_EQ(journal.join(u','), "extraction deleted,extraction add");
}

TEST_F(MainWindowTest, HiddenToolIsNotDeletedWhileItsOwnTransferRuns)
{
    MakeWindow();
    window->show();
    AddGenerator(kCom2, "A", "Com-1");
    ASSERT_TRUE(window->ShowTool(ToolSlot::Firmware));
    QPointer<ToolDouble> tool = static_cast<ToolDouble *>(window->Tool(ToolSlot::Firmware));
    tool->busyOperating = true;
    tool->close(); // the user hides it mid-transfer
    journal.clear();
    window->UpdateControls();
    ASSERT_FALSE(tool.isNull()) << "reaping waits for the transfer";
    EXPECT_EQ(window->Tool(ToolSlot::Firmware), tool.data());

    // Its command shows the same tool again instead of making a fresh one.
    ASSERT_TRUE(window->Router().Execute(ID_UPDATE_FIRMWARE));
    EXPECT_EQ(window->Tool(ToolSlot::Firmware), tool.data());
    EXPECT_TRUE(tool->isVisible());

    // Nor does closing the program take it away.
    EXPECT_FALSE(window->close());
    ASSERT_FALSE(tool.isNull());
    EXPECT_TRUE(journal.isEmpty()) << journal.join(u',').toStdString();

    tool->hide();
    tool->busyOperating = false;
    window->UpdateControls();
    EXPECT_TRUE(tool.isNull()) << "reaped once done";
    EXPECT_EQ(journal.join(u','), "firmware deleted");
}

TEST_F(MainWindowTest, VisibleToolsHearOfConnectionsInTheirOrder)
{
    MakeWindow();
    for (ToolSlot slot : {ToolSlot::ImageDownload, ToolSlot::Restoration, ToolSlot::Extraction, ToolSlot::Firmware})
        ASSERT_TRUE(window->ShowTool(slot));
    window->Tool(ToolSlot::Restoration)->hide();
    CGenData *item = List().NewItem(kIconFormat);
    journal.clear();
    TestGeneratorView *view = AddGenerator(kCom2, "A", "Com-1");
    window->GeneratorAdded(view);
    EXPECT_EQ(journal.join(u','), "firmware add,extraction add,download add");
    EXPECT_EQ(static_cast<CTestItem *>(item)->hints, std::vector<int>{0});
}

TEST_F(MainWindowTest, BusyGoesToTheViewAndTheVisibleTransferTools)
{
    MakeWindow();
    TestGeneratorView *view = AddGenerator(kCom2, "A", "Com-1");
    for (ToolSlot slot : {ToolSlot::ImageDownload, ToolSlot::Restoration, ToolSlot::Extraction, ToolSlot::Firmware})
        ASSERT_TRUE(window->ShowTool(slot));
    window->Tool(ToolSlot::Extraction)->hide();
    journal.clear();
    EXPECT_EQ(SendMessage(window.get(), WM_GENERATOR_BUSY, 1, ToLParam(view)), 1);
    EXPECT_EQ(SendMessage(window.get(), WM_GENERATOR_BUSY, 0, ToLParam(view)), 1);
    EXPECT_EQ(view->busyCalls, (std::vector<bool>{true, false}));
    EXPECT_FALSE(view->IsBusy());
    EXPECT_EQ(journal.join(u','), "firmware busy 1,restoration busy 1,firmware busy 0,restoration busy 0");
}

TEST_F(MainWindowTest, BusyForAViewThatIsGoneTouchesOnlyTheTools)
{
    MakeWindow();
    TestGeneratorView *view = AddGenerator(kCom2, "A", "Com-1");
    const LPARAM handle = ToLParam(view);
    window->GetGeneratorListView()->RemoveGenerator(view);
    ASSERT_TRUE(window->ShowTool(ToolSlot::Firmware));
    journal.clear();
    SendMessage(window.get(), WM_GENERATOR_BUSY, 1, handle);
    EXPECT_EQ(journal.join(u','), "firmware busy 1");
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileBesideTheProgram)
{
    MakeWindow();
    const QString path = AssetFile("zot3-test-help.hlp");
    QFile help(path);
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    window->SetHelpFile("zot3-test-help.hlp");
    prompter.ExpectDocument(DocumentKind::Help, PromptMatch::Text(path));
    EXPECT_TRUE(window->Router().Execute(ID_HELP_OPEN));
    QFile::remove(path);
}

TEST_F(MainWindowTest, HelpSaysClearlyWhenTheFileIsMissing)
{
    MakeWindow();
    window->SetHelpFile("no such help.hlp");
    prompter.ExpectMessage(PromptMatch::Contains("\"no such help.hlp\" is not installed"), IDOK);
    EXPECT_TRUE(window->Router().Execute(ID_HELP_OPEN));
}

} // namespace
