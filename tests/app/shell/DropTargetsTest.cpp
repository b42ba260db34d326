// Drags between the data list and the generator panes, delivered by the
// drag hook from inside the drag: which target takes which drag, and what
// its drop calls. The transfers themselves run against the simulator in
// DataPaneTransfersSimTest.

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorPaneDropTarget.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "GeneratorItemDragBlock.h"
#include "GeneratorViewRegistry.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include <QListWidget>
#include <QMimeData>
#include <QTreeWidget>

namespace {

class DropTargetsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        MakeWindow();
        a = AddGenerator(0x00020001, "VG-7000", "Com-1");
        b = AddGenerator(0x00020002, "VG-7000", "Com-2");
        for (TestGeneratorView *view : {a, b})
            ASSERT_TRUE(view->CreateFrame());
    }

    void TearDown() override
    {
        g_dragHook = nullptr;
        ShellTest::TearDown();
    }

    // Rows in list of view's pane, all selected, and that list shown.
    static void SelectRows(TestGeneratorView *view, int list, int kind, const QStringList &names)
    {
        CGeneratorDataPane *pane = view->DataPane();
        for (const QString &name : names)
            pane->AddItem(name, list, kind, 0);
        pane->ShowList(list);
        pane->SelectAll();
        pane->UpdateSelectionState();
    }

    // Drags from the data list (or from pane, when given) onto target; what
    // the drop did, and whether the target took the drag on entry.
    struct Outcome {
        Qt::DropAction action = Qt::IgnoreAction;
        bool entered = false;
    };
    Outcome Drag(QWidget &target, CGeneratorDataPane *pane = nullptr)
    {
        Outcome outcome;
        bool hooked = false;
        g_dragHook = [&](QDrag &drag) {
            hooked = true;
            outcome.action = DeliverDrag(target, drag, true, &outcome.entered);
            return outcome.action;
        };
        if (pane)
            pane->OnBeginDrag();
        else
            List().OnBeginDrag();
        g_dragHook = nullptr;
        EXPECT_TRUE(hooked) << "the drag ran";
        return outcome;
    }

    QWidget &ListTarget() { return *List().List()->viewport(); }

    TestGeneratorView *a = nullptr;
    TestGeneratorView *b = nullptr;
};

TEST_F(DropTargetsTest, DataListRowsOnTheDataListAreRefused)
{
    List().NewItem(kIconFormat)->SetName("F1");
    const Outcome outcome = Drag(ListTarget());
    EXPECT_FALSE(outcome.entered);
    EXPECT_EQ(outcome.action, Qt::IgnoreAction);
    EXPECT_EQ(List().GetRowCount(), 1);
}

TEST_F(DropTargetsTest, DataListRowsOnAPaneAreSentWithoutTheOfferToSave)
{
    for (const char *name : {"F1", "F2"})
        List().NewItem(kIconFormat)->SetName(QString::fromLatin1(name)); // new items are modified
    List().NewItem(kIconFormat)->SetName("Other");
    List().SelectRow(2, false);

    const Outcome outcome = Drag(*b->DataPane());
    EXPECT_TRUE(outcome.entered);
    EXPECT_EQ(outcome.action, Qt::CopyAction);
    EXPECT_EQ(b->sent, (QStringList{"F1", "F2"}));
    EXPECT_TRUE(a->sent.isEmpty());
    EXPECT_TRUE(prompter.Messages().empty()) << "no question about saving";
}

TEST_F(DropTargetsTest, ABusyPaneTakesNoDrag)
{
    List().NewItem(kIconFormat)->SetName("F1");
    b->SetBusy(true);
    EXPECT_FALSE(Drag(*b->DataPane()).entered);
    EXPECT_TRUE(b->sent.isEmpty());
}

TEST_F(DropTargetsTest, PaneRowsOnTheDataListAreRecalledByThePane)
{
    SelectRows(a, CGeneratorDataPane::kSequences, CGeneratorDataPane::kKindSequence, {"Seq1"});
    g_dragHook = [&](QDrag &drag) {
        EXPECT_EQ(g_pDragSourceView, a);
        EXPECT_TRUE(a->DataPane()->IsDragging());
        EXPECT_EQ(window->FindDraggingDataPane(), a->DataPane());
        return DeliverDrag(ListTarget(), drag);
    };
    // The drop asks the pane to recall its selection: its question shows it.
    prompter.ExpectMessage(PromptMatch::Text("Recall the Sequence \"Seq1\"?"), IDNO);
    a->DataPane()->OnBeginDrag();
    g_dragHook = nullptr;
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(g_pDragSourceView, nullptr) << "set only while the drag runs";
    EXPECT_FALSE(a->DataPane()->IsDragging());
    EXPECT_EQ(List().GetRowCount(), 0);
}

TEST_F(DropTargetsTest, PaneRowsOnAnotherPaneCarryTheirNamesAndListInTheBlock)
{
    SelectRows(a, CGeneratorDataPane::kFormats, CGeneratorDataPane::kKindFormat, {"RED", "GREEN"});
    QStringList shown;
    QByteArray kinds;
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [&](QDialog &d) {
        QTreeWidget *items = static_cast<CDataTransferDlg &>(d).ItemList();
        for (int row = 0; row < items->topLevelItemCount(); ++row)
            shown.append(items->topLevelItem(row)->text(0));
        d.reject(); // nothing is copied
    });
    const Outcome outcome = Drag(*b->DataPane(), a->DataPane());
    EXPECT_TRUE(outcome.entered);
    EXPECT_EQ(outcome.action, Qt::IgnoreAction) << "the copy was not confirmed";
    EXPECT_EQ(shown, (QStringList{"GREEN", "RED"})) << "the pane's sorted order";
}

TEST_F(DropTargetsTest, ABlockIsRefusedByItsOwnPaneAndWithoutASourcePane)
{
    SelectRows(a, CGeneratorDataPane::kFormats, CGeneratorDataPane::kKindFormat, {"RED"});
    EXPECT_FALSE(Drag(*a->DataPane(), a->DataPane()).entered) << "a pane never takes its own rows";

    // The same bytes from outside a pane's drag (another program's drop).
    QMimeData data;
    data.setData(GeneratorItemDragBlock::MimeType(), GeneratorItemDragBlock::Build({{1, "RED"}}));
    bool entered = true;
    EXPECT_EQ(DeliverDrag(*b->DataPane(), &data, true, &entered), Qt::IgnoreAction);
    EXPECT_FALSE(entered);
}

} // namespace
