#pragma once
// The Stop or Cancel of a window that runs a routine (LinkRoutines::Run): a
// click on one of its buttons during the routine's waits gets through at
// once and sets a flag the routine polls between its steps, on the port
// thread. The flag is cleared as each routine starts.

#include <QObject>
#include <QPointer>

#include <atomic>
#include <initializer_list>
#include <vector>

class QAbstractButton;

class RoutineStop
{
public:
    explicit RoutineStop(std::initializer_list<QAbstractButton*> buttons = {});
    RoutineStop(const RoutineStop&) = delete;
    RoutineStop& operator=(const RoutineStop&) = delete;

    // The buttons that stop the routine (GUI thread).
    void AddButton(QAbstractButton* button);
    const std::vector<QPointer<QAbstractButton>>& Buttons() const { return m_buttons; }

    // Any thread.
    void Request() { m_requested.store(true); }
    bool Requested() const { return m_requested.load(); }
    void Reset() { m_requested.store(false); }

private:
    std::atomic<bool> m_requested{false};
    std::vector<QPointer<QAbstractButton>> m_buttons;
    QObject m_clicks; // the buttons' connections end with it
};
