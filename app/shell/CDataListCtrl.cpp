#include "CDataListCtrl.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

CDataListCtrl::CDataListCtrl(QWidget *parent) : QTreeWidget(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    // The name is changed through the item's name dialog, never in place.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
}

bool CDataListCtrl::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (trigger == AllEditTriggers || trigger == EditKeyPressed) {
        if (QTreeWidgetItem *row = itemFromIndex(index.siblingAtColumn(0)))
            emit labelEditRequested(row);
        return true;
    }
    // The view's own handling of the rest: a click on a selected row waits
    // for the double-click time and then comes back here as AllEditTriggers,
    // and a double click (which opens the editor) cancels that wait.
    return QTreeWidget::edit(index, trigger, event);
}

void CDataListCtrl::startDrag(Qt::DropActions)
{
    emit dragRequested();
}

QStringList DroppedFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

void CDataListCtrl::dragEnterEvent(QDragEnterEvent *event)
{
    if (DroppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CDataListCtrl::dragMoveEvent(QDragMoveEvent *event)
{
    if (DroppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CDataListCtrl::dropEvent(QDropEvent *event)
{
    const QStringList paths = DroppedFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}

void CDataListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    emit listClicked();
}
