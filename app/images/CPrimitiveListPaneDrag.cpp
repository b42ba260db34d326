// Dragging items in the tree: the drag picture, the drop target and its
// mark, and the move or copy of the marked items on the drop.

#include "CPrimitiveListPane.h"

#include "CPrimitiveListPaneTree.h"
#include "ListPaneEditorLink.h"
#include "PrimitiveImages.h"

#include <QCursor>
#include <QLabel>

using namespace PaneItems;

void CPrimitiveListPane::BeginDrag(TreeItemId id, bool ctrl)
{
    const CPrimitive *primitive = PrimitiveOf(id);
    if (!primitive || primitive->IsLocked())
        return;
    m_dragging = true;
    m_dropAfter = 0;
    m_dragItem = id;
    m_dropTarget = id;
    m_dragImage = ctrl ? kDragImageCopy : kDragImageMove;
    ShowDragImage();
}

// The drag picture: a small frameless window beside the cursor.
void CPrimitiveListPane::ShowDragImage()
{
    if (!m_dragging) {
        delete m_dragWindow.data();
        return;
    }
    if (!m_dragWindow) {
        m_dragWindow = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
        m_dragWindow->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_dragWindow->resize(16, 16);
    }
    m_dragWindow->setPixmap(PrimitiveImageList().value(m_dragImage).pixmap(16, 16));
    m_dragWindow->move(QCursor::pos() + QPoint(8, 8));
    m_dragWindow->show();
}

void CPrimitiveListPane::DragMove(const QPoint &viewport, bool ctrl)
{
    if (!m_dragging)
        return;
    m_dragImage = ctrl ? kDragImageCopy : kDragImageMove;
    const int height = m_tree->viewport()->height();
    Item *target = nullptr;
    if (viewport.y() < 0) {
        Item *current = Find(m_dropTarget);
        target = current ? AsItem(m_tree->itemAbove(current)) : nullptr;
        if (!target)
            target = current;
        m_dropAfter = 0;
    } else if (viewport.y() >= height) {
        Item *current = Find(m_dropTarget);
        target = current ? AsItem(m_tree->itemBelow(current)) : nullptr;
        if (!target)
            target = current;
        m_dropAfter = 0;
    } else if (Item *hit = Find(ItemAtHeight(viewport.y()))) {
        target = hit;
        if (hit->parent()) {
            while (target->parent())
                target = AsItem(target->parent());
            m_dragImage = kDragImageGroup;
        }
        m_dropAfter = 0;
    } else if (m_tree->topLevelItemCount() > 0) {
        target = AsItem(m_tree->topLevelItem(m_tree->topLevelItemCount() - 1));
        m_dropAfter = 1;
    }
    m_dropTarget = IdOf(target);
    if (target)
        m_tree->scrollToItem(target);
    ShowDragImage();
    RepaintTree();
}

void CPrimitiveListPane::EndDrag(bool ctrl)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    ShowDragImage();
    DropMarked(m_dropTarget, m_dropAfter != 0, ctrl);
    m_dropTarget = kNoTreeItem;
    m_dropAfter = 0;
    RepaintTree();
}

void CPrimitiveListPane::DropMarked(TreeItemId targetId, bool dropAfter, bool copy)
{
    Item *target = Find(targetId);
    if (!target && !dropAfter)
        return;
    if (target) {
        while (target->parent())
            target = AsItem(target->parent());
    }
    if (!m_marking) {
        CPrimitive *dragged = PrimitiveOf(m_dragItem);
        if (!dragged || Find(m_dragItem)->parent())
            return;
        dragged->SetMarked(true);
    }
    std::vector<TreeItemId> topLevel = Children();
    if (topLevel.empty())
        return;
    TreeItemId after = dropAfter ? kLast : PreviousSibling(target);
    std::vector<TreeItemId> handled;
    bool changed = false;
    const TreeItemId first = topLevel.front();
    const TreeItemId last = topLevel.back();
    for (TreeItemId id : topLevel) {
        CPrimitive *primitive = PrimitiveOf(id);
        if (!primitive || !primitive->IsMarked())
            continue;
        primitive->SetMarked(false);
        if (!copy) {
            bool stays = false;
            if (handled.empty())
                stays = after == id || (id == first && after == kNoTreeItem) || (id == last && dropAfter);
            else
                stays = PreviousSibling(Find(id)) == handled.back();
            if (stays) {
                handled.push_back(id);
                after = id;
                continue;
            }
        }
        const TreeItemId placed = MoveItem(id, kNoTreeItem, after, copy);
        if (placed == kNoTreeItem)
            continue;
        PrimitiveOf(placed)->Invalidate();
        m_modified = true;
        changed = true;
        handled.push_back(placed);
        after = placed;
    }
    if (changed && m_editor)
        m_editor->SetChanged(false);
    m_marking = false;
    if (handled.size() > 1) {
        for (TreeItemId id : handled)
            PrimitiveOf(id)->SetMarked(true);
        m_marking = true;
    }
    if (!handled.empty())
        SelectItem(handled.front());
    RepaintTree();
    UpdateEditorSelection();
}
