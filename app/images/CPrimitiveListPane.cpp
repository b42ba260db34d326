#include "CPrimitiveListPane.h"

#include "CPrimitiveListPaneTree.h"
#include "DialogUnits.h"
#include "ListPaneEditorLink.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "imeUndo.h"

#include <QVBoxLayout>

#include <utility>

using namespace PaneItems;

namespace {

// The longest info tip the tree shows.
constexpr int kInfoTipSize = 1023;

} // namespace

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

// --- Telling the editor --------------------------------------------------------------------------

void CPrimitiveListPane::UpdateEditorSelection()
{
    if (m_batchDepth > 0) {
        m_batchSelection = true;
        return;
    }
    if (m_editor)
        m_editor->OnSelectionChanged(SelectedPrimitive(), MarkedCount());
}

void CPrimitiveListPane::ShowSelectedStatus(CPrimitive &primitive)
{
    if (m_batchDepth > 0)
        m_batchSelection = true;
    else
        primitive.ShowStatus();
}

// --- Batches -------------------------------------------------------------------------------

void CPrimitiveListPane::BeginBatch()
{
    ++m_batchDepth;
}

void CPrimitiveListPane::EndBatch()
{
    if (--m_batchDepth == 0)
        FinishBatch();
}

void CPrimitiveListPane::FinishBatch()
{
    if (!std::exchange(m_batchSelection, false))
        return;
    const TreeItemId wanted = std::exchange(m_batchCurrent, kNoTreeItem);
    if (Item *item = Find(wanted); item && item != m_tree->currentItem()) {
        SelectItem(wanted); // the change of the current item shows its line and tells the editor
        return;
    }
    if (QTreeWidgetItem *current = m_tree->currentItem())
        m_tree->scrollToItem(current);
    if (CPrimitive *selected = SelectedPrimitive())
        selected->ShowStatus();
    UpdateEditorSelection();
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
    if (m_batchDepth > 0) {
        m_batchCurrent = id;
        m_batchSelection = true;
        return;
    }
    Item *item = Find(id);
    if (item)
        m_tree->scrollToItem(item);
    m_tree->setCurrentItem(item);
}

void CPrimitiveListPane::OnCurrentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (CPrimitive *primitive = PrimitiveOfItem(current)) {
        primitive->Select();
        ShowSelectedStatus(*primitive);
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
