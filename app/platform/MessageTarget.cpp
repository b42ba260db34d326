#include "MessageTarget.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

LRESULT SendMessage(QObject *target, unsigned message, WPARAM wParam, LPARAM lParam)
{
    auto *receiver = dynamic_cast<MessageTarget *>(target);
    return receiver ? receiver->OnMessage(message, wParam, lParam) : 0;
}

bool PostMessage(QObject *target, unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (!dynamic_cast<MessageTarget *>(target))
        return false;
    // Queued on the target itself: Qt drops the call when the target is destroyed first.
    QPointer<QObject> guard(target);
    QMetaObject::invokeMethod(
        target,
        [guard, message, wParam, lParam] {
            if (auto *receiver = dynamic_cast<MessageTarget *>(guard.data()))
                receiver->OnMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return true;
}
