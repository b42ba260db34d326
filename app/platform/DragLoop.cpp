#include "DragLoop.h"

#include <QDrag>

DragHook g_dragHook;

Qt::DropAction RunDrag(QDrag *drag, Qt::DropActions actions)
{
    if (!g_dragHook)
        return drag->exec(actions); // Qt deletes the drag itself
    const Qt::DropAction action = g_dragHook(*drag);
    drag->deleteLater();
    return action;
}
