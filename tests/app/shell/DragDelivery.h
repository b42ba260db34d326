#pragma once
// What Qt's drag loop does over one widget, for tests: the offscreen
// platform has no drag loop, so a drag hook calls this from inside the drag.

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QWidget>

// The enter; the move when the enter was taken; then the drop, or the leave
// when the target refused or drop is false. Returns the action of a taken
// drop, IgnoreAction otherwise; entered tells whether the enter was taken.
inline Qt::DropAction DeliverDrag(QWidget &target, const QMimeData *data, bool drop = true, bool *entered = nullptr)
{
    const QPoint at = target.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    if (entered)
        *entered = enter.isAccepted();
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &move);
    if (!move.isAccepted() || !drop) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&target, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &dropped);
    return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
}

inline Qt::DropAction DeliverDrag(QWidget &target, QDrag &drag, bool drop = true, bool *entered = nullptr)
{
    return DeliverDrag(target, drag.mimeData(), drop, entered);
}
