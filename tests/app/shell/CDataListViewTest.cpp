#include "CDataListView.h"
#include "CGenerator.h"
#include "CSelectDataTypeDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragLoop.h"
#include "FakePort.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>

namespace {

class DataListTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        MakeWindow();
    }
};

TEST_F(DataListTest, NewItemThroughTheTypeDialogIsSelectedAndMarkedModified)
{
    List().NewItem(kIconKnobList);
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
        auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
        // The registered kinds in the dialog's order: Format before Knob List.
        ASSERT_EQ(select.m_list->count(), 2);
        EXPECT_EQ(select.m_list->item(0)->text(), "Format");
        EXPECT_EQ(select.m_list->item(1)->text(), "Knob List");
        select.m_list->setCurrentRow(0);
        FindControl<QPushButton>(&select, IDOK)->click();
    });
    List().OnFileNew();
    ASSERT_EQ(List().GetRowCount(), 2);
    EXPECT_EQ(List().GetRowText(1, 0), "Format");
    EXPECT_EQ(List().GetRowText(1, 1), "<no associated file>");
    EXPECT_EQ(List().GetRowIcon(1), kIconFormat);
    EXPECT_EQ(List().GetRowMark(1), kMarkModified);
    EXPECT_TRUE(List().GetRowItem(1)->IsModified());
    EXPECT_EQ(List().GetRowItem(1)->GetOwner(), window.get());
    EXPECT_TRUE(List().IsRowSelected(1));
    EXPECT_TRUE(List().IsRowSelected(0)) << "other rows keep their selection";
}

TEST_F(DataListTest, CancelledTypeDialogAndUnknownKindCreateNothing)
{
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) { dialog.reject(); });
    List().OnFileNew();
    EXPECT_EQ(List().NewItem(kIconImage), nullptr) << "a kind the program is built without";
    EXPECT_EQ(List().NewItem(99), nullptr);
    EXPECT_EQ(List().GetRowCount(), 0);
}

TEST_F(DataListTest, DeleteAsksWithTheCountAndYesDeletes)
{
    List().NewItem(kIconFormat)->SetModified(false);
    List().NewItem(kIconFormat)->SetModified(false);
    List().NewItem(kIconFormat)->SetModified(false);
    List().SelectRow(1, false);
    prompter.ExpectMessage(PromptMatch::Text("Delete the 2 selected data item(s)?").AndCaption("Delete Data"), IDNO,
                           MB_YESNO | MB_ICONQUESTION);
    List().DeleteSelected(true);
    EXPECT_EQ(List().GetRowCount(), 3);
    prompter.ExpectMessage(PromptMatch::Id(33100), IDYES);
    List().DeleteSelected(true);
    ASSERT_EQ(List().GetRowCount(), 1);
    EXPECT_EQ(CTestItem::s_alive, 1);
    List().SelectRow(0, false);
    List().DeleteSelected(true); // nothing selected: no question
}

TEST_F(DataListTest, CancelWhileDeletingModifiedItemsKeepsTheRestRows)
{
    for (const char *name : {"A", "B", "C"})
        List().NewItem(kIconFormat)->SetName(name);
    prompter.ExpectMessage(PromptMatch::Id(33100), IDYES);
    prompter.ExpectMessage(PromptMatch::Contains("A"), IDNO);     // discard A
    prompter.ExpectMessage(PromptMatch::Contains("B"), IDCANCEL); // keep B and C
    List().DeleteSelected(true);
    ASSERT_EQ(List().GetRowCount(), 2);
    EXPECT_EQ(List().GetRowItem(0)->GetName(), "B");
    EXPECT_EQ(List().GetRowItem(1)->GetName(), "C");
}

TEST_F(DataListTest, EditSelectedOpensEveryEditorAndMarksTheRows)
{
    for (int i = 0; i < 4; ++i)
        List().NewItem(kIconFormat);
    List().SelectRow(2, false);
    List().EditSelected();
    const int expected[] = {kMarkEditorOpen, kMarkEditorOpen, kMarkModified, kMarkEditorOpen};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(List().GetRowMark(row), expected[row]) << row;
        EXPECT_EQ(List().GetRowItem(row)->IsEditorOpen(), row != 2) << row;
    }
    EXPECT_TRUE(List().GetRowItem(0)->GetEditor()->isVisible());
}

TEST_F(DataListTest, EditOfAKindWithoutAnEditorSaysSoAndMarksNothing)
{
    DataKinds::Register(MakeDataKind<CGenData>(kIconSequence, CGenData::kSequence, 32992));
    CGenData *item = List().NewItem(kIconSequence);
    item->SetName("NoEdit");
    prompter.ExpectMessage(
        PromptMatch::Text("\"NoEdit\" cannot be edited: this program has no editor for its kind.").AndCaption("Edit"),
        IDOK);
    List().EditSelected();
    DataKinds::Unregister(kIconSequence);
    EXPECT_EQ(List().GetRowMark(0), kMarkModified);
}

TEST_F(DataListTest, RefreshKeepsTheModifiedMarkUntilSavedOrClosed)
{
    CGenData *item = List().NewItem(kIconFormat);
    item->SetModified(false);
    List().RefreshItem(item);
    EXPECT_EQ(List().GetRowMark(0), kMarkModified);
    item->SetFilePath("/data/x.fmt");
    item->SetName("X");
    List().RefreshItem(item);
    EXPECT_EQ(List().GetRowText(0, 0), "X");
    EXPECT_EQ(List().GetRowText(0, 1), "/data/x.fmt");
}

TEST_F(DataListTest, LabelEditOpensTheNameDialogInstead)
{
    List().NewItem(kIconFormat);
    QTreeWidget *list = List().List();
    prompter.ExpectDialog(PromptMatch::Caption("Name..."), [](QDialog &dialog) { dialog.reject(); });
    list->editItem(list->topLevelItem(0), 0);
    EXPECT_EQ(List().GetRowText(0, 0), "Format");
    EXPECT_EQ(list->findChildren<QLineEdit *>().size(), 0) << "no in-place editor";
}

TEST_F(DataListTest, AClickOnASelectedRowRenamesItUnlessASecondMakesItADoubleClick)
{
    window->show();
    CGenData *item = List().NewItem(kIconFormat); // selected
    QTreeWidget *list = List().List();
    const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
    QTest::qWait(QApplication::doubleClickInterval() * 2);
    EXPECT_TRUE(item->IsEditorOpen()) << "a double click edits";
    EXPECT_TRUE(prompter.Records().empty()) << "and renames nothing";

    prompter.ExpectDialog(PromptMatch::Caption("Name..."), [](QDialog &dialog) { dialog.reject(); });
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
    EXPECT_TRUE(QTest::qWaitFor([this] { return prompter.Pending() == 0; }, 5000)) << "a single click renames";
}

// A click on a selected row renames it only once the double-click time has
// passed without a second click.
TEST_F(DataListTest, ADoubleClickEditsAndSlowClicksRename)
{
    const struct {
        const char *name;
        bool doubleClick;
        int renames;
        bool edited;
    } cases[] = {
        {"double-click", true, 0, true},
        {"two slow clicks", false, 2, false},
    };
    window->show();
    for (const auto &c : cases) {
        CGenData *item = List().NewItem(kIconFormat); // selected
        QTreeWidget *list = List().List();
        const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
        int renames = 0;
        for (int i = 0; i < c.renames; ++i) {
            prompter.ExpectDialog(PromptMatch::Caption("Name..."), [&renames](QDialog &dialog) {
                ++renames;
                dialog.reject();
            });
        }
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
        if (c.doubleClick) {
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&renames] { return renames == 1; }, 5000)) << c.name;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row);
            EXPECT_TRUE(QTest::qWaitFor([&renames] { return renames == 2; }, 5000)) << c.name;
        }
        // Past the double-click time, no rename comes late.
        QTest::qWait(QApplication::doubleClickInterval() * 2);
        EXPECT_EQ(renames, c.renames) << c.name;
        EXPECT_EQ(item->IsEditorOpen(), c.edited) << c.name;
        EXPECT_EQ(List().GetRowMark(0), c.edited ? kMarkEditorOpen : kMarkModified) << c.name;
        List().DeleteAll();
    }
}

TEST_F(DataListTest, TheDeleteKeyRunsEditDelete)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    List().NewItem(kIconFormat)->SetModified(false);
    List().List()->setFocus();
    prompter.ExpectMessage(PromptMatch::Id(33100).AndCaption("Delete Data"), IDYES);
    QTest::keyClick(List().List(), Qt::Key_Delete);
    prompter.VerifyAllUsed();
    EXPECT_EQ(List().GetRowCount(), 0);
}

TEST_F(DataListTest, SendSelectedGoesInRowOrderAndAddsNamesToTheirOwnDirectories)
{
    FakePort generator;
    generator.fallback = {"0", 0}; // the generator has no such directory
    TestGeneratorView *view = AddGenerator(0x00020001, "G", "Com-1");
    for (const char *name : {"F1", "K1", "F2", "K2"}) {
        CGenData *item = List().NewItem(QByteArray(name).startsWith('K') ? kIconKnobList : kIconFormat);
        item->SetName(name);
        item->SetModified(false);
    }
    List().SelectRow(1, false);
    prompter.ExpectMessage(PromptMatch::Text("Update knoblist failed."), IDOK, MB_OK);
    EXPECT_TRUE(List().SendSelectedTo(view, true, nullptr)) << "a failed directory update keeps the send";
    EXPECT_EQ(view->sent, (QStringList{"F1", "F2", "K2"}));
    EXPECT_EQ(g_pCurrentGenerator, view->GetGenerator());
    // The formats' names go to the format directory although a knob list came last.
    // (The view may have asked for the generator's identity first.)
    const auto directory = std::find_if(generator.commands.begin(), generator.commands.end(),
                                        [](const std::string &command) { return command.rfind("DIRL?", 0) == 0; });
    ASSERT_NE(directory, generator.commands.end());
    EXPECT_NE(directory->find("fmt"), std::string::npos) << *directory;
}

TEST_F(DataListTest, SendStopsAtARefusedItemOrACancelledSave)
{
    QuietPort quiet;
    TestGeneratorView *view = AddGenerator(0x00020001, "G", "Com-1");
    for (const char *name : {"A", "B", "C"})
        List().NewItem(kIconKnobList)->SetName(name);
    view->refuse = "B";
    List().GetRowItem(0)->SetModified(false);
    List().GetRowItem(1)->SetModified(false);
    EXPECT_FALSE(List().SendSelectedTo(view, false, nullptr));
    EXPECT_EQ(view->sent, QStringList{"A"});

    view->sent.clear();
    view->refuse.clear();
    prompter.ExpectMessage(PromptMatch::Contains("C"), IDCANCEL);
    EXPECT_FALSE(List().SendSelectedTo(view, true, nullptr));
    EXPECT_EQ(view->sent, (QStringList{"A", "B"}));
}

TEST_F(DataListTest, DragMarksTheListAsDraggingOnlyWhileItRuns)
{
    List().NewItem(kIconFormat);
    int seen = -1;
    g_dragHook = [&](QDrag &) {
        seen = List().IsDragging();
        EXPECT_EQ(window->GetDraggingDataList(), &List());
        return Qt::IgnoreAction;
    };
    List().OnBeginDrag();
    g_dragHook = nullptr;
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(List().IsDragging(), 0);
    EXPECT_EQ(window->GetDraggingDataList(), nullptr);
}

TEST_F(DataListTest, ClickRecomputesTheMainWindowsCommands)
{
    List().NewItem(kIconFormat);
    List().DeselectAll();
    window->UpdateControls();
    EXPECT_FALSE(window->Router().Action(ID_FILE_SAVE)->isEnabled());
    List().SelectRow(0, true); // as the keyboard would: nothing recomputed yet
    EXPECT_FALSE(window->Router().Action(ID_FILE_SAVE)->isEnabled());
    QTreeWidget *list = List().List();
    list->show();
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &release);
    EXPECT_TRUE(window->Router().Action(ID_FILE_SAVE)->isEnabled());
}

} // namespace
