#include "CGeneratorSendDropTarget.h"

#include "GeneratorViewHost.h"

CGeneratorSendDropTarget::~CGeneratorSendDropTarget()
{
    pane = nullptr;
    host = nullptr;
}

Qt::DropAction CGeneratorSendDropTarget::OnDragEnter(QWidget *, const QMimeData *, Qt::KeyboardModifiers, QPoint)
{
    dataListDragging = host && host->IsDataListDragging();
    // A tool owns a busy generator: nothing is sent to it meanwhile.
    if (pane && pane->IsViewBusy())
        dataListDragging = false;
    return dataListDragging ? Qt::CopyAction : Qt::IgnoreAction;
}

Qt::DropAction CGeneratorSendDropTarget::OnDragOver(QWidget *, const QMimeData *, Qt::KeyboardModifiers, QPoint)
{
    return dataListDragging ? Qt::CopyAction : Qt::IgnoreAction;
}

bool CGeneratorSendDropTarget::OnDrop(QWidget *, const QMimeData *, Qt::DropAction, QPoint)
{
    if (!dataListDragging || !pane)
        return false;
    pane->SendDataListSelection();
    return true;
}

void CGeneratorSendDropTarget::OnDragLeave(QWidget *window)
{
    dataListDragging = false;
    CDropTarget::OnDragLeave(window);
}
