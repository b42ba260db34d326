// A user's way with a sequence and with a knob list, end to end, against
// two simulated generators, through the program's own commands, clicks and
// dialogs. The sequence: built in its editor with the pickers (the built-in
// names of "<Virtual Gen>", then COM1's), saved, opened again, sent to COM1,
// played there and unloaded (the settings come back), recalled, dragged to
// COM2, its command file written and imported. The knob list: made by
// dragging COM1's format names from the name pane (image names refused),
// saved, opened again, sent to COM1, recalled, dragged to COM2; and a
// recalled "fmt" list, which a Send Data of a new format offers to recall
// again. The generators' stores are checked after every step.

#include "CDataListView.h"
#include "CEditorDialogBar.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CGeneratorViewChild.h"
#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CKnobListView.h"
#include "CFormat.h"
#include "CNameSelectionView.h"
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
#include "TwoComGenerators.h"
#include "PortDialogAnswer.h"
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

class ItemsUserPathSimTest : public TwoComGenerators {
protected:
    ItemsUserPathSimTest() : TwoComGenerators("7.011") {}

    gensim::Generator &Gen(int i) { return sim.generator(size_t(i)); }
    std::vector<SequenceStep> Stored(int i, const std::string &name)
    {
        const auto item = Gen(i).item(ItemKind::Sequence, name);
        return item ? item->steps : std::vector<SequenceStep>{};
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

    // The list of view i (shown by its button) with name selected.
    void SelectInPane(int i, int command, int listNumber, const QString &name)
    {
        ASSERT_TRUE(View(i).Router().Execute(command));
        Pane &pane = *View(i).DataPane();
        const int row = pane.FindRow(listNumber, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(listNumber);
        Click(list, list.visualItemRect(list.item(row)));
        ASSERT_EQ(pane.SelectedCount(), 1);
    }
    void SelectSequence(int i, const QString &name) { SelectInPane(i, ID_LIST_SEQUENCES, Pane::kSequences, name); }
    void SelectKnobList(int i, const QString &name) { SelectInPane(i, ID_LIST_KNOB_LISTS, Pane::kKnobLists, name); }

    // File/New of the kind in row `row` of the type dialog; its name by a label edit.
    template <class Item>
    Item *NewNamedItem(int row, const char *kind, const QString &name)
    {
        prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [row, kind](QDialog &dialog) {
            auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
            ASSERT_EQ(select.m_list->item(row)->text(), kind);
            select.m_list->setCurrentRow(row);
            FindControl<QPushButton>(&select, IDOK)->click();
        });
        EXPECT_TRUE(window->Router().Execute(ID_FILE_NEW));
        const int last = Data().GetRowCount() - 1;
        auto *item = dynamic_cast<Item *>(Data().GetRowItem(last));
        EXPECT_NE(item, nullptr);
        prompter.ExpectDialog(PromptMatch::Caption("Name..."), [name](QDialog &d) {
            FindControl<CNameEdit>(&d, IDC_NAME)->setText(name);
            FindControl<QPushButton>(&d, IDOK)->click();
        });
        Data().List()->editItem(Data().List()->topLevelItem(last), 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(item ? item->GetName() : QString(), name);
        return item;
    }

    // The generator's directory as a list of names.
    QStringList Directory(int i, const std::string &name)
    {
        QStringList names;
        if (const auto item = Gen(i).item(ItemKind::Directory, name)) {
            for (const std::string &entry : item->entries)
                names << QString::fromStdString(entry);
        }
        return names;
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
};

// What the user builds: DMT8075 (a built-in name), then DMT1075 with
// SMPTEbar (COM1's), all gates on and 2 s.
const std::vector<SequenceStep> kBuilt = {{"DMT8075", "", -1, -1, -1, -1, -1},
                                          {"DMT1075", "SMPTEbar", -1, 2.0, -1, 7, -1}};

TEST_F(ItemsUserPathSimTest, BuildSaveSendPlayRecallCopyAndCommandFile)
{
    const QString seqFile = TempPath("myseq.seq");
    const QString cmdFile = TempPath("myseq.cmd");
    Connect(1);
    Connect(2);

    // File/New, Sequence; its name through the name dialog of a label edit.
    auto *sequence = NewNamedItem<CSequence>(2, "Sequence", "MySeq");
    ASSERT_NE(sequence, nullptr);

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
    DragToOtherPane(0, Pane::kSequences, "MySeq", 1);
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

TEST_F(ItemsUserPathSimTest, BuildAKnobListFromTheNamePaneSaveSendRecallCopyAndLink)
{
    const QString knbFile = TempPath("myknobs.knb");
    Connect(1);
    Connect(2);
    auto *knobs = NewNamedItem<CKnobList>(3, "Knob List", "MyKnobs");
    ASSERT_NE(knobs, nullptr);
    ClickData(0, true);
    auto *editor = dynamic_cast<CKnobListEditor *>(knobs->GetEditor());
    ASSERT_NE(editor, nullptr);

    // COM1 in the combo: scanned, its names offered.
    QComboBox &combo = *editor->DialogBar()->Combo();
    combo.setCurrentIndex(1);
    emit combo.activated(1);
    ASSERT_EQ(View(0).IsScanned(), 1);
    CNameSelectionView &names = *editor->NameView();
    EXPECT_EQ(names.RowCount(), int(Gen(0).names(ItemKind::Format).size() + Gen(0).names(ItemKind::Image).size()) + 1);

    // Two format names dragged from the name pane onto the entries.
    auto dragNames = [&](const QStringList &chosen) {
        names.List()->clearSelection();
        for (int row = 0; row < names.RowCount(); ++row)
            names.List()->topLevelItem(row)->setSelected(chosen.contains(names.NameAt(row)));
        g_dragHook = [&](QDrag &drag) {
            QWidget *viewport = editor->EntryView()->List()->viewport();
            return DeliverDragPass(*viewport, drag.mimeData(), {QPoint(5, viewport->height() - 5), Qt::CopyAction});
        };
        names.OnBeginDrag();
        g_dragHook = nullptr;
    };
    dragNames({"DMT1075", "DMT8075"});
    EXPECT_EQ(editor->EntryView()->RowNames(), (QStringList{"DMT1075", "DMT8075"}));
    // An image name then: refused, the list keeps one kind.
    prompter.ExpectMessage(PromptMatch::Text("You Cannot Mix Multiple Types On A Knob List"), IDOK);
    dragNames({"Flat"});
    EXPECT_EQ(editor->EntryView()->RowNames(), (QStringList{"DMT1075", "DMT8075"}));
    SaveScreenshot(*editor, "knob_list_editor_user_path");

    // Save, close, open the file again.
    prompter.ExpectFile(PromptMatch::Id(33061), {true, {knbFile}, 1});
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_SAVE));
    EXPECT_EQ(knobs->Entries(), (QStringList{"DMT1075", "DMT8075"}));
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    prompter.ExpectFile(PromptMatch::Id(33066), {true, {knbFile}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    auto *reopened = dynamic_cast<CKnobList *>(Data().GetRowItem(1));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetName(), "MyKnobs");
    EXPECT_EQ(reopened->Entries(), (QStringList{"DMT1075", "DMT8075"}));

    // Send Data of it to COM1: a directory there.
    ClickData(1);
    ClickGenerator(0);
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    EXPECT_EQ(Directory(0, "MyKnobs"), (QStringList{"DMT1075", "DMT8075"}));

    // Recall it into a new item.
    ClickGenerator(0, true);
    SelectKnobList(0, "MyKnobs");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Knob List \"MyKnobs\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    auto *recalled = dynamic_cast<CKnobList *>(Data().GetRowItem(2));
    ASSERT_NE(recalled, nullptr);
    EXPECT_EQ(recalled->Entries(), (QStringList{"DMT1075", "DMT8075"}));
    EXPECT_EQ(recalled->Source(), nullptr) << "only \"fmt\" links";

    // Drag it to COM2's pane: copied there.
    ClickGenerator(1, true);
    SelectKnobList(0, "MyKnobs");
    DragToOtherPane(0, Pane::kKnobLists, "MyKnobs", 1);
    EXPECT_EQ(Directory(1, "MyKnobs"), (QStringList{"DMT1075", "DMT8075"}));

    // Recall "fmt": linked to COM1. A Send Data of a new format there asks
    // whether to recall it again; OK does.
    SelectKnobList(0, "fmt");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Knob List \"fmt\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    auto *fmt = dynamic_cast<CKnobList *>(Data().GetRowItem(3));
    ASSERT_NE(fmt, nullptr);
    EXPECT_EQ(fmt->Source(), View(0).GetState().generator);
    const QStringList before = fmt->Entries();
    auto *format = NewNamedItem<CFormat>(0, "Format", "NEWFMT");
    ASSERT_NE(format, nullptr);
    ClickData(4);
    ClickGenerator(0);
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    prompter.ExpectMessage(PromptMatch::Contains("data item 'fmt' has changed."), IDOK, MB_OKCANCEL);
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    EXPECT_EQ(fmt->Entries(), QStringList{"NEWFMT"} + before);
    EXPECT_EQ(Directory(0, "fmt"), fmt->Entries());

    prompter.AllowMessage(PromptMatch::Id(32973), IDNO);
    EXPECT_TRUE(window->close());
}

} // namespace
