#include "CGeneratorSendDropTarget.h"

#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"

CGeneratorSendDropTarget::~CGeneratorSendDropTarget()
{
    pane = nullptr;
    draggingList = nullptr;
    mainWindow = nullptr;
}

Qt::DropAction CGeneratorSendDropTarget::OnDragEnter(QWidget *, const QMimeData *, Qt::KeyboardModifiers, QPoint)
{
    draggingList = mainWindow ? mainWindow->GetDraggingDataList() : nullptr;
    // A tool owns a busy generator: nothing is sent to it meanwhile.
    if (pane && pane->GetView() && pane->GetView()->IsBusy())
        draggingList = nullptr;
    return draggingList ? Qt::CopyAction : Qt::IgnoreAction;
}

Qt::DropAction CGeneratorSendDropTarget::OnDragOver(QWidget *, const QMimeData *, Qt::KeyboardModifiers, QPoint)
{
    return draggingList ? Qt::CopyAction : Qt::IgnoreAction;
}

bool CGeneratorSendDropTarget::OnDrop(QWidget *, const QMimeData *, Qt::DropAction, QPoint)
{
    if (!draggingList || !pane)
        return false;
    pane->SendDataListSelection(draggingList);
    return true;
}

void CGeneratorSendDropTarget::OnDragLeave(QWidget *window)
{
    draggingList = nullptr;
    CDropTarget::OnDragLeave(window);
}
