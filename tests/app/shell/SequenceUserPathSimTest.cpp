// A user's way with a sequence, end to end, against two simulated
// generators, through the program's own commands, clicks and dialogs:
// build it in the editor with the pickers (the built-in names of
// "<Virtual Gen>", then COM1's), save it, open the file again, send it to
// COM1, play it there and unload it (the settings come back), recall it,
// drag it to COM2, and write and import its command file. The generators'
// stores are checked after every step.

#include "CDataListView.h"
#include "CEditorDialogBar.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CGeneratorViewChild.h"
#include "CMainWindow.h"
#include "CNameEdit.h"
#include "CSelectDataTypeDlg.h"
#include "CSequence.h"
#include "CSequenceEditor.h"
#include "CSequenceListView.h"
#include "CSequencePlayerDlg.h"
#include "CSequenceStepView.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "Profile.h"
#include "ShellImages.h"
#include "StepClipboard.h"
#include "StepColumns.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>

namespace {

using gensim::ItemKind;
using gensim::SequenceStep;
using Pane = CGeneratorDataPane;

class SequenceUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        // At the rate a port opens with: a connection needs no baud search.
        for (const char *serial : {"100001", "100002"}) {
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = serial, .baudRate = 2400, .link = ""});
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        window->resize(760, 520);
        window->show();
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        g_dragHook = nullptr;
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }
    CGeneratorView &View(int i) { return *Generators().GetRowView(i); }
    gensim::Generator &Gen(int i) { return sim.generator(size_t(i)); }
    std::vector<SequenceStep> Stored(int i, const std::string &name)
    {
        const auto item = Gen(i).item(ItemKind::Sequence, name);
        return item ? item->steps : std::vector<SequenceStep>{};
    }

    static void Click(QAbstractItemView &view, const QRect &cell, bool twice = false)
    {
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        if (twice)
            QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCoreApplication::processEvents();
    }

    void ClickGenerator(int row, bool twice = false)
    {
        QTreeWidget &list = *Generators().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }

    void ClickData(int row, bool twice = false)
    {
        Data().DeselectAll();
        QTreeWidget &list = *Data().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }

    void Connect(int com)
    {
        WriteProfileInt("Port", "Type", 2);
        WriteProfileInt("Port", "Com", com);
        prompter.ExpectDialog(PromptMatch::Caption("Select a Port..."), [](QDialog &d) { d.accept(); });
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // A click on a cell of the editor's table, then a double-click on the
    // picker's item of that text.
    static void Pick(CSequenceEditor &editor, int row, int column, const QString &text)
    {
        CStepListCtrl &table = *editor.StepView()->List();
        Click(table, table.visualRect(table.model()->index(row, column)));
        QListWidget *picker = editor.ListView()->Picker(column);
        ASSERT_TRUE(picker && picker->isVisible());
        const QList<QListWidgetItem *> found = picker->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        picker->scrollToItem(found.first());
        Click(*picker, picker->visualItemRect(found.first()), true);
        EXPECT_EQ(editor.StepView()->CellText(row, column), text);
    }

    // The sequences list of view i with name selected.
    void SelectSequence(int i, const QString &name)
    {
        ASSERT_TRUE(View(i).Router().Execute(ID_LIST_SEQUENCES));
        Pane &pane = *View(i).DataPane();
        const int row = pane.FindRow(Pane::kSequences, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(Pane::kSequences);
        Click(list, list.visualItemRect(list.item(row)));
        ASSERT_EQ(pane.SelectedCount(), 1);
    }

    static std::vector<SequenceStep> AsStored(const CSequence &sequence)
    {
        std::vector<SequenceStep> steps;
        for (const CSequenceStep &s : sequence.Steps())
            steps.push_back({s.formatName.toStdString(), s.imageName.toStdString(), s.imageVersion,
                             CSequenceStep::SecondsOfDuration(s.duration), CSequenceStep::SyncTypeToCommand(s.syncType),
                             s.GateMask(), s.output});
        return steps;
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

// What the user builds: DMT8075 (a built-in name), then DMT1075 with
// SMPTEbar (COM1's), all gates on and 2 s.
const std::vector<SequenceStep> kBuilt = {{"DMT8075", "", -1, -1, -1, -1, -1},
                                          {"DMT1075", "SMPTEbar", -1, 2.0, -1, 7, -1}};

TEST_F(SequenceUserPathSimTest, BuildSaveSendPlayRecallCopyAndCommandFile)
{
    const QString seqFile = TempPath("myseq.seq");
    const QString cmdFile = TempPath("myseq.cmd");
    Connect(1);
    Connect(2);

    // File/New, Sequence; its name through the name dialog of a label edit.
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
        auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
        ASSERT_EQ(select.m_list->item(1)->text(), "Sequence");
        select.m_list->setCurrentRow(1);
        FindControl<QPushButton>(&select, IDOK)->click();
    });
    ASSERT_TRUE(window->Router().Execute(ID_FILE_NEW));
    ASSERT_EQ(Data().GetRowCount(), 1);
    auto *sequence = dynamic_cast<CSequence *>(Data().GetRowItem(0));
    ASSERT_NE(sequence, nullptr);
    prompter.ExpectDialog(PromptMatch::Caption("Name..."), [](QDialog &d) {
        FindControl<CNameEdit>(&d, IDC_NAME)->setText("MySeq");
        FindControl<QPushButton>(&d, IDOK)->click();
    });
    Data().List()->editItem(Data().List()->topLevelItem(0), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(sequence->GetName(), "MySeq");

    // A double click opens the editor; two new steps.
    ClickData(0, true);
    auto *editor = dynamic_cast<CSequenceEditor *>(sequence->GetEditor());
    ASSERT_NE(editor, nullptr);
    editor->resize(1000, 420);
    EXPECT_TRUE(editor->ListView()->NoSelection()->isVisible());
    ASSERT_TRUE(editor->Router().Execute(ID_NEW_STEP));
    ASSERT_TRUE(editor->Router().Execute(ID_NEW_STEP));

    // The first step's format from the built-in names of "<Virtual Gen>".
    EXPECT_EQ(editor->DialogBar()->Combo()->currentText(), "<Virtual Gen>");
    Pick(*editor, 0, StepColumns::kFormat, "DMT8075");

    // COM1 in the combo: its view is scanned first, and the pickers offer its names.
    QComboBox &combo = *editor->DialogBar()->Combo();
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(1), "VG-7000 on Com-1");
    EXPECT_EQ(View(0).IsScanned(), 0);
    combo.setCurrentIndex(1);
    emit combo.activated(1);
    EXPECT_EQ(View(0).IsScanned(), 1);
    EXPECT_EQ(editor->ListView()->Picker(StepColumns::kFormat)->count(), 1 + int(Gen(0).names(ItemKind::Format).size()));
    Pick(*editor, 1, StepColumns::kFormat, "DMT1075");
    Pick(*editor, 1, StepColumns::kImage, "SMPTEbar");
    Pick(*editor, 1, StepColumns::kGates, " R G B");
    Pick(*editor, 1, StepColumns::kDuration, "2.0 sec");
    SaveScreenshot(*editor, "sequence_editor_user_path");

    // File/Save of the editor asks for the file; the editor is then unmodified.
    prompter.ExpectFile(PromptMatch::Id(33061), {true, {seqFile}, 1});
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_SAVE));
    EXPECT_FALSE(sequence->IsModified());
    EXPECT_EQ(editor->windowTitle(), "\"MySeq\"  " + seqFile);
    EXPECT_EQ(AsStored(*sequence), kBuilt);
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_FALSE(sequence->IsEditorOpen());

    // File/Open of the saved file brings the same steps back as a second row.
    prompter.ExpectFile(PromptMatch::Id(33066), {true, {seqFile}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    ASSERT_EQ(Data().GetRowCount(), 2);
    auto *reopened = dynamic_cast<CSequence *>(Data().GetRowItem(1));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(AsStored(*reopened), kBuilt);

    // Send Data of the reopened item to COM1.
    ClickData(1);
    ClickGenerator(0);
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    EXPECT_EQ(Stored(0, "MySeq"), kBuilt);

    // Use it on COM1: the player loads it, the data pane is locked.
    const gensim::ItemSelection formatBefore = Gen(0).selection(ItemKind::Format);
    ClickGenerator(0, true);
    SelectSequence(0, "MySeq");
    ASSERT_TRUE(View(0).Router().Execute(ID_USE_ITEM));
    auto *player = View(0).findChild<CSequencePlayerDlg *>();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(Gen(0).sequence().loaded, "MySeq");
    EXPECT_EQ(Gen(0).sequence().mode, 1);
    EXPECT_EQ(Gen(0).selection(ItemKind::Format).inUse, "DMT8075");
    EXPECT_FALSE(View(0).DataPane()->NameList(Pane::kSequences)->isEnabled());
    SaveScreenshot(*player, "sequence_player_user_path");
    QTest::mouseClick(FindControl<QPushButton>(player, IDC_NEXT), Qt::LeftButton);
    EXPECT_EQ(Gen(0).sequence().step, 2u);
    EXPECT_EQ(Gen(0).selection(ItemKind::Format).inUse, "DMT1075");
    QTest::mouseClick(FindControl<QPushButton>(player, IDC_UNLOAD), Qt::LeftButton);
    EXPECT_FALSE(player->isVisible());
    EXPECT_EQ(Gen(0).sequence().loaded, "");
    EXPECT_EQ(Gen(0).sequence().mode, 0);
    EXPECT_EQ(Gen(0).selection(ItemKind::Format).inUse, formatBefore.inUse) << "the settings from before";
    EXPECT_TRUE(View(0).DataPane()->NameList(Pane::kSequences)->isEnabled());

    // Recall it into the data list.
    SelectSequence(0, "MySeq");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Sequence \"MySeq\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    ASSERT_EQ(Data().GetRowCount(), 3);
    auto *recalled = dynamic_cast<CSequence *>(Data().GetRowItem(2));
    ASSERT_NE(recalled, nullptr);
    EXPECT_EQ(recalled->GetName(), "MySeq");
    EXPECT_EQ(AsStored(*recalled), kBuilt);

    // Drag it from COM1's pane to COM2's: copied there step by step.
    ClickGenerator(1, true);
    ASSERT_EQ(View(1).IsScanned(), 1);
    SelectSequence(0, "MySeq");
    QListWidget &list = *View(0).DataPane()->NameList(Pane::kSequences);
    const QPoint at = list.visualItemRect(list.item(View(0).DataPane()->FindRow(Pane::kSequences, "MySeq"))).center();
    bool dragged = false;
    g_dragHook = [&](QDrag &drag) {
        dragged = true;
        return DeliverDrag(*View(1).DataPane(), drag);
    };
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    const QPoint to = at + QPoint(40, 0);
    for (const QPoint &point : {at + QPoint(2, 0), to}) {
        QMouseEvent move(QEvent::MouseMove, point, list.viewport()->mapToGlobal(point), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &move);
    }
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_TRUE(dragged);
    g_dragHook = nullptr;
    EXPECT_EQ(Stored(1, "MySeq"), kBuilt);

    // File/Write CMD File of the recalled item, then File/Import of it.
    ClickData(2);
    prompter.ExpectFile(PromptMatch::Id(10021), {true, {cmdFile}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_WRITE_CMD_FILE));
    QFile written(cmdFile);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_TRUE(text.startsWith("// RARU\r\n// 2.000\r\nSEQN MySeq\r\nSEQB\r\nSTEP 1\r\nFMTL \"DMT8075\"\r\n"))
        << text.left(80).toStdString();
    prompter.ExpectFile(PromptMatch::Id(10005), {true, {cmdFile}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_IMPORT_CMD));
    ASSERT_EQ(Data().GetRowCount(), 4);
    auto *imported = dynamic_cast<CSequence *>(Data().GetRowItem(3));
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->GetName(), "MySeq");
    EXPECT_EQ(AsStored(*imported), kBuilt);

    // Closing asks about the unsaved ones, and empties the step clipboard.
    SetStepClipboard({CSequenceStep()});
    prompter.AllowMessage(PromptMatch::Id(32973), IDNO);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(StepClipboard().empty());
}

} // namespace
