#include "CDataListDropTarget.h"

#include "ShellWindow.h"

#include <QTreeWidget>

CDataListDropTarget::~CDataListDropTarget()
{
    Revoke();
    draggingPane = nullptr;
    mainWindow = nullptr;
}

bool CDataListDropTarget::Register(QTreeWidget *list, std::function<void(CGeneratorDataPane *)> recall)
{
    recallFromPane = std::move(recall);
    // Drags over an item view arrive at its viewport.
    return list && RegisterOn(list->viewport());
}

Qt::DropAction CDataListDropTarget::OnDragEnter(QWidget *, const QMimeData *, Qt::KeyboardModifiers, QPoint)
{
    draggingPane = mainWindow ? mainWindow->FindDraggingDataPane() : nullptr;
    return draggingPane ? Qt::CopyAction : Qt::IgnoreAction;
}

Qt::DropAction CDataListDropTarget::OnDragOver(QWidget *, const QMimeData *, Qt::KeyboardModifiers, QPoint)
{
    return draggingPane ? Qt::CopyAction : Qt::IgnoreAction;
}

bool CDataListDropTarget::OnDrop(QWidget *, const QMimeData *, Qt::DropAction, QPoint)
{
    if (!draggingPane || !recallFromPane)
        return false;
    recallFromPane(draggingPane);
    return true;
}

void CDataListDropTarget::OnDragLeave(QWidget *window)
{
    draggingPane = nullptr;
    CDropTarget::OnDragLeave(window);
}
