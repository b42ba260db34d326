// The sequence editor offscreen, through its own commands, clicks and
// double-clicks: the pickers and the current cell, auto-advance at the
// table's ends, the commands' enable rules, where new and pasted steps go,
// the name dialog, the write-back before the item is stored, and drops of
// step blocks (moved and copied between editors, refused whole when
// anything in them is wrong).

#include "CEditorDialogBar.h"
#include "CSequence.h"
#include "CSequenceEditor.h"
#include "CSequenceListView.h"
#include "CSequenceStepView.h"
#include "CStepDropTarget.h"
#include "ItemEditorFactories.h"
#include "ItemsTestSupport.h"
#include "StepClipboard.h"
#include "StepColumns.h"
#include "StepTransferBlock.h"

#include "Archive.h"
#include "CNameDlg.h"
#include "CNameEdit.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "MessageTarget.h"
#include "Profile.h"
#include "TestSupport.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QSplitter>
#include <QTest>
#include <QtEndian>

namespace {

using namespace StepColumns;

class ItemOwner : public QWidget, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM, LPARAM) override
    {
        messages.push_back(message);
        return 0;
    }
    std::vector<unsigned> messages;
};

CSequenceStep Named(const char *format, const char *image)
{
    CSequenceStep s;
    s.formatName = QString::fromLatin1(format);
    s.imageName = QString::fromLatin1(image);
    return s;
}

class SequenceEditorTest : public PlatformTest {
protected:
    ItemEditorFactories editorFactories; // the editors as the program makes them

    void TearDown() override
    {
        g_dragHook = nullptr;
        ClearStepClipboard();
        items.clear();
        PlatformTest::TearDown();
    }

    CSequence &NewItem(const QString &name, std::vector<CSequenceStep> steps)
    {
        items.push_back(std::make_unique<CSequence>(&owner));
        items.back()->SetName(name);
        items.back()->SetSteps(std::move(steps));
        return *items.back();
    }

    CSequenceEditor &Open(CSequence &item)
    {
        auto *editor = static_cast<CSequenceEditor *>(item.OpenEditor());
        editor->resize(960, 440);
        QCoreApplication::processEvents();
        return *editor;
    }

    static QRect CellRect(CSequenceEditor &e, int row, int column)
    {
        CStepListCtrl *list = e.StepView()->List();
        return list->visualRect(list->model()->index(row, column));
    }

    static void ClickCell(CSequenceEditor &e, int row, int column, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QTest::mouseClick(e.StepView()->List()->viewport(), Qt::LeftButton, keys, CellRect(e, row, column).center());
    }

    // A double-click on the item of the shown picker that reads text.
    static void Pick(CSequenceEditor &e, const QString &text)
    {
        QListWidget *picker = e.ListView()->Picker(e.ListView()->ShownColumn());
        ASSERT_TRUE(picker);
        const QList<QListWidgetItem *> found = picker->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        picker->scrollToItem(found.first());
        const QPoint at = picker->visualItemRect(found.first()).center();
        QTest::mouseClick(picker->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(picker->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    static std::pair<int, int> Cell(CSequenceEditor &e)
    {
        return {e.StepView()->CurrentRow(), e.StepView()->CurrentColumn()};
    }

    static bool Enabled(CSequenceEditor &e, int id)
    {
        e.Router().Update();
        return e.Router().Action(id)->isEnabled();
    }

    static QStringList ImageColumn(CSequenceEditor &e)
    {
        QStringList names;
        for (int row = 0; row < e.StepView()->RowCount(); ++row)
            names << e.StepView()->CellText(row, kImage);
        return names;
    }

    ItemOwner owner;
    std::vector<std::unique_ptr<CSequence>> items;
};

TEST_F(SequenceEditorTest, OpensOnTheStepsWithNoSelection)
{
    CSequence &empty = NewItem(QStringLiteral("Empty"), {});
    CSequenceEditor &none = Open(empty);
    EXPECT_TRUE(none.ListView()->NoSelection()->isVisible());
    EXPECT_EQ(none.ListView()->ShownColumn(), 0);
    EXPECT_EQ(none.windowTitle(), QStringLiteral("\"Empty\"  <no associated file>"));

    CSequenceStep set = Named("DMT1075", "Ramp");
    set.SetGateMask(6);
    set.output = 0;
    set.imageVersion = 9;
    set.syncType = 3;
    set.duration = 19;
    CSequenceEditor &editor = Open(NewItem(QStringLiteral("Demo"), {set, CSequenceStep()}));
    const QStringList first = {"   1", "DMT1075", "Ramp", " R G -", "Outputs Off", "Version 9", "DCS,DSS", "1.5 min"};
    const QStringList second = {"   2", "No Change", "No Change", "No Change", "No Change", "No Change", "No Change",
                                "No Change"};
    for (int column = 0; column < kCount; ++column) {
        EXPECT_EQ(editor.StepView()->CellText(0, column), first[column]) << column;
        EXPECT_EQ(editor.StepView()->CellText(1, column), second[column]) << column;
    }
    // "<Virtual Gen>": the built-in names after "No Change".
    EXPECT_EQ(editor.DialogBar()->Combo()->itemText(0), QStringLiteral("<Virtual Gen>"));
    EXPECT_EQ(editor.ListView()->Picker(kFormat)->count(), 1 + 104);
    EXPECT_EQ(editor.ListView()->Picker(kImage)->count(), 1 + 131);
    EXPECT_EQ(editor.ListView()->Picker(kVersion)->count(), 1 + 255);
    EXPECT_EQ(editor.ListView()->Picker(kDuration)->count(), 1 + 34);
}

TEST_F(SequenceEditorTest, AClickShowsTheCellsPickerWithItsValue)
{
    CSequenceStep step = Named("VGA_m4", "");
    step.duration = 5;
    CSequenceEditor &editor = Open(NewItem(QStringLiteral("S"), {step, step}));
    ClickCell(editor, 1, kDuration);
    EXPECT_EQ(Cell(editor), std::make_pair(1, int(kDuration)));
    QListWidget *picker = editor.ListView()->Picker(kDuration);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_FALSE(editor.ListView()->NoSelection()->isVisible());
    ASSERT_EQ(picker->selectedItems().size(), 1);
    EXPECT_EQ(picker->selectedItems().first()->text(), QStringLiteral("1.0 sec"));
    // Column 0 counts as the first field.
    ClickCell(editor, 0, kStep);
    EXPECT_EQ(Cell(editor), std::make_pair(0, int(kFormat)));
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(editor.ListView()->Picker(kFormat)->selectedItems().first()->text(), QStringLiteral("VGA_m4"));
    // The keys move the cell within the table.
    QTest::keyClick(editor.StepView()->List(), Qt::Key_Left);
    EXPECT_EQ(Cell(editor), std::make_pair(0, int(kFormat)));
    QTest::keyClick(editor.StepView()->List(), Qt::Key_Down);
    QTest::keyClick(editor.StepView()->List(), Qt::Key_Down);
    QTest::keyClick(editor.StepView()->List(), Qt::Key_Right);
    EXPECT_EQ(Cell(editor), std::make_pair(1, int(kImage)));
}

TEST_F(SequenceEditorTest, APickSetsTheFieldAndAutoAdvancesAtTheEnds)
{
    struct Case {
        const char *what;
        int command;  // 0: neither advance
        int row, column;
        int nextRow, nextColumn;
    };
    const Case cases[] = {
        {"rows, last row", ID_AUTO_ADVANCE_ROWS, 2, kOutput, 0, kVersion},
        {"rows, last row of the last column", ID_AUTO_ADVANCE_ROWS, 2, kDuration, 0, kFormat},
        {"rows, inside", ID_AUTO_ADVANCE_ROWS, 0, kOutput, 1, kOutput},
        {"columns, last column", ID_AUTO_ADVANCE_COLUMNS, 1, kDuration, 2, kFormat},
        {"columns, last cell", ID_AUTO_ADVANCE_COLUMNS, 2, kDuration, 0, kFormat},
        {"columns, inside", ID_AUTO_ADVANCE_COLUMNS, 1, kOutput, 1, kVersion},
        {"neither", 0, 1, kOutput, 1, kOutput},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CSequence &item = NewItem(QStringLiteral("S"), {CSequenceStep(), CSequenceStep(), CSequenceStep()});
        CSequenceEditor &editor = Open(item);
        if (c.command) {
            ASSERT_TRUE(editor.Router().Execute(c.command));
        }
        ClickCell(editor, c.row, c.column);
        const QString value = c.column == kDuration ? QStringLiteral("5.0 sec") : QStringLiteral("Outputs On");
        Pick(editor, value);
        EXPECT_EQ(editor.StepView()->CellText(c.row, c.column), value);
        EXPECT_EQ(Cell(editor), std::make_pair(c.nextRow, c.nextColumn));
        EXPECT_TRUE(editor.IsModified());
        EXPECT_TRUE(editor.windowTitle().contains(QStringLiteral(" * ")));
        editor.SetModified(false); // closes without asking
        editor.close();
    }
}

TEST_F(SequenceEditorTest, TheAutoAdvanceCommandsExcludeEachOther)
{
    CSequenceEditor &editor = Open(NewItem(QStringLiteral("S"), {}));
    QAction *rows = editor.Router().Action(ID_AUTO_ADVANCE_ROWS);
    QAction *columns = editor.Router().Action(ID_AUTO_ADVANCE_COLUMNS);
    editor.Router().Execute(ID_AUTO_ADVANCE_ROWS);
    EXPECT_TRUE(rows->isChecked());
    editor.Router().Execute(ID_AUTO_ADVANCE_COLUMNS);
    EXPECT_TRUE(columns->isChecked());
    EXPECT_FALSE(rows->isChecked());
    EXPECT_TRUE(editor.Router().Action(ID_APPEND_STEPS)->isChecked());
    editor.Router().Execute(ID_INSERT_STEPS);
    EXPECT_FALSE(editor.Router().Action(ID_APPEND_STEPS)->isChecked());
    EXPECT_TRUE(editor.Router().Action(ID_INSERT_STEPS)->isChecked());
}

TEST_F(SequenceEditorTest, CommandsAreEnabledByTheCellAndTheSelection)
{
    CSequenceEditor &editor = Open(NewItem(QStringLiteral("S"), {Named("A", "B"), Named("C", "D")}));
    EXPECT_FALSE(Enabled(editor, ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(editor, ID_EDIT_ITEM_NAME)); // no current cell
    for (int column = kFirstField; column <= kLastField; ++column) {
        ClickCell(editor, 0, column);
        EXPECT_EQ(Enabled(editor, ID_EDIT_ITEM_NAME), IsNameColumn(column)) << column;
    }
    editor.StepView()->List()->clearSelection();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_DELETE})
        EXPECT_FALSE(Enabled(editor, id)) << id;
    EXPECT_FALSE(Enabled(editor, ID_EDIT_PASTE));
    ClickCell(editor, 1, kImage);
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_DELETE})
        EXPECT_TRUE(Enabled(editor, id)) << id;
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_COPY));
    EXPECT_TRUE(Enabled(editor, ID_EDIT_PASTE));
    EXPECT_FALSE(Enabled(editor, ID_FILE_SAVE));
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_PASTE));
    EXPECT_TRUE(Enabled(editor, ID_FILE_SAVE));
}

TEST_F(SequenceEditorTest, NewAndPastedStepsGoToTheEndOrBeforeTheCurrentRow)
{
    CSequenceEditor &editor = Open(NewItem(QStringLiteral("S"), {Named("", "A"), Named("", "B"), Named("", "C")}));
    ASSERT_TRUE(editor.Router().Execute(ID_NEW_STEP)); // append mode, at first
    EXPECT_EQ(ImageColumn(editor), (QStringList{"A", "B", "C", "No Change"}));
    ClickCell(editor, 1, kImage);
    ASSERT_TRUE(editor.Router().Execute(ID_INSERT_STEPS));
    ASSERT_TRUE(editor.Router().Execute(ID_NEW_STEP));
    EXPECT_EQ(ImageColumn(editor), (QStringList{"A", "No Change", "B", "C", "No Change"}));
    // Two pasted steps keep their order before the current row.
    SetStepClipboard({Named("", "X"), Named("", "Y")});
    ClickCell(editor, 3, kImage);
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_PASTE));
    EXPECT_EQ(ImageColumn(editor), (QStringList{"A", "No Change", "B", "X", "Y", "C", "No Change"}));
    for (int row = 0; row < editor.StepView()->RowCount(); ++row)
        EXPECT_EQ(editor.StepView()->CellText(row, kStep), QStringLiteral("   %1").arg(row + 1));
    // Cut takes the selected rows into the clipboard; a current row past the end becomes none.
    editor.StepView()->List()->clearSelection();
    ClickCell(editor, 6, kImage);
    ClickCell(editor, 5, kImage, Qt::ShiftModifier);
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_CUT));
    EXPECT_EQ(ImageColumn(editor), (QStringList{"A", "No Change", "B", "X", "Y"}));
    EXPECT_EQ(StepClipboard().size(), 2u);
    EXPECT_EQ(editor.StepView()->CurrentRow(), -1);
    EXPECT_TRUE(editor.ListView()->NoSelection()->isVisible());
}

// Steps put amid the table move the rows after them whole: order, numbers
// and the selection of the moved rows stay; the new rows are not selected.
// Removed rows renumber those after them.
TEST_F(SequenceEditorTest, RowsAmidTheTableKeepTheirSelectionAndNumbers)
{
    CSequenceEditor &editor = Open(NewItem(
        QStringLiteral("S"), {Named("", "A"), Named("", "B"), Named("", "C"), Named("", "D"), Named("", "E")}));
    CSequenceStepView &view = *editor.StepView();
    const auto numbered = [&view] {
        for (int row = 0; row < view.RowCount(); ++row)
            EXPECT_EQ(view.CellText(row, kStep), QStringLiteral("   %1").arg(row + 1)) << row;
    };
    view.List()->clearSelection();
    for (int row : {0, 2, 4})
        view.List()->topLevelItem(row)->setSelected(true);
    view.InsertStepsAt({Named("", "X"), Named("", "Y")}, 1);
    EXPECT_EQ(ImageColumn(editor), (QStringList{"A", "X", "Y", "B", "C", "D", "E"}));
    EXPECT_EQ(view.SelectedRows(), (QList<int>{0, 4, 6}));
    numbered();

    view.InsertStepsAt({Named("", "Z")}, -1);
    EXPECT_EQ(ImageColumn(editor), (QStringList{"A", "X", "Y", "B", "C", "D", "E", "Z"}));
    EXPECT_EQ(view.SelectedRows(), (QList<int>{0, 4, 6}));
    numbered();

    view.RemoveSelectedRows();
    EXPECT_EQ(ImageColumn(editor), (QStringList{"X", "Y", "B", "D", "Z"}));
    EXPECT_TRUE(view.SelectedRows().isEmpty());
    numbered();
}

TEST_F(SequenceEditorTest, TheNameDialogSetsAFormatOrImageName)
{
    CSequenceEditor &editor = Open(NewItem(QStringLiteral("S"), {Named("VGA_m4", "")}));
    prompter.ExpectDialog(PromptMatch::Caption(ControlName(IDD_NAME)), [](QDialog &d) {
        FindControl<CNameEdit>(&d, IDC_NAME)->setText(QStringLiteral("MyFmt"));
        d.accept();
    });
    ClickCell(editor, 0, kFormat);
    QTest::mouseDClick(editor.StepView()->List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       CellRect(editor, 0, kFormat).center());
    EXPECT_EQ(editor.StepView()->StepAt(0).formatName, QStringLiteral("MyFmt"));
    EXPECT_EQ(editor.StepView()->CellText(0, kFormat), QStringLiteral("MyFmt"));
    EXPECT_TRUE(editor.IsModified());
    // A cancelled dialog changes nothing.
    prompter.ExpectDialog(PromptMatch::Caption(ControlName(IDD_NAME)), [](QDialog &d) { d.reject(); });
    ClickCell(editor, 0, kImage);
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_ITEM_NAME));
    EXPECT_EQ(editor.StepView()->CellText(0, kImage), QStringLiteral("No Change"));
}

TEST_F(SequenceEditorTest, StoringWritesTheEditorsStepsBackFirst)
{
    CSequence &item = NewItem(QStringLiteral("S"), {Named("", "A")});
    CSequenceEditor &editor = Open(item);
    ASSERT_TRUE(editor.Router().Execute(ID_NEW_STEP));
    EXPECT_TRUE(item.IsModified());
    EXPECT_EQ(item.Steps().size(), 1u);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::store);
        item.StoreObject(ar, false);
        ar.Flush();
    }
    EXPECT_EQ(item.Steps().size(), 2u);
    EXPECT_FALSE(editor.IsModified());
    EXPECT_FALSE(item.IsModified());
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("\"S\"  <no associated file>"));
}

TEST_F(SequenceEditorTest, ClosingAModifiedEditorAsksToSave)
{
    CSequence &item = NewItem(QStringLiteral("S"), {});
    QPointer<CSequenceEditor> editor = &Open(item);
    editor->Router().Execute(ID_NEW_STEP);
    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDCANCEL);
    EXPECT_FALSE(editor->close());
    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDNO);
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    QCoreApplication::processEvents();
    EXPECT_EQ(std::count(owner.messages.begin(), owner.messages.end(), WM_EDITOR_CLOSED), 1);
    EXPECT_TRUE(item.Steps().empty()); // No: the edits are dropped
}

TEST_F(SequenceEditorTest, ASavedSizeAbove20IsTakenAndTheSizeIsKept)
{
    struct Case {
        int width; // "Sequence W" before opening; -1 none
        bool taken;
    };
    for (const Case &c : {Case{-1, false}, Case{20, false}, Case{21, true}, Case{700, true}}) {
        SCOPED_TRACE(c.width);
        WriteProfileInt("Window", "Sequence W", c.width);
        WriteProfileInt("Window", "Sequence H", 333);
        WriteProfileInt("Window", "Sequence SP", 180);
        CSequence &item = NewItem(QStringLiteral("S"), {});
        auto *editor = static_cast<CSequenceEditor *>(item.OpenEditor());
        EXPECT_EQ(editor->height() == 333, c.taken);
        if (c.width > 400) { // a smaller one gives way to the bars' own width
            EXPECT_EQ(editor->width(), c.width);
        }
        editor->resize(640, 300);
        QCoreApplication::processEvents();
        const int split = editor->Splitter()->sizes().value(0);
        editor->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(GetProfileInt("Window", "Sequence W", 0), 640);
        EXPECT_EQ(GetProfileInt("Window", "Sequence H", 0), 300);
        EXPECT_EQ(GetProfileInt("Window", "Sequence SP", 0), split);
    }
}

// --- Drops -------------------------------------------------------------------------------

class StepDropTest : public SequenceEditorTest {
protected:
    // Drags the selected rows of source onto row `row` of target (or below its rows).
    Qt::DropAction DragRows(CSequenceEditor &source, CSequenceEditor &target, int row, Qt::KeyboardModifiers keys,
                            std::function<void(QMimeData &)> tamper = {})
    {
        Qt::DropAction result = Qt::IgnoreAction;
        g_dragHook = [&](QDrag &drag) {
            QWidget *viewport = target.StepView()->List()->viewport();
            const QPoint at = row < 0 ? QPoint(5, viewport->height() - 10) : CellRect(target, row, kImage).center();
            if (tamper)
                tamper(*drag.mimeData());
            result = DeliverDragPass(*viewport, drag.mimeData(), {at, Qt::CopyAction | Qt::MoveAction, keys});
            return result;
        };
        source.StepView()->OnBeginDrag();
        g_dragHook = nullptr;
        return result;
    }

    static void SelectRows(CSequenceEditor &e, std::initializer_list<int> rows)
    {
        e.StepView()->List()->clearSelection();
        for (int row : rows)
            e.StepView()->List()->topLevelItem(row)->setSelected(true);
    }
};

TEST_F(StepDropTest, ThreeRowsMoveWithoutCtrlAndCopyWithIt)
{
    CSequenceEditor &source =
        Open(NewItem(QStringLiteral("Src"), {Named("", "A"), Named("", "B"), Named("", "C"), Named("", "D")}));
    CSequenceEditor &target = Open(NewItem(QStringLiteral("Dst"), {Named("", "X"), Named("", "Y")}));
    SelectRows(source, {0, 2, 3});
    EXPECT_EQ(DragRows(source, target, 1, Qt::NoModifier), Qt::MoveAction);
    EXPECT_EQ(ImageColumn(target), (QStringList{"X", "A", "C", "D", "Y"}));
    EXPECT_EQ(ImageColumn(source), (QStringList{"B"}));
    EXPECT_TRUE(source.IsModified());
    EXPECT_TRUE(target.IsModified());
    // With Ctrl, below the rows: appended, and the source keeps its row.
    SelectRows(source, {0});
    EXPECT_EQ(DragRows(source, target, -1, Qt::ControlModifier), Qt::CopyAction);
    EXPECT_EQ(ImageColumn(target), (QStringList{"X", "A", "C", "D", "Y", "B"}));
    EXPECT_EQ(ImageColumn(source), (QStringList{"B"}));
}

TEST_F(StepDropTest, ABlockWithAnythingWrongIsRefusedWholeAndTheSourceKeepsItsRows)
{
    CSequenceStep bad = Named("", "Z");
    CSequenceStep::TransferRecord badRecord{};
    bad.PackTransferRecord(badRecord);
    qToLittleEndian<qint32>(256, badRecord.data() + 34); // image version 256
    struct Case {
        const char *what;
        std::function<void(QByteArray &)> change;
    };
    const Case cases[] = {
        {"a wrong magic", [](QByteArray &b) { b[0] = 0x02; }},
        {"a count of 50001", [](QByteArray &b) { qToLittleEndian<quint32>(50001, b.data() + 4); }},
        {"a short payload", [](QByteArray &b) { b.chop(1); }},
        {"a bad record between good ones",
         [&](QByteArray &b) { std::copy(badRecord.begin(), badRecord.end(), b.data() + 8 + 46); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CSequenceEditor &source = Open(NewItem(QStringLiteral("Src"), {Named("", "A"), Named("", "B"), Named("", "C")}));
        CSequenceEditor &target = Open(NewItem(QStringLiteral("Dst"), {Named("", "X")}));
        SelectRows(source, {0, 1, 2});
        const Qt::DropAction action = DragRows(source, target, 0, Qt::NoModifier, [&](QMimeData &data) {
            QByteArray block = data.data(StepTransferBlock::MimeType());
            c.change(block);
            data.setData(StepTransferBlock::MimeType(), block);
        });
        EXPECT_EQ(action, Qt::IgnoreAction);
        EXPECT_EQ(ImageColumn(target), (QStringList{"X"}));
        EXPECT_EQ(ImageColumn(source), (QStringList{"A", "B", "C"}));
        EXPECT_FALSE(target.IsModified());
        EXPECT_FALSE(target.StepView()->DropTarget()->LastError().isEmpty());
        source.close();
        target.close();
    }
}

TEST_F(StepDropTest, OtherDataIsNotTaken)
{
    CSequenceEditor &target = Open(NewItem(QStringLiteral("Dst"), {Named("", "X")}));
    QMimeData text;
    text.setText(QStringLiteral("STEP 1"));
    bool entered = true;
    EXPECT_EQ(DeliverDrag(*target.StepView()->List()->viewport(), &text, true, &entered), Qt::IgnoreAction);
    EXPECT_FALSE(entered);
    EXPECT_EQ(ImageColumn(target), (QStringList{"X"}));
}

TEST_F(SequenceEditorTest, ScreenshotOfTheEditor)
{
    CSequenceStep set = Named("DMT1075", "SMPTEbar");
    set.SetGateMask(7);
    set.output = 1;
    set.syncType = 7;
    set.duration = 9;
    CSequenceEditor &editor =
        Open(NewItem(QStringLiteral("Demo"), {Named("DMT8075", "ColorBar"), set, Named("", "Ramp")}));
    editor.show();
    ClickCell(editor, 1, kImage);
    QCoreApplication::processEvents();
    SaveScreenshot(editor, QStringLiteral("sequence_editor"));
    EXPECT_TRUE(editor.ListView()->Picker(kImage)->isVisible());
}

} // namespace
