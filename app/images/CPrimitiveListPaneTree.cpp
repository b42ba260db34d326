#include "CPrimitiveListPaneTree.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QHeaderView>
#include <QToolTip>

using namespace PaneItems;

namespace {

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

QTreeWidgetItem *PaneItems::NextSibling(QTreeWidgetItem *item)
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

CPrimitiveListPane::PaneTree::PaneTree(CPrimitiveListPane *pane) : QTreeWidget(pane), m_pane(pane)
{
    setHeaderHidden(true);
    setColumnCount(1);
    // The names stand whole: the column is as wide as the longest, and the
    // pane scrolls sideways when it is narrower.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setExpandsOnDoubleClick(false);
    setItemDelegate(new MarkDelegate(this));
    setMouseTracking(false);
}

void CPrimitiveListPane::PaneTree::mousePressEvent(QMouseEvent *event)
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

void CPrimitiveListPane::PaneTree::mouseMoveEvent(QMouseEvent *event)
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

void CPrimitiveListPane::PaneTree::mouseReleaseEvent(QMouseEvent *event)
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

void CPrimitiveListPane::PaneTree::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pane->OpenSelectedProperties();
}

void CPrimitiveListPane::PaneTree::keyPressEvent(QKeyEvent *event)
{
    m_pane->SetCtrlDown(event->modifiers().testFlag(Qt::ControlModifier));
    m_pane->m_keyboardChange = true;
    QTreeWidget::keyPressEvent(event);
    m_pane->m_keyboardChange = false;
}

void CPrimitiveListPane::PaneTree::keyReleaseEvent(QKeyEvent *event)
{
    m_pane->SetCtrlDown(event->modifiers().testFlag(Qt::ControlModifier));
    QTreeWidget::keyReleaseEvent(event);
}

bool CPrimitiveListPane::PaneTree::viewportEvent(QEvent *event)
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

void CPrimitiveListPane::PaneTree::paintEvent(QPaintEvent *event)
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
