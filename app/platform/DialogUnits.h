#pragma once
// Dialogs are laid out in dialog units, converted to pixels with the dialog
// font (a horizontal unit is a quarter of the font's average character
// width, a vertical one an eighth of its height); each control carries its
// numeric id as its object name ("id1004") so code and tests find it.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

struct DialogBaseUnits {
    int x = 0; // average character width, pixels
    int y = 0; // character height, pixels
};

DialogBaseUnits BaseUnitsOf(const QFont &font);

// Dialog units to pixels for that font, rounded to the nearest pixel.
int DialogUnitsToPixelsX(const QFont &font, int units);
int DialogUnitsToPixelsY(const QFont &font, int units);
QRect DialogUnitsToPixels(const QFont &font, const QRect &units);

// Places control at the dialog-unit rectangle (x, y, width, height), in the
// units of its parent's font.
void PlaceControl(QWidget *control, int x, int y, int width, int height);

QString ControlName(int id); // "id1004"
void SetControlId(QWidget *control, int id);
// The control with that id among parent's descendants, or nullptr.
template <class T = QWidget>
T *FindControl(const QWidget *parent, int id)
{
    return parent ? parent->findChild<T *>(ControlName(id)) : nullptr;
}
