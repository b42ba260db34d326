// The pane's one undo record, and what the records ask of the pane.

#include "CPrimitiveListPane.h"

#include "CPrimitiveListPaneTree.h"
#include "ListPaneEditorLink.h"
#include "imeUndo.h"

#include <typeinfo>

void CPrimitiveListPane::SetUndo(const imeUndo &record)
{
    m_undo = record.VirtualCopy();
}

void CPrimitiveListPane::ClearUndo()
{
    m_undo.reset();
}

void CPrimitiveListPane::UndoLast()
{
    // Out of the holder first: a record may clear the holder as it runs.
    std::unique_ptr<imeUndo> record = std::move(m_undo);
    if (record)
        record->Undo(*this);
}

bool CPrimitiveListPane::InsertPrimitive(CPrimitive &primitive)
{
    const TreeItemId parent = primitive.GetParentItem();
    Item *item = NewItem(primitive.GetTypeName(), primitive.Type(), parent, primitive.GetInsertAfter());
    if (!item)
        return false;
    LinkItem(item->Id(), &primitive);
    FixNextPredecessor(item);
    primitive.SetStatusBar(m_statusBar);
    primitive.SetCanvas(m_canvas);
    SelectItem(item->Id());
    primitive.Invalidate();
    ShowSelectedStatus(primitive);
    Changed();
    UpdateEditorSelection();
    return true;
}

bool CPrimitiveListPane::DestroyPrimitive(TreeItemId id)
{
    if (!PrimitiveOf(id))
        return false;
    DeleteItem(id);
    Changed();
    UpdateEditorSelection();
    return true;
}

bool CPrimitiveListPane::RestorePrimitive(const CPrimitive &copy)
{
    CPrimitive *live = PrimitiveOf(copy.GetTreeItem());
    if (!live || typeid(*live) != typeid(copy))
        return false;
    live->Invalidate();
    live->VirtualAssign(copy);
    live->ClearTracking();
    SelectItem(copy.GetTreeItem());
    live->Select();
    live->ShowStatus();
    live->Invalidate();
    m_modified = true;
    if (m_canvas)
        m_canvas->SetModified();
    if (m_editor)
        m_editor->SetChanged(false);
    UpdateEditorSelection();
    if (m_canvas)
        m_canvas->repaint();
    return true;
}

bool CPrimitiveListPane::RestoreItemPosition(TreeItemId item, TreeItemId parent, TreeItemId predecessor)
{
    if (!Find(item) || (parent != kNoTreeItem && !Find(parent)) || (predecessor != kNoTreeItem && !Find(predecessor)))
        return false;
    const TreeItemId moved = MoveItem(item, parent, predecessor, false);
    if (moved == kNoTreeItem)
        return false;
    SelectItem(moved);
    PrimitiveOf(moved)->Invalidate();
    Changed();
    return true;
}

void CPrimitiveListPane::HoldModifyUndo(const CPrimitive &primitive)
{
    SetUndo(imeUndoModify(primitive));
}
