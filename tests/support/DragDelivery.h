#pragma once
// What Qt's drag loop does over one widget, for tests: the offscreen
// platform has no drag loop, so a drag hook calls this from inside the drag.

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QWidget>

// Where and how a drag comes over its target.
struct DragPass {
    QPoint at;                                 // in the target's coordinates
    Qt::DropActions offered = Qt::CopyAction;  // what the source allows
    Qt::KeyboardModifiers keys = Qt::NoModifier;
    bool drop = true;                          // false: the drag leaves instead
};

// The enter; the move when the enter was taken; then the drop, or the leave
// when the target refused or pass.drop is false. Returns the action of a
// taken drop, IgnoreAction otherwise; entered tells whether the enter was taken.
inline Qt::DropAction DeliverDragPass(QWidget &target, const QMimeData *data, const DragPass &pass,
                                      bool *entered = nullptr)
{
    const Qt::DropAction proposed =
        (pass.offered & Qt::MoveAction) && !(pass.keys & Qt::ControlModifier) ? Qt::MoveAction : Qt::CopyAction;
    QDragEnterEvent enter(pass.at, pass.offered, data, Qt::LeftButton, pass.keys);
    enter.setDropAction(proposed);
    QCoreApplication::sendEvent(&target, &enter);
    if (entered)
        *entered = enter.isAccepted();
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(pass.at, pass.offered, data, Qt::LeftButton, pass.keys);
    move.setDropAction(enter.dropAction());
    QCoreApplication::sendEvent(&target, &move);
    if (!move.isAccepted() || !pass.drop) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&target, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent dropped(QPointF(pass.at), pass.offered, data, Qt::LeftButton, pass.keys);
    dropped.setDropAction(move.dropAction());
    QCoreApplication::sendEvent(&target, &dropped);
    return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
}

inline Qt::DropAction DeliverDrag(QWidget &target, const QMimeData *data, bool drop = true, bool *entered = nullptr)
{
    return DeliverDragPass(target, data, {target.rect().center(), Qt::CopyAction, Qt::NoModifier, drop}, entered);
}

inline Qt::DropAction DeliverDrag(QWidget &target, QDrag &drag, bool drop = true, bool *entered = nullptr)
{
    return DeliverDrag(target, drag.mimeData(), drop, entered);
}
