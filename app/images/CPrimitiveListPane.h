#pragma once
// The image editor's left pane: the edited image's primitives as a tree, one
// top-level item per primitive in drawing order and a group's members as its
// child items. While an editor is open the tree owns the live primitives.
// The pane carries every edit of the set and order of primitives, the
// selection and marking, drag-reordering in the tree, the primitive
// clipboard's use and the editor's one undo record.
//
// Items are known by id (TreeItemId), never by address: items are rebuilt
// when they move, and a remembered id that has gone is found gone.
//
// Its members stand in files by concern: CPrimitiveListPane.cpp (making,
// lookup, selection, the canvas's operations), ...Items.cpp (the tree's
// items), ...Tree.cpp (the tree control), ...Editing.cpp, ...Clipboard.cpp,
// ...Undo.cpp and ...Drag.cpp.

#include "CCanvas.h"
#include "CPrimitive.h"
#include "CanvasLinks.h"
#include "PrimitiveClipboard.h"
#include "UndoPaneLink.h"

#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QWidget>

#include <memory>
#include <vector>

class ListPaneEditorLink;
class QTreeWidget;
class QTreeWidgetItem;
class imeUndo;

class CPrimitiveListPane : public QWidget, public CanvasListLink, public UndoPaneLink {
public:
    // Cut, Copy and Delete.
    enum Mode { kCut = 1, kCopy = 2, kDelete = 3 };
    // An insert-after that stands for the end of a level.
    static constexpr TreeItemId kLast = -1;

    explicit CPrimitiveListPane(QWidget *parent = nullptr);
    // Deletes every primitive of the tree, members before their group.
    ~CPrimitiveListPane() override;

    void SetCanvas(CCanvas *canvas) { m_canvas = canvas; }
    void SetStatusBar(QStatusBar *statusBar) { m_statusBar = statusBar; }
    void SetEditor(ListPaneEditorLink *editor) { m_editor = editor; }
    CCanvas *Canvas() const { return m_canvas; }
    QTreeWidget *Tree() const;

    // --- Editor commands ----------------------------------------------------------
    // A new primitive of type code on the canvas: appended at the end of the
    // top level, else just before the selected item.
    void CreatePrimitive(int type, bool append);
    void GroupMarked();
    // The group of item (none: the selected one) gives its members back to
    // the top level; the held undo record goes.
    void Ungroup(TreeItemId item = kNoTreeItem) override;
    void MoveToFrontOrBack(bool front);
    void CutCopyDelete(int mode);
    void Paste();
    void SetSelectedColour(int index);
    void SetSelectedPattern(int index);
    void SetSelectedFont(int index);
    void OpenSelectedProperties();
    // A copy of each entry at the end of the top level; the new items in order.
    std::vector<TreeItemId> InsertCopies(const PrimitiveArray &array);
    // The image's array := deselected copies of the top-level primitives in
    // tree order; the pane is unmodified afterwards.
    void StoreToArray(PrimitiveArray &array);
    // The same copies, the pane's mark untouched (a preview stores nothing).
    void CopyTopLevel(PrimitiveArray &array) const;
    void ClearModified() { m_modified = false; }

    // --- Undo holder ------------------------------------------------------------------
    void SetUndo(const imeUndo &record);
    void ClearUndo();
    // Runs the held record against this pane and discards it.
    void UndoLast();
    bool IsUndoEmpty() const { return !m_undo; }

    // --- The canvas's interface ------------------------------------------------------------
    void DrawAll(QPainter &painter, const QRect &update) override;
    void SelectAtPoint(const QPoint &client, bool ctrl) override;
    void MarkInRect(const QRect &client) override;
    void NudgeSelected(int dx, int dy) override;
    bool SnapToPrimitives(QPoint &image) override;
    void ScaleAll(double sx, double sy) override;
    void HoldModifyUndo(const CPrimitive &primitive) override;
    // Under its remembered parent after its remembered predecessor; false
    // when either has gone.
    bool InsertPrimitive(CPrimitive &primitive) override;

    // --- Used by the undo records ---------------------------------------------------------
    CanvasListLink &PrimitivesLink() override { return *this; }
    bool DestroyPrimitive(TreeItemId item) override;
    bool RestorePrimitive(const CPrimitive &copy) override;
    bool RestoreItemPosition(TreeItemId item, TreeItemId parent, TreeItemId predecessor) override;
    bool RemoveClipboardEntry(int index, quint64 generation) override;
    // Many rows at once (the undo of a cut of many, of a paste): inside a
    // batch the item to select is only remembered (the tree measures every
    // row as its selection changes); the last one is selected, scrolled to
    // and told to the status bar and the editor once, as the outermost
    // batch ends.
    void BeginBatch() override;
    void EndBatch() override;

    // --- Tree bookkeeping ---------------------------------------------------------------
    void LinkItem(TreeItemId item, CPrimitive *primitive);
    // The item and its child items leave the tree (their primitives stay).
    bool RemoveItem(TreeItemId item);
    // Moves (or copies: given, else a clone) the item with its subtree under
    // newParent after insertAfter; the new item, or none.
    TreeItemId MoveItem(TreeItemId item, TreeItemId newParent, TreeItemId insertAfter, bool copy,
                        CPrimitive *given = nullptr);
    // An item for primitive (and its members) at the end of parent.
    TreeItemId InsertItemTree(CPrimitive *primitive, TreeItemId parent);

    // --- Dragging in the tree ---------------------------------------------------------------
    // The marked items (or the dragged one) go before target, or after the
    // last top-level item with dropAfter; copies with copy.
    void DropMarked(TreeItemId target, bool dropAfter, bool copy);
    void BeginDrag(TreeItemId item, bool ctrl);
    // The cursor at viewport point; the drop target and the insertion mark follow.
    void DragMove(const QPoint &viewport, bool ctrl);
    void EndDrag(bool ctrl);
    bool IsDragging() const { return m_dragging; }
    int DragImage() const { return m_dragImage; }
    TreeItemId DropTarget() const { return m_dropTarget; }
    bool IsDropAfter() const { return m_dropAfter != 0; }

    // --- State ---------------------------------------------------------------------------------
    bool IsModified() const { return m_modified; }
    bool IsMarking() const { return m_marking; }
    int MarkedCount() const;
    bool HasItem(TreeItemId item) const override { return Find(item) != nullptr; }
    CPrimitive *PrimitiveOf(TreeItemId item) const;
    TreeItemId SelectedItem() const;
    CPrimitive *SelectedPrimitive() const;
    // The items of parent (none: the top level) in order.
    std::vector<TreeItemId> Children(TreeItemId parent = kNoTreeItem) const;
    TreeItemId ParentOf(TreeItemId item) const;
    void SelectItem(TreeItemId item);
    void UnmarkAll();

    // Ctrl as the key messages report it (clicks and drops read it).
    void SetCtrlDown(bool down) { m_ctrlDown = down; }
    bool IsCtrlDown() const { return m_ctrlDown; }
    // The item at a viewport point's height, and what a click there does.
    TreeItemId ItemAtHeight(int y) const;
    void OnTreeClick(TreeItemId item, bool ctrl);
    QString InfoTip(TreeItemId item) const;

    class Item;

private:
    class PaneTree;
    friend class Item;

    Item *Find(TreeItemId id) const;
    Item *NewItem(const QString &text, int icon, TreeItemId parent, TreeItemId insertAfter);
    TreeItemId PreviousSibling(const QTreeWidgetItem *item) const;
    void FixNextPredecessor(QTreeWidgetItem *item);
    // The primitive's remembered parent and predecessor from the tree.
    void RememberPlace(QTreeWidgetItem *item);
    void ClearSelectionWithin(QTreeWidgetItem *item);
    void DeleteSubtreePrimitives(QTreeWidgetItem *item);
    // The item leaves the tree and its primitive (with its members) is deleted.
    void DeleteItem(TreeItemId id);
    void DeleteAllPrimitives();
    void OnCurrentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void SetSelectedValue(void (CPrimitive::*set)(int), int index);
    void UpdateEditorSelection();
    // The selected primitive's line into the status bar (after a batch).
    void ShowSelectedStatus(CPrimitive &primitive);
    void FinishBatch();
    void Changed();
    void RepaintTree();
    void ShowDragImage();

    PaneTree *m_tree;
    QPointer<CCanvas> m_canvas;
    QPointer<QStatusBar> m_statusBar;
    QPointer<QLabel> m_dragWindow;
    ListPaneEditorLink *m_editor = nullptr;
    bool m_modified = false;
    bool m_ctrlDown = false;
    bool m_marking = false;
    bool m_dragging = false;
    bool m_keyboardChange = false;
    int m_batchDepth = 0;
    bool m_batchSelection = false;
    // The item a batch selects at its end; none: the one selected before.
    TreeItemId m_batchCurrent = kNoTreeItem;
    int m_dragImage = 1;
    int m_dropAfter = 0;
    TreeItemId m_dragItem = kNoTreeItem;
    TreeItemId m_dropTarget = kNoTreeItem;
    std::unique_ptr<imeUndo> m_undo;
    TreeItemId m_nextId = 1;
    QHash<TreeItemId, Item *> m_items;
};
