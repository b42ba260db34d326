#pragma once
// The list pane's tree control and its items, shared by the pane's files:
// an item knows its id and its primitive; the control turns clicks, Ctrl,
// drags of items and info tips into the pane's operations.

#include "CPrimitiveListPane.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

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

// The tree control: clicks, Ctrl, the drag of items with its insertion
// line, and the info tips.
class CPrimitiveListPane::PaneTree : public QTreeWidget {
public:
    explicit PaneTree(CPrimitiveListPane *pane);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    // The insertion mark: a line before the drop target, or after it when
    // the drop goes to the end.
    void paintEvent(QPaintEvent *event) override;

private:
    CPrimitiveListPane *m_pane;
    TreeItemId m_pressItem = kNoTreeItem;
    QPoint m_pressPoint;
};

namespace PaneItems {

inline CPrimitiveListPane::Item *AsItem(QTreeWidgetItem *item)
{
    return static_cast<CPrimitiveListPane::Item *>(item);
}

inline CPrimitive *PrimitiveOfItem(QTreeWidgetItem *item)
{
    return item ? AsItem(item)->primitive : nullptr;
}

inline TreeItemId IdOf(const QTreeWidgetItem *item)
{
    return item ? static_cast<const CPrimitiveListPane::Item *>(item)->Id() : kNoTreeItem;
}

// The item after item on its level, or none.
QTreeWidgetItem *NextSibling(QTreeWidgetItem *item);

} // namespace PaneItems
