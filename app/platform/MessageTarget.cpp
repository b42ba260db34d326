#include "MessageTarget.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <unordered_map>

namespace {

// Every live handled object. The GUI thread alone makes and deletes them.
std::unordered_map<LPARAM, Handled *> &LiveObjects()
{
    static std::unordered_map<LPARAM, Handled *> objects;
    return objects;
}

LPARAM g_lastHandle = 0;

} // namespace

Handled::Handled() : m_handle(++g_lastHandle)
{
    LiveObjects().emplace(m_handle, this);
}

Handled::Handled(const Handled &) : Handled() {}

Handled &Handled::operator=(const Handled &)
{
    return *this; // the object keeps its own handle
}

Handled::~Handled()
{
    LiveObjects().erase(m_handle);
}

Handled *Handled::Find(LPARAM handle)
{
    const auto it = LiveObjects().find(handle);
    return it == LiveObjects().end() ? nullptr : it->second;
}

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
