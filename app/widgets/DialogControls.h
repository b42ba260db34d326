#pragma once
// Building the link's dialogs in code: each control is created on the
// dialog, named after its id and placed in dialog units.

#include "DialogUnits.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QString>
#include <QWidget>

// No id: a label or frame that code never looks up.
inline constexpr int kNoControlId = -1;

template <class T>
T *AddControl(QWidget *dialog, int id, int x, int y, int width, int height, const QString &text = {})
{
    auto *control = new T(dialog);
    if (id != kNoControlId)
        SetControlId(control, id);
    if constexpr (requires { control->setText(text); }) {
        if (!text.isEmpty())
            control->setText(text);
    } else if constexpr (requires { control->setTitle(text); }) {
        control->setTitle(text);
    }
    PlaceControl(control, x, y, width, height);
    return control;
}

// Gives a dialog its template size in dialog units of its own font.
inline void SetDialogSize(QWidget *dialog, int width, int height)
{
    const QFont font = dialog->font();
    dialog->setFixedSize(DialogUnitsToPixelsX(font, width), DialogUnitsToPixelsY(font, height));
}

inline void CenterOnDesktop(QWidget *dialog)
{
    const QScreen *screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog->move(frame.topLeft());
}

// Text drawn in text on a filled background (an empty background keeps the
// parent's), as a static control's colour handler would give it.
inline void SetStaticColours(QWidget *control, const QColor &text, const QColor &background = {})
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text); // an edit draws its text in Text on Base
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        control->setAutoFillBackground(true);
    }
    control->setPalette(palette);
}
