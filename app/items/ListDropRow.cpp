#include "ListDropRow.h"

#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int kScrollMargin = 3;

} // namespace

ListDropRow TrackListDropRow(QTreeWidget *list, QPoint point)
{
    ListDropRow drop;
    const int last = list->topLevelItemCount() - 1;
    QWidget *viewport = list->viewport();
    const QModelIndex top = list->indexAt(QPoint(5, 1));
    if (point.y() < 0) {
        drop.row = top.isValid() ? std::max(top.row() - 1, 0) : -1;
    } else if (point.y() >= viewport->height()) {
        const QModelIndex bottom = list->indexAt(QPoint(5, viewport->height() - 1));
        drop.row = bottom.isValid() ? bottom.row() : last;
    } else if (const QModelIndex hit = list->indexAt(point); hit.isValid()) {
        drop.row = hit.row();
    } else {
        drop.append = true;
    }
    drop.highlight = drop.append ? last : drop.row;
    QScrollBar *bar = list->verticalScrollBar();
    if (top.isValid() && point.y() < list->visualRect(top).top() && bar->value() > bar->minimum())
        bar->setValue(bar->value() - 1);
    else if (point.y() >= viewport->height() - kScrollMargin && bar->value() < bar->maximum())
        bar->setValue(bar->value() + 1);
    return drop;
}
