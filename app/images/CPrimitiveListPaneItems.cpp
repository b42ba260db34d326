// The tree's items: made, linked to their primitives, moved and removed,
// with each primitive's remembered place kept up.

#include "CPrimitiveListPane.h"

#include "CPrimitiveListPaneTree.h"
#include "PrimitiveImages.h"

using namespace PaneItems;

CPrimitiveListPane::Item *CPrimitiveListPane::NewItem(const QString &text, int icon, TreeItemId parent,
                                                      TreeItemId insertAfter)
{
    Item *parentItem = Find(parent);
    if (parent != kNoTreeItem && !parentItem)
        return nullptr;
    int index = 0;
    if (insertAfter == kLast) {
        index = parentItem ? parentItem->childCount() : m_tree->topLevelItemCount();
    } else if (insertAfter != kNoTreeItem) {
        Item *after = Find(insertAfter);
        // The tree refuses an insert-after that has gone or stands elsewhere.
        if (!after || after->parent() != parentItem)
            return nullptr;
        index = (parentItem ? parentItem->indexOfChild(after) : m_tree->indexOfTopLevelItem(after)) + 1;
    }
    const TreeItemId id = m_nextId++;
    auto *item = new Item(this, id);
    m_items.insert(id, item);
    item->setText(0, text);
    const QList<QIcon> &images = PrimitiveImageList();
    item->setIcon(0, icon >= 0 && icon < images.size() ? images[icon] : images[0]);
    item->setData(0, Qt::UserRole, icon);
    if (parentItem) {
        parentItem->insertChild(index, item);
        parentItem->setExpanded(true);
    } else {
        m_tree->insertTopLevelItem(index, item);
    }
    return item;
}

void CPrimitiveListPane::LinkItem(TreeItemId id, CPrimitive *primitive)
{
    Item *item = Find(id);
    if (!item || !primitive)
        return;
    item->primitive = primitive;
    primitive->SetListPane(this);
    primitive->SetTreeItem(id);
    primitive->SetParentItem(IdOf(item->parent()));
    primitive->SetInsertAfter(PreviousSibling(item));
    // Only a group's members are frozen: whatever stands at the top level
    // (a pasted or dropped copy of a member) can be edited.
    if (!item->parent())
        primitive->SetLocked(false);
}

void CPrimitiveListPane::RememberPlace(QTreeWidgetItem *item)
{
    if (CPrimitive *primitive = PrimitiveOfItem(item)) {
        primitive->SetParentItem(IdOf(item->parent()));
        primitive->SetInsertAfter(PreviousSibling(item));
    }
}

void CPrimitiveListPane::FixNextPredecessor(QTreeWidgetItem *item)
{
    if (QTreeWidgetItem *next = NextSibling(item)) {
        if (CPrimitive *primitive = PrimitiveOfItem(next))
            primitive->SetInsertAfter(IdOf(item));
    }
}

void CPrimitiveListPane::ClearSelectionWithin(QTreeWidgetItem *item)
{
    for (QTreeWidgetItem *p = m_tree->currentItem(); p; p = p->parent()) {
        if (p == item) {
            m_tree->setCurrentItem(nullptr);
            return;
        }
    }
}

void CPrimitiveListPane::DeleteItem(TreeItemId id)
{
    Item *item = Find(id);
    CPrimitive *primitive = item ? item->primitive : nullptr;
    if (!primitive)
        return;
    primitive->Invalidate();
    for (int i = 0; i < item->childCount(); ++i)
        DeleteSubtreePrimitives(item->child(i));
    primitive->ReleaseMembers();
    RemoveItem(id);
    delete primitive;
}

bool CPrimitiveListPane::RemoveItem(TreeItemId id)
{
    Item *item = Find(id);
    if (!item)
        return false;
    if (QTreeWidgetItem *next = NextSibling(item)) {
        if (CPrimitive *primitive = PrimitiveOfItem(next))
            primitive->SetInsertAfter(PreviousSibling(item));
    }
    ClearSelectionWithin(item);
    delete item;
    return true;
}

TreeItemId CPrimitiveListPane::MoveItem(TreeItemId id, TreeItemId newParent, TreeItemId insertAfter, bool copy,
                                        CPrimitive *given)
{
    Item *old = Find(id);
    if (!old || !old->primitive)
        return kNoTreeItem;
    const QString text = old->text(0);
    const int icon = old->data(0, Qt::UserRole).toInt();
    CPrimitive *primitive = old->primitive;
    std::unique_ptr<CPrimitive> clone;
    if (!copy) {
        primitive->Deselect();
    } else if (given) {
        primitive = given;
    } else {
        clone.reset(primitive->Clone());
        if (!clone)
            return kNoTreeItem;
        clone->SetCanvas(m_canvas);
        clone->SetStatusBar(m_statusBar);
        primitive = clone.get();
    }
    Item *item = NewItem(text, icon, newParent, insertAfter);
    if (!item)
        return kNoTreeItem;
    const TreeItemId newId = item->Id();
    (void)clone.release(); // the tree holds it now
    LinkItem(newId, primitive);
    FixNextPredecessor(item);
    std::vector<TreeItemId> children;
    for (int i = 0; i < old->childCount(); ++i)
        children.push_back(IdOf(old->child(i)));
    const bool copiedGroup = copy && !given && primitive->IsGroup();
    for (size_t i = 0; i < children.size(); ++i) {
        CPrimitive *member = copiedGroup ? primitive->Member(int(i)) : nullptr;
        MoveItem(children[i], newId, kLast, copy, member);
    }
    if (copy) {
        primitive->SetOwnsMembers(false);
    } else {
        RemoveItem(id);
        // Placed next to its old item, the primitive was its own neighbour.
        RememberPlace(item);
        FixNextPredecessor(item);
    }
    return newId;
}

TreeItemId CPrimitiveListPane::InsertItemTree(CPrimitive *primitive, TreeItemId parent)
{
    Item *item = NewItem(primitive->GetTypeName(), primitive->Type(), parent, kLast);
    if (!item)
        return kNoTreeItem;
    const TreeItemId id = item->Id();
    LinkItem(id, primitive);
    for (int i = 0; i < primitive->MemberCount(); ++i) {
        if (CPrimitive *member = primitive->Member(i))
            InsertItemTree(member, id);
    }
    primitive->SetOwnsMembers(false);
    primitive->Invalidate();
    return id;
}

std::vector<TreeItemId> CPrimitiveListPane::InsertCopies(const PrimitiveArray &array)
{
    std::vector<TreeItemId> items;
    for (const auto &entry : array) {
        std::unique_ptr<CPrimitive> clone(entry ? entry->Clone() : nullptr);
        if (!clone)
            continue;
        clone->SetStatusBar(m_statusBar);
        clone->SetCanvas(m_canvas);
        const TreeItemId id = InsertItemTree(clone.get(), kNoTreeItem);
        if (id == kNoTreeItem)
            continue;
        (void)clone.release();
        items.push_back(id);
    }
    return items;
}

void CPrimitiveListPane::StoreToArray(PrimitiveArray &array)
{
    CopyTopLevel(array);
    m_modified = false;
}

void CPrimitiveListPane::CopyTopLevel(PrimitiveArray &array) const
{
    array.clear();
    array.reserve(size_t(m_tree->topLevelItemCount()));
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i));
        std::unique_ptr<CPrimitive> clone(primitive ? primitive->Clone() : nullptr);
        if (!clone)
            continue;
        clone->Deselect();
        array.push_back(std::move(clone));
    }
}
