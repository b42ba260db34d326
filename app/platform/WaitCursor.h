#pragma once
// Puts up the wait cursor for as long as it lives. Without a GUI application
// (a tool or test driving the link alone) it does nothing.

#include <QCursor>
#include <QGuiApplication>

class WaitCursor
{
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_set = true;
        }
    }
    ~WaitCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_set = false;
};
