// The data pane's transfers against two simulated generators on
// pseudo-terminals, through the real library: send, recall, copy between
// the generators by a drag, rename and delete, each checked against the
// generators' stores and command traces.

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CFormat.h"
#include "CFormatListEntry.h"
#include "CGeneralFormatData.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CGeneratorViewRules.h"
#include "CMainWindow.h"
#include "CNameDlg.h"
#include "CNameEdit.h"
#include "CProgressDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "Profile.h"
#include "ShellImages.h"

#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Lines = std::vector<std::string>;
using Pane = CGeneratorDataPane;

// A user format with the fields of a built-in one, under another name.
gensim::StoredItem UserFormat(gensim::Generator &g, const char *name, const char *hres = nullptr)
{
    gensim::StoredItem item = *g.item(ItemKind::Format, "DMT8075");
    item.name = name;
    item.user = true;
    if (hres)
        item.fields["HRES"] = hres;
    return item;
}

class DataPaneTransfersSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        DataKinds::Register(MakeDataKind<CFormat>(kIconFormat, CGenData::kFormat, 32990));
        WriteProfileInt("Generator", "PersistentBaudRate", 115200);
        for (int com : {1, 2}) {
            gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011",
                                                     .serial = std::to_string(com), .baudRate = 115200, .link = ""});
            g.seed(ItemKind::Format, UserFormat(g, "RED"));
            g.seed(ItemKind::Format, UserFormat(g, "GREEN", com == 1 ? "1024" : "640"));
            gens.push_back(&g);
        }
        sim.start();
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        for (int com : {1, 2}) {
            setenv(QStringLiteral("MORVANE_COM%1").arg(com).toLatin1().constData(),
                   gens[size_t(com - 1)]->comPath().c_str(), 1);
            AnswerPortDialogCom(prompter, com);
            ASSERT_TRUE(window->GetGeneratorListView()->Connect(false));
            CGeneratorView *view = g_generatorViews.last();
            ASSERT_EQ(view->ScanGenerator(), 1);
            views.push_back(view);
        }
    }

    void TearDown() override
    {
        g_dragHook = nullptr;
        window.reset();
        DataKinds::Unregister(kIconFormat);
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    Pane &PaneOf(int i) { return *views[size_t(i)]->DataPane(); }
    CDataListView &Data() { return *window->GetDataListView(); }

    // Only these rows of the formats list selected, in that list.
    void Select(int i, const QStringList &names)
    {
        Pane &pane = PaneOf(i);
        pane.ShowList(Pane::kFormats);
        QListWidget *list = pane.NameList(Pane::kFormats);
        list->clearSelection();
        for (const QString &name : names) {
            const int row = pane.FindRow(Pane::kFormats, name);
            ASSERT_GE(row, 0) << name.toStdString();
            list->item(row)->setSelected(true);
        }
        pane.UpdateSelectionState();
    }

    QStringList Rows(int i)
    {
        QStringList names;
        for (int row = 0; row < PaneOf(i).NameList(Pane::kFormats)->count(); ++row)
            names.append(PaneOf(i).RowName(Pane::kFormats, row));
        return names;
    }

    size_t Mark(int i) { return gens[size_t(i)]->trace().size(); }
    long Count(int i, size_t mark, const std::string &line)
    {
        const Lines lines = gens[size_t(i)]->trace().lines();
        return long(std::count(lines.begin() + long(std::min(mark, lines.size())), lines.end(), line));
    }
    bool Holds(int i, const char *name) { return gens[size_t(i)]->item(ItemKind::Format, name).has_value(); }
    std::vector<std::string> Names(int i) { return gens[size_t(i)]->names(ItemKind::Format); }
    bool HasName(int i, const char *name)
    {
        const auto names = Names(i);
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    void ExpectNameDialog(const QString &name)
    {
        prompter.ExpectDialog(PromptMatch::Caption("Name..."), [name](QDialog &d) {
            FindControl<CNameEdit>(&d, IDC_NAME)->setText(name);
            FindControl<QPushButton>(&d, IDOK)->click();
        });
    }

    gensim::Simulator sim;
    std::vector<gensim::Generator *> gens;
    std::vector<CGeneratorView *> views;
    std::unique_ptr<CMainWindow> window;
};

// --- Recall --------------------------------------------------------------------------------

TEST_F(DataPaneTransfersSimTest, RecallMakesARowOfTheFormatAndAFailedRecallNone)
{
    Select(0, {"GREEN"});
    prompter.ExpectMessage(PromptMatch::Text("Recall the Format \"GREEN\"?"), IDYES);
    PaneOf(0).RecallSelected();
    ASSERT_EQ(Data().GetRowCount(), 1);
    auto *format = dynamic_cast<CFormat *>(Data().GetRowItem(0));
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetName(), "GREEN");
    EXPECT_DOUBLE_EQ(format->Data().hActive, 1024);

    // The generator no longer holds it, though the pane still shows it.
    gens[0]->execute("FMTK \"GREEN\"");
    prompter.AllowMessage(PromptMatch::Caption("Communication Error"), IDOK);
    prompter.ExpectMessage(PromptMatch::Text("Recall the Format \"GREEN\"?"), IDYES);
    PaneOf(0).RecallSelected();
    EXPECT_EQ(Data().GetRowCount(), 1) << "a failed recall leaves no empty row";
}

// --- Send --------------------------------------------------------------------------------

struct SendCase {
    const char *name;
    int answer;          // to the replace question; 0: none is asked
    bool notReplaceable; // the warning instead of the question
    bool result;
    bool stored;         // FMTA with the name went to the generator
};

class SendItemSimTest : public DataPaneTransfersSimTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendItemSimTest, AsksBeforeReplacingAnItemAndNeverReplacesABuiltInOne)
{
    const SendCase &c = GetParam();
    CFormat format;
    ASSERT_TRUE(format.RecallFromGenerator("DMT8075", views[1]->GetGenerator(), nullptr));
    format.SetName(QString::fromLatin1(c.name));
    const QString quoted = QStringLiteral("\"%1\"").arg(c.name);
    if (c.answer)
        prompter.ExpectMessage(PromptMatch::Text("The data " + quoted + " already exists.\nReplace the data?"),
                               c.answer, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (c.notReplaceable)
        prompter.ExpectMessage(PromptMatch::Text("The data " + quoted + " already exists and can not be overwritten."),
                               IDOK);
    const bool existed = PaneOf(1).FindRow(Pane::kFormats, c.name) >= 0;
    const size_t mark = Mark(1);
    CProgressDlg progress(views[1], true);
    EXPECT_EQ(views[1]->SendItem(&format, &progress), c.result);
    progress.DestroyWindow();
    EXPECT_EQ(Count(1, mark, "FMTA " + quoted.toStdString()), c.stored ? 1 : 0);
    EXPECT_EQ(progress.GetStatus(IDC_STATUS1).startsWith("Sending " + quoted + " to the VG-7000 on "),
              true);
    if (!existed) {
        EXPECT_EQ(PaneOf(1).FindRow(Pane::kFormats, c.name) >= 0, c.stored) << "a new name gets its row";
    }
}

INSTANTIATE_TEST_SUITE_P(Names, SendItemSimTest,
                         ::testing::Values(SendCase{"BLUE", 0, false, true, true},
                                           SendCase{"RED", IDYES, false, true, true},
                                           SendCase{"RED", IDNO, false, false, false},
                                           SendCase{"RED", IDCANCEL, false, false, false},
                                           SendCase{"DMT8075", 0, true, false, false}));

// --- Copy between generators ----------------------------------------------------------------

// A send refreshes every list of the view that holds formats: after the
// detailed list was filled, a replaced format's row shows its new figures
// and a new one gets its row; the format in use stays in use.
TEST_F(DataPaneTransfersSimTest, ASendRefreshesTheDetailedFormatList)
{
    Pane &pane = PaneOf(1);
    prompter.ExpectMessage(PromptMatch::Caption("Detailed Format List"), IDYES);
    pane.ShowList(Pane::kDetailed);
    ASSERT_TRUE(pane.IsDetailedListFilled());
    const auto row = [&pane](const QString &name) -> const CFormatListEntry * {
        for (int r = 0; r < pane.FormatListRowCount(); ++r)
            if (pane.FormatListEntry(r)->name == name)
                return pane.FormatListEntry(r);
        return nullptr;
    };
    ASSERT_NE(row("GREEN"), nullptr);
    EXPECT_EQ(row("GREEN")->hRes, 640);
    const int rows = pane.FormatListRowCount();
    const std::vector<std::string> inUse = gens[1]->execute("FMTU?");

    CFormat format;
    ASSERT_TRUE(format.RecallFromGenerator("DMT8075", views[1]->GetGenerator(), nullptr));
    format.Data().hActive = 800;
    for (const char *name : {"GREEN", "TEAL"}) {
        SCOPED_TRACE(name);
        format.SetName(QString::fromLatin1(name));
        if (row(QString::fromLatin1(name)))
            prompter.ExpectMessage(PromptMatch::Caption("Overwrite..."), IDYES);
        ASSERT_TRUE(views[1]->SendItem(&format, nullptr));
        ASSERT_NE(row(QString::fromLatin1(name)), nullptr);
        EXPECT_EQ(row(QString::fromLatin1(name))->hRes, 800);
        EXPECT_EQ(gens[1]->execute("FMTU?"), inUse) << "the format in use is loaded again";
    }
    EXPECT_EQ(pane.FormatListRowCount(), rows + 1);
    prompter.VerifyAllUsed();
}

TEST_F(DataPaneTransfersSimTest, DragToAnotherPaneCopiesOnlyWhatTheTargetStored)
{
    // A row for an item the source no longer holds: its copy fails and, as
    // the first failed command of the copy, ends it; it comes last.
    PaneOf(0).AddItem("ZGONE", Pane::kFormats, Pane::kKindFormat, 0);
    Select(0, {"GREEN", "RED", "ZGONE"});
    gens[1]->execute("FMTK \"RED\"");
    ASSERT_EQ(views[1]->ScanGenerator(), 1);
    const QStringList rowsBefore = Rows(1);

    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Text("The data \"GREEN\" already exists.\nReplace the data?"), IDNO);
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK); // FMTL "ZGONE" on the source
    g_dragHook = [&](QDrag &drag) { return DeliverDrag(PaneOf(1), drag); };
    const size_t mark = Mark(1);
    PaneOf(0).OnBeginDrag();
    g_dragHook = nullptr;

    EXPECT_TRUE(Holds(1, "RED"));
    EXPECT_EQ(gens[1]->item(ItemKind::Format, "RED")->fields.at("HRES"), "800");
    EXPECT_EQ(gens[1]->item(ItemKind::Format, "GREEN")->fields.at("HRES"), "640") << "skipped: left as it was";
    EXPECT_FALSE(Holds(1, "ZGONE"));
    EXPECT_EQ(Count(1, mark, "FMTA \"GREEN\""), 0);
    QStringList expected = rowsBefore;
    expected.append("RED");
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(Rows(1), expected) << "a row only for what was stored";
}

// --- Copy to the generators of the generator list ------------------------------------------

TEST_F(DataPaneTransfersSimTest, CopySendsAndThenRemovesOnlyTheCopiesItMade)
{
    CGenData *mine = Data().NewItem(kIconFormat);
    mine->SetName("MINE");
    window->GetGeneratorListView()->SelectRow(1, true);
    // A row for an item the source no longer holds: its recall fails, which
    // ends the copy; it comes last.
    PaneOf(0).AddItem("ZGONE", Pane::kFormats, Pane::kKindFormat, 0);
    Select(0, {"RED", "ZGONE"});
    prompter.ExpectMessage(PromptMatch::Text("Copy 2 selected Formats?"), IDYES);
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
    ASSERT_TRUE(views[0]->Router().Execute(ID_COPY));

    ASSERT_TRUE(Holds(1, "RED_1"));
    EXPECT_EQ(gens[1]->item(ItemKind::Format, "RED_1")->fields.at("HRES"), "800");
    EXPECT_FALSE(Holds(1, "ZGONE_1"));
    EXPECT_FALSE(Holds(1, "Format")) << "no empty item went out";
    ASSERT_EQ(Data().GetRowCount(), 1) << "the copies went again, the user's item stayed";
    EXPECT_EQ(Data().GetRowItem(0), mine);
}

TEST_F(DataPaneTransfersSimTest, CopyAndLoadWithNoGeneratorSelectedSayWhereToSelectOneFirst)
{
    for (int id : {ID_COPY, ID_CONTEXT_COPY, ID_LOAD_INTO_GENERATOR}) {
        for (int row : {0, 1})
            window->GetGeneratorListView()->SelectRow(row, false);
        Select(0, {"RED"});
        const size_t marks[] = {Mark(0), Mark(1)};
        // No copy question, no file dialog: the box comes first.
        prompter.ExpectMessage(
            PromptMatch::Text("Select the generators to send to in the main window's generator list."), IDOK);
        views[0]->Router().Execute(id);
        prompter.VerifyAllUsed();
        EXPECT_EQ(Mark(0), marks[0]) << id << ": no traffic";
        EXPECT_EQ(Mark(1), marks[1]) << id;
        EXPECT_EQ(Data().GetRowCount(), 0) << id << ": no rows";
    }
}

TEST_F(DataPaneTransfersSimTest, TheDeleteKeyInAViewRunsItsDelete)
{
    views[0]->show();
    views[0]->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(views[0]));
    Select(0, {"RED"});
    QListWidget *list = PaneOf(0).NameList(Pane::kFormats);
    list->setFocus();
    const size_t mark = Mark(0);
    prompter.ExpectMessage(PromptMatch::Id(IDS_DELETE_ONE), IDNO);
    QTest::keyClick(list, Qt::Key_Delete);
    prompter.VerifyAllUsed();
    EXPECT_EQ(Mark(0), mark) << "answered No: nothing deleted";
    EXPECT_TRUE(Holds(0, "RED"));
}

// --- Rename --------------------------------------------------------------------------------

struct RenameCase {
    const char *newName;
    const char *stored;   // the spelling the generator then holds
    bool oldDeleted;      // FMTK of the old name was sent
};

class RenameSimTest : public DataPaneTransfersSimTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(RenameSimTest, KeepsTheItemUnlessItReallyHasANewName)
{
    const RenameCase &c = GetParam();
    Select(0, {"RED"});
    ExpectNameDialog(QString::fromLatin1(c.newName));
    const size_t mark = Mark(0);
    PaneOf(0).RenameSelected();

    EXPECT_TRUE(HasName(0, c.stored)) << c.stored;
    EXPECT_EQ(Count(0, mark, "FMTK \"RED\""), c.oldDeleted ? 1 : 0);
    EXPECT_EQ(HasName(0, "RED"), std::string(c.stored) == "RED");
    const QStringList rows = Rows(0);
    EXPECT_TRUE(rows.contains(QString::fromLatin1(c.stored))) << rows.join(' ').toStdString();
    EXPECT_EQ(rows.contains("RED"), std::string(c.stored) == "RED");
    EXPECT_TRUE(prompter.Messages().empty()) << "no question: nothing else holds the name";
}

INSTANTIATE_TEST_SUITE_P(Names, RenameSimTest,
                         ::testing::Values(RenameCase{"RED", "RED", false}, RenameCase{"red", "red", false},
                                           RenameCase{"BLUE", "BLUE", true}));

// The recall under the rename fails at one query (the generator refuses it):
// nothing is stored under the new name and the original stays, with the
// value a stand-in would have replaced.
TEST_F(DataPaneTransfersSimTest, RenameWhoseRecallFailsKeepsTheOriginal)
{
    gensim::StoredItem red = *gens[0]->item(ItemKind::Format, "RED");
    red.fields["EQUB"] = "5";
    gens[0]->seed(ItemKind::Format, red);
    for (const char *refusal : {"Command invalid\r\n>", "Execution error: 2\r\n>"}) {
        SCOPED_TRACE(refusal);
        gens[0]->faults().add(gensim::Fault::scriptedReply("EQUB?", refusal));
        Select(0, {"RED"});
        prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
        prompter.ExpectMessage(PromptMatch::Text("Could not locate data to rename."), IDOK);
        const size_t mark = Mark(0);
        PaneOf(0).RenameSelected(); // no name dialog: the recall failed before it
        prompter.VerifyAllUsed();

        ASSERT_TRUE(Holds(0, "RED"));
        EXPECT_EQ(gens[0]->item(ItemKind::Format, "RED")->fields.at("EQUB"), "5");
        EXPECT_EQ(Count(0, mark, "FMTK \"RED\""), 0);
        EXPECT_EQ(Count(0, mark, "FMTE"), 0) << "nothing went into an edit buffer";
        EXPECT_TRUE(Rows(0).contains("RED"));
        gens[0]->faults().clear();
    }
}

// --- Delete --------------------------------------------------------------------------------

TEST_F(DataPaneTransfersSimTest, DeleteKeepsTheRowOfAnItemTheGeneratorRefused)
{
    // RED went in by Send Data, which listed it in the format directory.
    gensim::StoredItem fmt = *gens[0]->item(ItemKind::Directory, "fmt");
    fmt.entries.insert(fmt.entries.begin(), "RED");
    gens[0]->seed(ItemKind::Directory, fmt);
    Select(0, {"DMT8075", "RED"});
    prompter.ExpectMessage(PromptMatch::Text("Delete 2 selected Formats?"), IDYES);
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK); // FMTK of a built-in format
    const size_t mark = Mark(0);
    PaneOf(0).DeleteSelected();

    EXPECT_FALSE(Holds(0, "RED"));
    EXPECT_TRUE(Holds(0, "DMT8075"));
    EXPECT_EQ(Count(0, mark, "FMTK \"DMT8075\""), 1);
    EXPECT_EQ(Count(0, mark, "NAMK RED"), 1) << "the deleted format also leaves the format directory";
    EXPECT_EQ(Count(0, mark, "NAMK DMT8075"), 0);
    const auto entries = gens[0]->item(ItemKind::Directory, "fmt")->entries;
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "RED"), 0);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "DMT8075"), 1);
    EXPECT_TRUE(Rows(0).contains("DMT8075"));
    EXPECT_FALSE(Rows(0).contains("RED"));
}

} // namespace
