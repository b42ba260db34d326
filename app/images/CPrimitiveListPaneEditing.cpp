// The editor's commands on the set and order of primitives: create, group,
// ungroup, to the front or back, and the colour, pattern and font of the
// selection.

#include "CPrimitiveListPane.h"

#include "CPrimitiveListPaneTree.h"
#include "ListPaneEditorLink.h"
#include "PrimitiveTypes.h"
#include "imeUndo.h"

using namespace PaneItems;

void CPrimitiveListPane::CreatePrimitive(int type, bool append)
{
    std::unique_ptr<CPrimitive> primitive = MakePrimitive(type, m_canvas);
    if (!primitive)
        return;
    TreeItemId after = kLast;
    if (!append) {
        // Before the selected item; before a member's group at the top level.
        QTreeWidgetItem *selected = m_tree->currentItem();
        while (selected && selected->parent())
            selected = selected->parent();
        after = selected ? PreviousSibling(selected) : kNoTreeItem;
    }
    Item *item = NewItem(primitive->GetTypeName(), type, kNoTreeItem, after);
    if (!item)
        return;
    CPrimitive *created = primitive.release();
    LinkItem(item->Id(), created);
    FixNextPredecessor(item);
    created->SetStatusBar(m_statusBar);
    SelectItem(item->Id());
    created->Invalidate();
    created->ShowStatus();
    Changed();
    UpdateEditorSelection();
    SetUndo(imeUndoCreate(item->Id()));
}

void CPrimitiveListPane::GroupMarked()
{
    std::vector<TreeItemId> marked;
    for (TreeItemId id : Children()) {
        const CPrimitive *primitive = PrimitiveOf(id);
        if (primitive && primitive->IsMarked())
            marked.push_back(id);
    }
    std::unique_ptr<CPrimitive> group = MakeGroup(m_canvas);
    if (!group || marked.empty())
        return;
    group->SetStatusBar(m_statusBar);
    Item *item = NewItem(group->GetTypeName(), group->Type(), kNoTreeItem, kLast);
    if (!item)
        return;
    CPrimitive *made = group.release();
    const TreeItemId groupId = item->Id();
    LinkItem(groupId, made);
    int index = 0;
    for (TreeItemId id : marked) {
        CPrimitive *member = PrimitiveOf(id);
        member->SetMarked(false);
        if (MoveItem(id, groupId, kLast, false) != kNoTreeItem)
            made->AddMember(member, index++, true);
    }
    SetUndo(imeUndoGroup(groupId));
    m_marking = false;
    SelectItem(groupId);
    made->RecomputeBounds();
    made->Invalidate();
    made->ShowStatus();
    UpdateEditorSelection();
    Changed();
}

void CPrimitiveListPane::Ungroup(TreeItemId id)
{
    ClearUndo();
    Item *item = id == kNoTreeItem ? AsItem(m_tree->currentItem()) : Find(id);
    if (!item || !item->primitive || !item->primitive->IsGroup())
        return;
    CPrimitive *group = item->primitive;
    const TreeItemId groupId = item->Id();
    std::vector<TreeItemId> members;
    TreeItemId after = groupId;
    for (TreeItemId child : Children(groupId)) {
        after = MoveItem(child, kNoTreeItem, after, false);
        if (after == kNoTreeItem)
            break;
        members.push_back(after);
    }
    RemoveItem(groupId);
    for (TreeItemId member : members) {
        if (CPrimitive *primitive = PrimitiveOf(member))
            primitive->SetLocked(false);
    }
    group->ReleaseMembers();
    group->Deselect();
    group->Invalidate();
    delete group;
    if (!members.empty())
        SelectItem(members.front());
    UpdateEditorSelection();
    Changed();
}

void CPrimitiveListPane::MoveToFrontOrBack(bool front)
{
    Item *item = AsItem(m_tree->currentItem());
    if (!item || !item->primitive || item->primitive->IsLocked())
        return;
    const TreeItemId oldParent = IdOf(item->parent());
    const TreeItemId oldPredecessor = PreviousSibling(item);
    const TreeItemId moved = MoveItem(item->Id(), kNoTreeItem, front ? kLast : kNoTreeItem, false);
    if (moved == kNoTreeItem)
        return;
    SetUndo(imeUndoMove(moved, oldParent, oldPredecessor));
    SelectItem(moved);
    PrimitiveOf(moved)->Invalidate();
    Changed();
}

void CPrimitiveListPane::SetSelectedValue(void (CPrimitive::*set)(int), int index)
{
    CPrimitive *primitive = SelectedPrimitive();
    if (!primitive)
        return;
    SetUndo(imeUndoModify(*primitive));
    (primitive->*set)(index);
    primitive->ShowStatus();
    primitive->Invalidate();
    Changed();
    UpdateEditorSelection();
}

void CPrimitiveListPane::SetSelectedColour(int index) { SetSelectedValue(&CPrimitive::SetColour, index); }
void CPrimitiveListPane::SetSelectedPattern(int index) { SetSelectedValue(&CPrimitive::SetPattern, index); }
void CPrimitiveListPane::SetSelectedFont(int index) { SetSelectedValue(&CPrimitive::SetFont, index); }
