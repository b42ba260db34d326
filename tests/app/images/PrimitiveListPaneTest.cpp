// The primitive list pane: its editing operations as sequences on a small
// image, checked for the tree's order, the marks, the clipboard, the undo
// offered and the boxes shown; two panes sharing the clipboard; and a seeded
// random sequence checking that every primitive stands in exactly one place.

#include "CCanvas.h"
#include "CLine.h"
#include "CPrimitiveHandle.h"
#include "CPrimitiveListPane.h"
#include "CPropertiesDlg.h"
#include "CRectangle.h"
#include "ListPaneDoubles.h"
#include "PrimitiveClipboard.h"
#include "PrimitiveTypes.h"
#include "TestSupport.h"
#include "imeUndo.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QLabel>
#include <QRect>
#include <QStatusBar>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>

#include <random>
#include <set>

namespace {

using namespace listpanetest;

// Rectangles are named by their left edge: A at 0, B at 10, ... A
// rectangle made by the insert command (at 256) is N, a line L.
QString NameOf(const CPrimitive *primitive)
{
    if (primitive->IsGroup())
        return QStringLiteral("G");
    if (dynamic_cast<const CLine *>(primitive))
        return QStringLiteral("L");
    const auto *box = dynamic_cast<const CRectangle *>(primitive);
    if (!box)
        return QStringLiteral("?");
    const int x = box->TopLeft().x();
    return x == 256 ? QStringLiteral("N") : QString(QChar(u'A' + x / 10));
}

struct PaneFixture {
    PaneFixture()
    {
        canvas.SetLimits(639, 479);
        canvas.resize(640, 480);
        canvas.SetListPane(&pane);
        pane.SetCanvas(&canvas);
        pane.SetEditor(&editor);
        pane.SetStatusBar(&status);
        pane.resize(150, 300);
    }
    ~PaneFixture() { canvas.SetListPane(nullptr); }

    // Count rectangles A, B, ... at the end of the tree.
    void Fill(int count)
    {
        PrimitiveArray array;
        for (int i = 0; i < count; ++i)
            array.push_back(std::make_unique<CRectangle>(10 * i, 10 * i, 10 * i + 5, 10 * i + 5));
        pane.InsertCopies(array);
    }

    QString Describe(TreeItemId id) const
    {
        const CPrimitive *primitive = pane.PrimitiveOf(id);
        QString text = NameOf(primitive);
        if (primitive->IsLocked())
            text += u'*';
        const std::vector<TreeItemId> children = pane.Children(id);
        if (!children.empty()) {
            QStringList members;
            for (TreeItemId child : children)
                members << Describe(child);
            text += u'(' + members.join(u' ') + u')';
        }
        return text;
    }

    // The canvas and the pane on screen, for tests that click or drag on them.
    void Show()
    {
        canvas.show();
        pane.show();
        QCoreApplication::processEvents();
    }

    // "A B G(C* D*)": the tree, members frozen (*).
    QString TreeText() const
    {
        QStringList items;
        for (TreeItemId id : pane.Children())
            items << Describe(id);
        return items.join(u' ');
    }

    QString Marks() const
    {
        QStringList marked;
        for (TreeItemId id : pane.Children()) {
            if (pane.PrimitiveOf(id)->IsMarked())
                marked << NameOf(pane.PrimitiveOf(id));
        }
        return marked.join(u' ');
    }

    // The top-level item named name (the first of that name); "G.0" is
    // the first member of the first group.
    TreeItemId Item(const QString &name) const
    {
        if (name.contains(u'.'))
            return pane.Children(Item(name.section(u'.', 0, 0))).at(size_t(name.section(u'.', 1).toInt()));
        for (TreeItemId id : pane.Children()) {
            if (NameOf(pane.PrimitiveOf(id)) == name)
                return id;
        }
        ADD_FAILURE() << "no item " << name.toStdString();
        return kNoTreeItem;
    }

    CCanvas canvas;
    QStatusBar status;
    EditorDouble editor;
    CPrimitiveListPane pane;
};

QString ClipboardText()
{
    QStringList names;
    for (const auto &entry : PrimitiveClipboard::Instance().Entries())
        names << NameOf(entry.get());
    return names.join(u' ');
}

class PrimitiveListPaneTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ClearPrimitiveClipboard();
        SetGroupMaker([](CCanvas *canvas) { return std::make_unique<GroupDouble>(canvas); });
    }
    void TearDown() override
    {
        SetGroupMaker({});
        ClearPrimitiveClipboard();
        PlatformTest::TearDown();
    }

    // One step of a sequence, as the editor's commands and the tree's
    // mouse would run it.
    static void Run(PaneFixture &f, const QString &step)
    {
        const QStringList words = step.split(u' ', Qt::SkipEmptyParts);
        const QString op = words.value(0);
        if (op == u"sel") {
            f.pane.OnTreeClick(f.Item(words.value(1)), false);
        } else if (op == u"mark") {
            for (qsizetype i = 1; i < words.size(); ++i)
                f.pane.OnTreeClick(f.Item(words[i]), true);
        } else if (op == u"create") {
            f.pane.CreatePrimitive(words.value(1).toInt(), words.value(2) == u"append");
        } else if (op == u"group") {
            f.pane.GroupMarked();
        } else if (op == u"ungroup") {
            f.pane.Ungroup();
        } else if (op == u"undo") {
            f.pane.UndoLast();
        } else if (op == u"cut") {
            f.pane.CutCopyDelete(CPrimitiveListPane::kCut);
        } else if (op == u"copy") {
            f.pane.CutCopyDelete(CPrimitiveListPane::kCopy);
        } else if (op == u"delete") {
            f.pane.CutCopyDelete(CPrimitiveListPane::kDelete);
        } else if (op == u"paste") {
            f.pane.Paste();
        } else if (op == u"front" || op == u"back") {
            f.pane.MoveToFrontOrBack(op == u"front");
        } else if (op == u"colour") {
            f.pane.SetSelectedColour(words.value(1).toInt());
        } else if (op == u"drag") {
            // drag X onto Y | drag X end, with Ctrl when a third word says so
            const TreeItemId dragged = f.Item(words.value(1));
            const bool ctrl = words.value(3) == u"ctrl";
            f.pane.BeginDrag(dragged, ctrl);
            if (words.value(2) == u"end")
                f.pane.DropMarked(f.pane.Children().back(), true, ctrl);
            else
                f.pane.DropMarked(f.Item(words.value(2)), false, ctrl);
        } else {
            ADD_FAILURE() << "unknown step " << step.toStdString();
        }
    }
};

// The edge cases as sequences: the tree, the marks, the clipboard and the
// undo offered after the last step, and the boxes shown on the way.
TEST_F(PrimitiveListPaneTest, SequencesLeaveTreeMarksClipboardAndUndo)
{
    struct Case {
        const char *name;
        int fill;
        QStringList steps;
        const char *tree;
        const char *marks;
        const char *clipboard;
        bool undoOffered;
        QStringList messages;
    };
    const Case cases[] = {
        {"create, nothing selected, insert mode: first", 2, {"create 4"}, "N A B", "", "", true, {}},
        {"create, nothing selected, append mode: last", 2, {"create 4 append"}, "A B N", "", "", true, {}},
        {"create before the selected item", 3, {"sel B", "create 2"}, "A L B C", "", "", true, {}},
        {"create then undo", 2, {"create 4 append", "undo"}, "A B", "", "", false, {}},
        {"group of two apart goes to the end, members frozen", 4, {"mark A C", "group"}, "B D G(A* C*)", "", "", true, {}},
        {"group undo leaves the members unfrozen where the group stood", 4, {"mark A C", "group", "undo"},
         "B D A C", "", "", false, {}},
        {"un-group clears undo", 3, {"mark A B", "group", "ungroup"}, "C A B", "", "", false, {}},
        {"drag onto the next item: no change", 3, {"drag A B"}, "A B C", "", "", false, {}},
        {"drag the last into the empty space: stays", 3, {"drag C end"}, "A B C", "", "", false, {}},
        {"drag the first to the end", 3, {"drag A end"}, "B C A", "", "", false, {}},
        {"ctrl-drop of three marked copies them before the target, in order", 5,
         {"mark A B D", "drag A E ctrl"}, "A B C D A B D E", "A B D", "", false, {}},
        {"cut two, paste twice, one undo removes the second pair", 4,
         {"mark B D", "cut", "paste", "paste", "undo"}, "A C B D", "", "B D", false, {}},
        {"paste of a cut group: members frozen", 3, {"mark A B", "group", "cut", "paste"}, "C G(A* B*)", "",
         "G", true, {}},
        {"delete a group and undo: it returns with its members", 3, {"mark A B", "group", "delete", "undo"},
         "C G(A* B*)", "", "", false, {}},
        {"bring to front and undo", 3, {"sel A", "front", "undo"}, "A B C", "", "", false, {}},
        {"send to back", 3, {"sel C", "back"}, "C A B", "", "", true, {}},
        {"create, drag, undo: the item has gone", 2, {"create 4 append", "drag N A", "undo"}, "N A B", "", "",
         false, {"imeUndoCreate::Undo: DestroyPrimitive failed."}},
        {"cut three from the middle and undo", 5, {"mark B C D", "cut", "undo"}, "A B C D E", "", "", false, {}},
        {"copy and undo: the clipboard is empty", 2, {"sel A", "copy", "undo"}, "A B", "", "", false, {}},
        {"delete marked and undo restores the order", 5, {"mark A C E", "delete", "undo"}, "A B C D E", "", "",
         false, {}},
        {"a copied frozen member pastes unfrozen", 3, {"mark A B", "group", "sel G.0", "copy", "paste"},
         "C G(A* B*) A", "", "A", true, {}},
    };
    prompter.AllowMessage(PromptMatch::Contains(QStringLiteral("::Undo")), 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ClearPrimitiveClipboard();
        const size_t shownBefore = prompter.Messages().size();
        PaneFixture f;
        f.Fill(c.fill);
        for (const QString &step : c.steps)
            Run(f, step);
        EXPECT_EQ(f.TreeText(), QString::fromLatin1(c.tree));
        EXPECT_EQ(f.Marks(), QString::fromLatin1(c.marks));
        EXPECT_EQ(ClipboardText(), QString::fromLatin1(c.clipboard));
        EXPECT_EQ(!f.pane.IsUndoEmpty(), c.undoOffered);
        QStringList shown;
        const std::vector<PromptRecord> messages = prompter.Messages();
        for (size_t i = shownBefore; i < messages.size(); ++i)
            shown << messages[i].text;
        EXPECT_EQ(shown, c.messages);
    }
}

// The undo of a cut of many brings every item back in its place and then
// selects the last to return, once: the editor is told once, the status
// bar shows its line, its handles alone are shown and the tree scrolls to it.
TEST_F(PrimitiveListPaneTest, UndoOfACutOfManySelectsTheLastToReturnOnce)
{
    PaneFixture f;
    f.Fill(25);
    f.Show();
    const QString whole = f.TreeText();
    Run(f, QStringLiteral("mark T W X"));
    Run(f, QStringLiteral("cut"));
    ASSERT_EQ(f.TreeText().size(), whole.size() - 6);
    QTreeWidget *tree = f.pane.Tree();
    tree->scrollToTop();
    f.editor.selections = 0;
    f.status.clearMessage();

    Run(f, QStringLiteral("undo"));
    EXPECT_EQ(f.TreeText(), whole);
    CPrimitive *selected = f.pane.SelectedPrimitive();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(NameOf(selected), QStringLiteral("T")) << "the records run last first";
    EXPECT_EQ(f.editor.selections, 1);
    EXPECT_EQ(f.editor.selected, selected);
    EXPECT_EQ(f.status.currentMessage(), selected->GetCommandText());
    EXPECT_TRUE(selected->IsSelected());
    EXPECT_EQ(f.canvas.ShownHandleCount(), selected->HandleCount()) << "no handles left by the others";
    EXPECT_TRUE(tree->viewport()->rect().intersects(tree->visualItemRect(tree->currentItem())));
    EXPECT_EQ(f.Marks(), QString());
}

// Undo runs against the pane that holds it, and a clipboard refilled by
// another editor is not touched by an old record of the first.
TEST_F(PrimitiveListPaneTest, TwoPanesShareTheClipboardButNotTheirUndo)
{
    PaneFixture first;
    first.Fill(2);
    auto second = std::make_unique<PaneFixture>();
    second->Fill(4);

    Run(first, QStringLiteral("sel A"));
    Run(first, QStringLiteral("copy"));
    Run(*second, QStringLiteral("sel D"));
    Run(*second, QStringLiteral("cut"));
    EXPECT_EQ(ClipboardText(), QStringLiteral("D"));

    // The first pane's copy record belongs to a filling that is gone.
    Run(first, QStringLiteral("undo"));
    EXPECT_EQ(ClipboardText(), QStringLiteral("D"));
    EXPECT_EQ(first.TreeText(), QStringLiteral("A B"));
    EXPECT_EQ(second->TreeText(), QStringLiteral("A B C"));
    EXPECT_FALSE(second->pane.IsUndoEmpty());

    second.reset();
    Run(first, QStringLiteral("undo"));
    EXPECT_EQ(first.TreeText(), QStringLiteral("A B"));
    // The cut primitive outlived its editor, detached, and pastes here.
    Run(first, QStringLiteral("paste"));
    EXPECT_EQ(first.TreeText(), QStringLiteral("A B D"));
    EXPECT_EQ(first.pane.PrimitiveOf(first.pane.Children().back())->GetCanvas(), &first.canvas);
    Run(first, QStringLiteral("undo"));
    EXPECT_EQ(first.TreeText(), QStringLiteral("A B"));
    EXPECT_EQ(ClipboardText(), QStringLiteral("D"));
}

// The tree's group commands on the program's own group class: members
// move in and out of it, its bounds follow them, and a deleted or cut
// group leaves no member behind or deleted twice.
TEST_F(PrimitiveListPaneTest, TheProgramsGroupServesTheGroupCommands)
{
    SetGroupMaker({});
    struct Case {
        QStringList steps;
        const char *tree;
    };
    const Case cases[] = {
        {{"mark A C", "group"}, "B D G(A* C*)"},
        {{"mark A C", "group", "undo"}, "B D A C"},
        {{"mark A B", "group", "ungroup"}, "C D A B"},
        {{"mark A B", "group", "delete", "undo"}, "C D G(A* B*)"},
        {{"mark A B", "group", "cut", "paste"}, "C D G(A* B*)"},
        {{"mark B D", "group", "sel G", "copy", "paste"}, "A C G(B* D*) G(B* D*)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.steps.join(u", ").toStdString());
        ClearPrimitiveClipboard();
        PaneFixture f;
        f.Fill(4);
        for (const QString &step : c.steps)
            Run(f, step);
        EXPECT_EQ(f.TreeText(), QString::fromLatin1(c.tree));
        for (TreeItemId id : f.pane.Children()) {
            CPrimitive *group = f.pane.PrimitiveOf(id);
            if (!group->IsGroup())
                continue;
            const std::vector<TreeItemId> members = f.pane.Children(id);
            ASSERT_EQ(group->MemberCount(), static_cast<int>(members.size()));
            QRect united;
            for (int i = 0; i < group->MemberCount(); ++i) {
                EXPECT_EQ(group->Member(i), f.pane.PrimitiveOf(members[static_cast<size_t>(i)]));
                QPoint topLeft, bottomRight;
                group->Member(i)->GetBounds(topLeft, bottomRight);
                united |= QRect(topLeft, bottomRight);
            }
            QPoint topLeft, bottomRight;
            group->GetBounds(topLeft, bottomRight);
            EXPECT_EQ(QRect(topLeft, bottomRight), united);
        }
    }
}

// The one undo record: a record that un-groups clears the holder while it
// runs, and the holder lets go of it first.
TEST_F(PrimitiveListPaneTest, GroupUndoRunsOnceAndLeavesNothingHeld)
{
    PaneFixture f;
    f.Fill(3);
    Run(f, QStringLiteral("mark A C"));
    Run(f, QStringLiteral("group"));
    ASSERT_FALSE(f.pane.IsUndoEmpty());
    Run(f, QStringLiteral("undo"));
    EXPECT_TRUE(f.pane.IsUndoEmpty());
    EXPECT_EQ(f.TreeText(), QStringLiteral("B A C"));
    EXPECT_EQ(f.pane.SelectedPrimitive(), f.pane.PrimitiveOf(f.Item(QStringLiteral("A"))));
}

// A record whose tree item has gone reports it and touches nothing.
TEST_F(PrimitiveListPaneTest, RecordsOfGoneItemsLeaveTheTreeAsItIs)
{
    prompter.AllowMessage(PromptMatch::Contains(QStringLiteral("::Undo")), 1);
    PaneFixture f;
    f.Fill(3);
    Run(f, QStringLiteral("sel B"));
    Run(f, QStringLiteral("colour 3"));
    Run(f, QStringLiteral("drag B A")); // rebuilds B's item
    Run(f, QStringLiteral("undo"));
    EXPECT_EQ(f.TreeText(), QStringLiteral("B A C"));
    EXPECT_EQ(f.pane.PrimitiveOf(f.Item(QStringLiteral("B")))->GetColour(), 3);

    Run(f, QStringLiteral("sel C"));
    Run(f, QStringLiteral("front"));
    Run(f, QStringLiteral("drag A end"));
    Run(f, QStringLiteral("undo"));
    EXPECT_EQ(f.TreeText(), QStringLiteral("B C A"));
    ASSERT_EQ(prompter.Messages().size(), 2u);
    EXPECT_EQ(prompter.Messages()[0].text, QStringLiteral("imeUndoModify::Undo: The item is no longer in the tree."));
}

// A colour change and its undo: the old colour returns and is selected; a
// second undo is not offered.
TEST_F(PrimitiveListPaneTest, ColourTwiceUndoOnce)
{
    PaneFixture f;
    f.Fill(2);
    Run(f, QStringLiteral("sel B"));
    Run(f, QStringLiteral("colour 4"));
    Run(f, QStringLiteral("colour 6"));
    Run(f, QStringLiteral("sel A"));
    Run(f, QStringLiteral("undo"));
    CPrimitive *b = f.pane.PrimitiveOf(f.Item(QStringLiteral("B")));
    EXPECT_EQ(b->GetColour(), 4);
    EXPECT_EQ(f.pane.SelectedPrimitive(), b);
    EXPECT_EQ(f.editor.selected, b);
    EXPECT_TRUE(f.pane.IsUndoEmpty());
}

// Every primitive stands in exactly one place: one tree item (its own
// remembered item, parent and predecessor) or one clipboard entry; a
// group's child items are its members, frozen; the top level is unfrozen.
void CheckConsistent(const PaneFixture &f, std::set<const CPrimitive *> &seen, TreeItemId parent)
{
    TreeItemId previous = kNoTreeItem;
    const std::vector<TreeItemId> children = f.pane.Children(parent);
    const CPrimitive *group = parent == kNoTreeItem ? nullptr : f.pane.PrimitiveOf(parent);
    if (group) {
        ASSERT_EQ(group->MemberCount(), int(children.size()));
    }
    for (size_t i = 0; i < children.size(); ++i) {
        const TreeItemId id = children[i];
        const CPrimitive *primitive = f.pane.PrimitiveOf(id);
        ASSERT_NE(primitive, nullptr);
        ASSERT_TRUE(seen.insert(primitive).second) << "a primitive in two places";
        EXPECT_EQ(primitive->GetTreeItem(), id);
        EXPECT_EQ(primitive->GetParentItem(), parent);
        EXPECT_EQ(primitive->GetInsertAfter(), previous);
        EXPECT_EQ(primitive->GetListPane(), &f.pane);
        EXPECT_EQ(primitive->IsLocked(), parent != kNoTreeItem);
        if (group) {
            EXPECT_EQ(group->Member(int(i)), primitive);
        }
        CheckConsistent(f, seen, id);
        previous = id;
    }
}

TEST_F(PrimitiveListPaneTest, RandomSequenceKeepsEveryPrimitiveInOnePlace)
{
    prompter.AllowMessage(PromptMatch::Contains(QStringLiteral("::Undo")), 1);
    PaneFixture f;
    f.Fill(6);
    std::mt19937 random(2512);
    const auto pick = [&random](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(random)); };
    for (int step = 0; step < 600; ++step) {
        const std::vector<TreeItemId> top = f.pane.Children();
        const TreeItemId any = top.empty() ? kNoTreeItem : top[size_t(pick(int(top.size())))];
        switch (pick(14)) {
        case 0: f.pane.CreatePrimitive(pick(2) ? 4 : 2, pick(2) != 0); break;
        case 1: f.pane.OnTreeClick(any, true); break;
        case 2: f.pane.OnTreeClick(any, false); break;
        case 3: f.pane.GroupMarked(); break;
        case 4: f.pane.Ungroup(); break;
        case 5: f.pane.CutCopyDelete(CPrimitiveListPane::kCut); break;
        case 6: f.pane.CutCopyDelete(CPrimitiveListPane::kCopy); break;
        case 7: f.pane.Paste(); break;
        case 8: f.pane.CutCopyDelete(CPrimitiveListPane::kDelete); break;
        case 9: f.pane.MoveToFrontOrBack(pick(2) != 0); break;
        case 10:
            if (any != kNoTreeItem) {
                const bool ctrl = pick(3) == 0;
                f.pane.BeginDrag(top[size_t(pick(int(top.size())))], ctrl);
                f.pane.DropMarked(any, pick(4) == 0, ctrl);
            }
            break;
        case 11: f.pane.SetSelectedColour(pick(8)); break;
        default: f.pane.UndoLast(); break;
        }
        SCOPED_TRACE(step);
        std::set<const CPrimitive *> seen;
        CheckConsistent(f, seen, kNoTreeItem);
        for (const auto &entry : PrimitiveClipboard::Instance().Entries()) {
            EXPECT_TRUE(seen.insert(entry.get()).second) << "a clipboard entry in the tree";
            EXPECT_EQ(entry->GetCanvas(), nullptr);
        }
        PrimitiveArray stored;
        f.pane.StoreToArray(stored);
        QStringList storedNames;
        for (const auto &primitive : stored)
            storedNames << NameOf(primitive.get());
        QStringList treeNames;
        for (TreeItemId id : f.pane.Children())
            treeNames << NameOf(f.pane.PrimitiveOf(id));
        ASSERT_EQ(storedNames, treeNames);
        if (HasFatalFailure() || HasNonfatalFailure())
            return;
    }
}

// The tree and the canvas through real mouse events: a drag in the tree
// reorders, with the insertion line shown before the target while it runs;
// a click on the canvas selects; a Ctrl-click in the tree marks.
TEST_F(PrimitiveListPaneTest, MouseDragInTheTreeAndClicksOnTheCanvas)
{
    PaneFixture f;
    f.Fill(3);
    f.Show();
    QTreeWidget *tree = f.pane.Tree();
    QWidget *viewport = tree->viewport();
    const auto centre = [&](const QString &name) {
        const std::vector<TreeItemId> top = f.pane.Children();
        const auto row = std::find(top.begin(), top.end(), f.Item(name)) - top.begin();
        const QModelIndex index = tree->model()->index(int(row), 0);
        return tree->visualRect(index).center();
    };
    const auto move = [&](const QPoint &to, Qt::KeyboardModifiers modifiers) {
        QMouseEvent event(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)), Qt::NoButton,
                          Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(viewport, &event);
    };
    const QPoint from = centre(QStringLiteral("A"));
    const QPoint onto = centre(QStringLiteral("C"));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    move(from + QPoint(0, 8), {});
    move(onto, {});
    EXPECT_TRUE(f.pane.IsDragging());
    EXPECT_EQ(f.pane.DropTarget(), f.Item(QStringLiteral("C")));
    EXPECT_EQ(f.pane.DragImage(), 1);
    const QLabel *picture = f.pane.findChild<QLabel *>();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->isVisible());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, onto);
    EXPECT_FALSE(f.pane.IsDragging());
    EXPECT_EQ(f.pane.findChild<QLabel *>(), nullptr);
    EXPECT_EQ(f.TreeText(), QStringLiteral("B A C"));

    // Below the items: after the last one; Ctrl copies.
    const QPoint empty(10, viewport->height() - 5);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::ControlModifier, centre(QStringLiteral("B")));
    move(centre(QStringLiteral("B")) + QPoint(0, 8), Qt::ControlModifier);
    move(empty, Qt::ControlModifier);
    EXPECT_TRUE(f.pane.IsDropAfter());
    EXPECT_EQ(f.pane.DragImage(), 23);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ControlModifier, empty);
    EXPECT_EQ(f.TreeText(), QStringLiteral("B A C B"));

    // The canvas hands its click to the pane: the topmost rectangle at C's place.
    const QPoint onC = f.canvas.ImageToClient(QPoint(22, 22));
    QTest::mouseClick(&f.canvas, Qt::LeftButton, {}, onC);
    EXPECT_EQ(f.pane.SelectedPrimitive(), f.pane.PrimitiveOf(f.Item(QStringLiteral("C"))));
    EXPECT_EQ(f.status.currentMessage(), f.pane.SelectedPrimitive()->GetCommandText());

    // Ctrl-clicks in the tree mark; a plain click ends the marking.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre(QStringLiteral("A")));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre(QStringLiteral("C")));
    EXPECT_EQ(f.Marks(), QStringLiteral("A C"));
    EXPECT_EQ(f.editor.marked, 2);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(QStringLiteral("B")));
    EXPECT_EQ(f.Marks(), QString());
    EXPECT_FALSE(f.pane.IsMarking());
}

// A handle drag on the canvas leaves the box's state before it as the undo
// record; its open property dialog follows the drag and the undo; a
// double-click in the tree asks the editor for the properties.
TEST_F(PrimitiveListPaneTest, HandleDragIsUndoneAndTheDialogFollows)
{
    PaneFixture f;
    f.Fill(3);
    f.Show();
    Run(f, QStringLiteral("sel C"));
    auto *box = dynamic_cast<CRectangle *>(f.pane.SelectedPrimitive());
    ASSERT_NE(box, nullptr);
    std::unique_ptr<CPropertiesDlg> dialog(box->OpenProperties(&f.editor));
    CPrimitiveHandle *centre = box->Handle(9);
    ASSERT_TRUE(centre && centre->IsShown());
    ASSERT_EQ(f.canvas.HandleAt(centre->Point()), centre);
    QTest::mousePress(&f.canvas, Qt::LeftButton, {}, centre->Point());
    const QPointF to(centre->Point() + QPoint(30, 40));
    QMouseEvent move(QEvent::MouseMove, to, f.canvas.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f.canvas, &move);
    QTest::mouseRelease(&f.canvas, Qt::LeftButton, {}, centre->Point());
    EXPECT_EQ(box->TopLeft(), QPoint(50, 60));
    EXPECT_EQ(dialog->GetPosition(), QPoint(50, 60));

    f.pane.UndoLast();
    EXPECT_EQ(box->TopLeft(), QPoint(20, 20));
    EXPECT_EQ(dialog->GetPosition(), QPoint(20, 20));
    EXPECT_EQ(f.pane.SelectedPrimitive(), box);
    EXPECT_TRUE(f.pane.IsUndoEmpty());

    const QRect row = f.pane.Tree()->visualItemRect(f.pane.Tree()->topLevelItem(2));
    QTest::mouseDClick(f.pane.Tree()->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(f.editor.propertiesAskedFor.size(), 1u);
    EXPECT_EQ(f.editor.propertiesAskedFor[0], box);
}

// A picture of the pane (a group, a marked item, the selected marked item,
// the icons) for a person to look at.
TEST_F(PrimitiveListPaneTest, Screenshot)
{
    PaneFixture f;
    f.Fill(5);
    f.pane.CreatePrimitive(2, true);
    f.pane.CreatePrimitive(5, true);
    Run(f, QStringLiteral("mark A B"));
    Run(f, QStringLiteral("group"));
    Run(f, QStringLiteral("mark C E"));
    f.pane.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.TreeText(), QStringLiteral("C D E L N G(A* B*)"));
    SaveScreenshot(f.pane, QStringLiteral("list-pane"));
    // Marked: dark red; marked and selected: red; others keep the base.
    QTreeWidget *tree = f.pane.Tree();
    const QImage picture = tree->viewport()->grab().toImage();
    const auto background = [&](int row) {
        const QRect rect = tree->visualItemRect(tree->topLevelItem(row));
        return QColor(picture.pixel(rect.right() - 2, rect.center().y()));
    };
    // The style may shade the fill a little.
    const auto near = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 && std::abs(a.blue() - b.blue()) < 40;
    };
    EXPECT_TRUE(near(background(0), QColor(128, 0, 0))) << background(0).name().toStdString();
    EXPECT_TRUE(near(background(2), QColor(255, 0, 0))) << background(2).name().toStdString();
    EXPECT_FALSE(near(background(1), QColor(128, 0, 0)));
}

// Above or below the tree the drop target steps one item per move; over a
// group's member it is the group, with the group picture.
TEST_F(PrimitiveListPaneTest, DragTargetStepsOutsideTheTreeAndStopsAtGroups)
{
    PaneFixture f;
    f.Fill(4);
    Run(f, QStringLiteral("mark C D"));
    Run(f, QStringLiteral("group"));
    f.pane.show();
    QCoreApplication::processEvents();
    QTreeWidget *tree = f.pane.Tree();
    f.pane.BeginDrag(f.Item(QStringLiteral("B")), false);
    const QRect member = tree->visualItemRect(tree->topLevelItem(2)->child(1));
    f.pane.DragMove(member.center(), false);
    EXPECT_EQ(f.pane.DropTarget(), f.Item(QStringLiteral("G")));
    EXPECT_EQ(f.pane.DragImage(), 24);
    f.pane.DragMove(QPoint(5, -10), false);
    EXPECT_EQ(f.pane.DropTarget(), f.Item(QStringLiteral("B")));
    f.pane.DragMove(QPoint(5, -10), false);
    EXPECT_EQ(f.pane.DropTarget(), f.Item(QStringLiteral("A")));
    f.pane.DragMove(QPoint(5, -10), false);
    EXPECT_EQ(f.pane.DropTarget(), f.Item(QStringLiteral("A")));
    f.pane.DragMove(QPoint(5, tree->viewport()->height() + 10), false);
    EXPECT_EQ(f.pane.DropTarget(), f.Item(QStringLiteral("B")));
    EXPECT_EQ(f.pane.DragImage(), 1);
    f.pane.EndDrag(false);
    EXPECT_EQ(f.TreeText(), QStringLiteral("A B G(C* D*)"));
}

// A name never ends in "...": the column is as wide as the longest name and
// a narrow pane scrolls sideways to it.
TEST_F(PrimitiveListPaneTest, NamesStandWholeInANarrowPane)
{
    PaneFixture f;
    f.Fill(2);
    f.pane.resize(40, 300);
    f.pane.show();
    QCoreApplication::processEvents();
    auto *tree = f.pane.findChild<QTreeWidget *>();
    ASSERT_NE(tree, nullptr);
    const QTreeWidgetItem *first = tree->topLevelItem(0);
    ASSERT_NE(first, nullptr);
    const int textWidth = tree->fontMetrics().horizontalAdvance(first->text(0));
    EXPECT_GE(tree->visualItemRect(first).width(), textWidth);
    EXPECT_GT(tree->columnWidth(0), tree->viewport()->width());
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
}

} // namespace
