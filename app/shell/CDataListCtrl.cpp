#include "CDataListCtrl.h"

#include "CDataListView.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

CDataListCtrl::CDataListCtrl(CDataListView *view) : QTreeWidget(view), m_view(view)
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
            m_view->OnBeginLabelEdit(row);
        return true;
    }
    // The view's own handling of the rest: a click on a selected row waits
    // for the double-click time and then comes back here as AllEditTriggers,
    // and a double click (which opens the editor) cancels that wait.
    return QTreeWidget::edit(index, trigger, event);
}

void CDataListCtrl::startDrag(Qt::DropActions)
{
    m_view->OnBeginDrag();
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
    m_view->OnDropFiles(paths);
}

void CDataListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    m_view->OnClickList();
}
