#pragma once
// Typing into a widget as a user does.

#include <QString>
#include <QTest>
#include <QWidget>

// Types each character as a key carrying that text, as a keyboard of any language would.
inline void Type(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(0), QString(c), Qt::NoModifier);
}
