#include "CPrimitiveListPane.h"

#include "CCanvas.h"
#include "DialogUnits.h"
#include "ListPaneEditorLink.h"
#include "PrimitiveImages.h"
#include "PrimitiveTypes.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "imeUndo.h"

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QLabel>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <typeinfo>

// An item of the tree: its id and its primitive. Qt deletes an item's
// children with it; each takes its id out of the pane's table as it goes.
class CPrimitiveListPane::Item : public QTreeWidgetItem {
public:
    Item(CPrimitiveListPane *pane, TreeItemId id) : m_pane(pane), m_id(id) {}
    ~Item() override { m_pane->m_items.remove(m_id); }

    TreeItemId Id() const { return m_id; }
    CPrimitive *primitive = nullptr;

private:
    CPrimitiveListPane *m_pane;
    TreeItemId m_id;
};

namespace {

// The longest info tip the tree shows.
constexpr int kInfoTipSize = 1023;

CPrimitiveListPane::Item *AsItem(QTreeWidgetItem *item)
{
    return static_cast<CPrimitiveListPane::Item *>(item);
}

CPrimitive *PrimitiveOfItem(QTreeWidgetItem *item)
{
    return item ? AsItem(item)->primitive : nullptr;
}

TreeItemId IdOf(const QTreeWidgetItem *item)
{
    return item ? static_cast<const CPrimitiveListPane::Item *>(item)->Id() : kNoTreeItem;
}

QTreeWidgetItem *NextSibling(QTreeWidgetItem *item)
{
    QTreeWidgetItem *parent = item->parent();
    QTreeWidget *tree = item->treeWidget();
    if (parent) {
        const int index = parent->indexOfChild(item);
        return index + 1 < parent->childCount() ? parent->child(index + 1) : nullptr;
    }
    const int index = tree->indexOfTopLevelItem(item);
    return index + 1 < tree->topLevelItemCount() ? tree->topLevelItem(index + 1) : nullptr;
}

// Marked items in their own colours: black on red while selected, else
// white on dark red.
class MarkDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        auto *tree = static_cast<QTreeWidget *>(parent());
        QTreeWidgetItem *item = tree->itemFromIndex(index);
        const CPrimitive *primitive = PrimitiveOfItem(item);
        if (!primitive || !primitive->IsMarked() || item->parent())
            return;
        const bool selected = tree->currentItem() == item;
        option->state &= ~QStyle::State_Selected;
        option->palette.setColor(QPalette::Text, selected ? Qt::black : Qt::white);
        option->backgroundBrush = selected ? QColor(255, 0, 0) : QColor(128, 0, 0);
    }
};

} // namespace

// The tree control: clicks, Ctrl, the drag of items with its insertion
// line, and the info tips.
class CPrimitiveListPane::PaneTree : public QTreeWidget {
public:
    explicit PaneTree(CPrimitiveListPane *pane) : QTreeWidget(pane), m_pane(pane)
    {
        setHeaderHidden(true);
        setColumnCount(1);
        setRootIsDecorated(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setDragEnabled(false);
        setExpandsOnDoubleClick(false);
        setItemDelegate(new MarkDelegate(this));
        setMouseTracking(false);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        m_pane->SetCtrlDown(ctrl);
        if (event->button() != Qt::LeftButton) {
            QTreeWidget::mousePressEvent(event);
            return;
        }
        QTreeWidgetItem *item = itemAt(event->position().toPoint());
        // The expand button keeps its own behaviour.
        if (item && event->position().x() < visualItemRect(item).left()) {
            QTreeWidget::mousePressEvent(event);
            return;
        }
        m_pressItem = IdOf(item);
        m_pressPoint = event->position().toPoint();
        m_pane->OnTreeClick(m_pressItem, ctrl);
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        m_pane->SetCtrlDown(ctrl);
        if (m_pane->IsDragging()) {
            m_pane->DragMove(event->position().toPoint(), ctrl);
            return;
        }
        if (event->buttons().testFlag(Qt::LeftButton) && m_pressItem != kNoTreeItem &&
            (event->position().toPoint() - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
            m_pane->BeginDrag(m_pressItem, ctrl);
            if (m_pane->IsDragging())
                m_pane->DragMove(event->position().toPoint(), ctrl);
        }
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        m_pane->SetCtrlDown(ctrl);
        m_pressItem = kNoTreeItem;
        if (m_pane->IsDragging() && event->button() == Qt::LeftButton) {
            m_pane->EndDrag(ctrl);
            return;
        }
        QTreeWidget::mouseReleaseEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_pane->OpenSelectedProperties();
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        m_pane->SetCtrlDown(event->modifiers().testFlag(Qt::ControlModifier));
        m_pane->m_keyboardChange = true;
        QTreeWidget::keyPressEvent(event);
        m_pane->m_keyboardChange = false;
    }

    void keyReleaseEvent(QKeyEvent *event) override
    {
        m_pane->SetCtrlDown(event->modifiers().testFlag(Qt::ControlModifier));
        QTreeWidget::keyReleaseEvent(event);
    }

    bool viewportEvent(QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto *help = static_cast<QHelpEvent *>(event);
            const QString tip = m_pane->IsDragging() ? QString() : m_pane->InfoTip(IdOf(itemAt(help->pos())));
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), tip, viewport());
            return true;
        }
        return QTreeWidget::viewportEvent(event);
    }

    // The insertion mark: a line before the drop target, or after it when
    // the drop goes to the end.
    void paintEvent(QPaintEvent *event) override
    {
        QTreeWidget::paintEvent(event);
        if (!m_pane->IsDragging())
            return;
        Item *target = m_pane->Find(m_pane->DropTarget());
        if (!target)
            return;
        const QRect row = visualItemRect(target);
        const int y = m_pane->IsDropAfter() ? row.bottom() : row.top();
        QPainter painter(viewport());
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(row.left(), y, viewport()->width(), y);
    }

private:
    CPrimitiveListPane *m_pane;
    TreeItemId m_pressItem = kNoTreeItem;
    QPoint m_pressPoint;
};

// --- Creation ---------------------------------------------------------------------------------

CPrimitiveListPane::CPrimitiveListPane(QWidget *parent) : QWidget(parent), m_tree(new PaneTree(this))
{
    SetControlId(m_tree, IDC_PRIMITIVE_TREE);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    m_tree->setIconSize(QSize(16, 16));
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *previous) { OnCurrentChanged(current, previous); });
}

CPrimitiveListPane::~CPrimitiveListPane()
{
    m_undo.reset();
    m_tree->blockSignals(true); // the tree goes with its signals off
    DeleteAllPrimitives();
    delete m_tree; // its items leave the table while the table still exists
    m_tree = nullptr;
}

void CPrimitiveListPane::DeleteAllPrimitives()
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        DeleteSubtreePrimitives(m_tree->topLevelItem(i));
}

// Members before their group: a group in the tree does not own them.
void CPrimitiveListPane::DeleteSubtreePrimitives(QTreeWidgetItem *item)
{
    for (int i = 0; i < item->childCount(); ++i)
        DeleteSubtreePrimitives(item->child(i));
    Item *own = AsItem(item);
    if (CPrimitive *primitive = own->primitive) {
        own->primitive = nullptr;
        primitive->ReleaseMembers();
        delete primitive;
    }
}

QTreeWidget *CPrimitiveListPane::Tree() const { return m_tree; }

// --- Lookup --------------------------------------------------------------------------------------

CPrimitiveListPane::Item *CPrimitiveListPane::Find(TreeItemId id) const
{
    return id > 0 ? m_items.value(id, nullptr) : nullptr;
}

CPrimitive *CPrimitiveListPane::PrimitiveOf(TreeItemId item) const
{
    const Item *found = Find(item);
    return found ? found->primitive : nullptr;
}

TreeItemId CPrimitiveListPane::SelectedItem() const
{
    return IdOf(m_tree->currentItem());
}

CPrimitive *CPrimitiveListPane::SelectedPrimitive() const
{
    return PrimitiveOfItem(m_tree->currentItem());
}

std::vector<TreeItemId> CPrimitiveListPane::Children(TreeItemId parent) const
{
    std::vector<TreeItemId> ids;
    if (parent == kNoTreeItem) {
        for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
            ids.push_back(IdOf(m_tree->topLevelItem(i)));
    } else if (const Item *item = Find(parent)) {
        for (int i = 0; i < item->childCount(); ++i)
            ids.push_back(IdOf(item->child(i)));
    }
    return ids;
}

TreeItemId CPrimitiveListPane::ParentOf(TreeItemId item) const
{
    const Item *found = Find(item);
    return found ? IdOf(found->parent()) : kNoTreeItem;
}

int CPrimitiveListPane::MarkedCount() const
{
    int count = 0;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i));
        count += primitive && primitive->IsMarked() ? 1 : 0;
    }
    return count;
}

TreeItemId CPrimitiveListPane::PreviousSibling(const QTreeWidgetItem *item) const
{
    const QTreeWidgetItem *parent = item->parent();
    const int index = parent ? parent->indexOfChild(const_cast<QTreeWidgetItem *>(item))
                             : m_tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(item));
    if (index <= 0)
        return kNoTreeItem;
    return IdOf(parent ? parent->child(index - 1) : m_tree->topLevelItem(index - 1));
}

// --- Bookkeeping -----------------------------------------------------------------------------------

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
    m_modified = false;
}

// --- Telling the editor --------------------------------------------------------------------------

void CPrimitiveListPane::UpdateEditorSelection()
{
    if (m_editor)
        m_editor->OnSelectionChanged(SelectedPrimitive(), MarkedCount());
}

void CPrimitiveListPane::Changed()
{
    m_modified = true;
    if (m_editor)
        m_editor->SetChanged(false);
}

void CPrimitiveListPane::RepaintTree()
{
    m_tree->viewport()->update();
}

// --- Selection and marking ------------------------------------------------------------------------

void CPrimitiveListPane::SelectItem(TreeItemId id)
{
    Item *item = Find(id);
    if (item)
        m_tree->scrollToItem(item);
    m_tree->setCurrentItem(item);
}

void CPrimitiveListPane::OnCurrentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (CPrimitive *primitive = PrimitiveOfItem(current)) {
        primitive->Select();
        primitive->ShowStatus();
        if (m_keyboardChange && m_marking)
            UnmarkAll();
    } else if (m_statusBar) {
        m_statusBar->showMessage(LoadString(IDS_NO_SELECTION));
    }
    UpdateEditorSelection();
    if (CPrimitive *old = PrimitiveOfItem(previous))
        old->Deselect();
}

void CPrimitiveListPane::UnmarkAll()
{
    m_marking = false;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i)))
            primitive->SetMarked(false);
    }
    RepaintTree();
    if (m_editor)
        m_editor->OnSelectionChanged(nullptr, 0);
}

void CPrimitiveListPane::OnTreeClick(TreeItemId id, bool ctrl)
{
    Item *item = Find(id);
    if (!ctrl) {
        if (item)
            SelectItem(id);
        if (m_marking) {
            UnmarkAll();
            UpdateEditorSelection();
        }
        return;
    }
    if (!item) {
        m_tree->setCurrentItem(nullptr);
        return;
    }
    SelectItem(id);
    if (item->parent() || !item->primitive)
        return;
    item->primitive->SetMarked(!item->primitive->IsMarked());
    m_marking = MarkedCount() > 0;
    RepaintTree();
    UpdateEditorSelection();
}

void CPrimitiveListPane::SelectAtPoint(const QPoint &client, bool ctrl)
{
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *item = m_tree->topLevelItem(i);
        CPrimitive *primitive = PrimitiveOfItem(item);
        if (!primitive || !primitive->HitTest(client))
            continue;
        SelectItem(IdOf(item));
        if (ctrl) {
            primitive->SetMarked(!primitive->IsMarked());
            m_marking = MarkedCount() > 0;
            UpdateEditorSelection();
        } else if (m_marking) {
            UnmarkAll();
        }
        RepaintTree();
        return;
    }
    m_tree->setCurrentItem(nullptr);
}

void CPrimitiveListPane::MarkInRect(const QRect &client)
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i));
        if (primitive && primitive->IntersectsRect(client)) {
            primitive->SetMarked(true);
            m_marking = true;
        }
    }
    if (!m_marking)
        return;
    RepaintTree();
    m_tree->setCurrentItem(nullptr);
    UpdateEditorSelection();
}

void CPrimitiveListPane::OpenSelectedProperties()
{
    if (m_editor)
        m_editor->OpenSelectedProperties(SelectedPrimitive(), MarkedCount());
}

QString CPrimitiveListPane::InfoTip(TreeItemId item) const
{
    const CPrimitive *primitive = PrimitiveOf(item);
    return primitive ? primitive->GetCommandText().left(kInfoTipSize) : QString();
}

TreeItemId CPrimitiveListPane::ItemAtHeight(int y) const
{
    return IdOf(m_tree->itemAt(QPoint(1, y)));
}

// --- The canvas's operations --------------------------------------------------------------------------

void CPrimitiveListPane::DrawAll(QPainter &painter, const QRect &update)
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i)))
            primitive->Draw(painter, update);
    }
}

void CPrimitiveListPane::NudgeSelected(int dx, int dy)
{
    CPrimitive *primitive = SelectedPrimitive();
    if (!primitive || primitive->IsLocked())
        return;
    primitive->Invalidate();
    primitive->Offset(dx, dy);
    primitive->Invalidate();
    primitive->ShowStatus();
    Changed();
}

bool CPrimitiveListPane::SnapToPrimitives(QPoint &image)
{
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i) {
        CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i));
        if (primitive && primitive->SnapPoint(image))
            return true;
    }
    return false;
}

void CPrimitiveListPane::ScaleAll(double sx, double sy)
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (CPrimitive *primitive = PrimitiveOfItem(m_tree->topLevelItem(i)))
            primitive->Scale(sx, sy);
    }
}

void CPrimitiveListPane::HoldModifyUndo(const CPrimitive &primitive)
{
    SetUndo(imeUndoModify(primitive));
}

// --- Editing ------------------------------------------------------------------------------------------------

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

void CPrimitiveListPane::CutCopyDelete(int mode)
{
    if (mode != kCut && mode != kCopy && mode != kDelete)
        return;
    PrimitiveClipboard &clipboard = PrimitiveClipboard::Instance();
    std::vector<TreeItemId> handled;
    if (m_marking) {
        for (TreeItemId id : Children()) {
            const CPrimitive *primitive = PrimitiveOf(id);
            if (primitive && primitive->IsMarked())
                handled.push_back(id);
        }
    } else if (CPrimitive *selected = SelectedPrimitive()) {
        // A frozen member can be copied, never cut or deleted.
        if (mode != kCopy && selected->IsLocked())
            return;
        handled.push_back(SelectedItem());
    } else {
        return;
    }
    const bool wasMarking = m_marking;
    if (mode != kDelete)
        ClearPrimitiveClipboard();
    if (mode == kDelete)
        m_marking = false;
    imeUndoMultiple multiple;
    std::unique_ptr<imeUndo> single;
    for (TreeItemId id : handled) {
        Item *item = Find(id);
        CPrimitive *primitive = item->primitive;
        std::unique_ptr<imeUndo> record;
        RememberPlace(item);
        if (mode == kCut) {
            primitive->SetMarked(false);
            primitive->Invalidate();
            RemoveItem(id);
            const int index = clipboard.Append(std::unique_ptr<CPrimitive>(primitive));
            record = std::make_unique<imeUndoCut>(*primitive, index, clipboard.Generation());
            // Detached: the clipboard outlives this pane and its canvas.
            primitive->Deselect();
            primitive->SetCanvas(nullptr);
            primitive->SetStatusBar(nullptr);
            primitive->SetListPane(nullptr);
        } else if (mode == kCopy) {
            std::unique_ptr<CPrimitive> clone(primitive->Clone());
            if (!clone)
                continue;
            const int index = clipboard.Append(std::move(clone));
            record = std::make_unique<imeUndoCopy>(index, clipboard.Generation());
        } else {
            primitive->SetMarked(false);
            record = std::make_unique<imeUndoDelete>(*primitive);
            primitive->Invalidate();
            for (int i = 0; i < item->childCount(); ++i)
                DeleteSubtreePrimitives(item->child(i));
            primitive->ReleaseMembers();
            RemoveItem(id);
            delete primitive;
        }
        m_modified = true;
        if (wasMarking)
            multiple.Add(*record);
        else
            single = std::move(record);
    }
    if (single)
        SetUndo(*single);
    else if (multiple.Count() > 0)
        SetUndo(multiple);
    if (m_editor && mode != kCopy)
        m_editor->SetChanged(false);
    RepaintTree();
    UpdateEditorSelection();
}

void CPrimitiveListPane::Paste()
{
    const PrimitiveClipboard &clipboard = PrimitiveClipboard::Instance();
    if (clipboard.IsEmpty())
        return;
    std::vector<TreeItemId> items = InsertCopies(clipboard.Entries());
    SetUndo(imeUndoPaste(std::move(items)));
    Changed();
    UpdateEditorSelection();
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

// --- Undo ---------------------------------------------------------------------------------------------------

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
    primitive.ShowStatus();
    Changed();
    UpdateEditorSelection();
    return true;
}

bool CPrimitiveListPane::DestroyPrimitive(TreeItemId id)
{
    Item *item = Find(id);
    if (!item || !item->primitive)
        return false;
    CPrimitive *primitive = item->primitive;
    primitive->Invalidate();
    for (int i = 0; i < item->childCount(); ++i)
        DeleteSubtreePrimitives(item->child(i));
    primitive->ReleaseMembers();
    RemoveItem(id);
    delete primitive;
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

bool CPrimitiveListPane::RemoveClipboardEntry(int index, quint64 generation)
{
    return PrimitiveClipboard::Instance().Remove(index, generation);
}

// --- Dragging in the tree -----------------------------------------------------------------------------------

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
