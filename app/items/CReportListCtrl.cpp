#include "CReportListCtrl.h"

#include "DialogUnits.h"

CReportListCtrl::CReportListCtrl(QWidget *parent, int id) : QTreeWidget(parent)
{
    SetControlId(this, id);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

void CReportListCtrl::startDrag(Qt::DropActions)
{
    if (onBeginDrag)
        onBeginDrag();
}
