#include "DialogUnits.h"

#include <QFontMetrics>

namespace {

// a * b / c rounded to the nearest whole number, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont &font)
{
    // The average over the 52 letters, rounded, as dialog templates expect.
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    return {(metrics.horizontalAdvance(letters) / 26 + 1) / 2, metrics.height()};
}

int DialogUnitsToPixelsX(const QFont &font, int units)
{
    return MulDiv(units, BaseUnitsOf(font).x, 4);
}

int DialogUnitsToPixelsY(const QFont &font, int units)
{
    return MulDiv(units, BaseUnitsOf(font).y, 8);
}

QRect DialogUnitsToPixels(const QFont &font, const QRect &units)
{
    const DialogBaseUnits base = BaseUnitsOf(font);
    return QRect(MulDiv(units.x(), base.x, 4), MulDiv(units.y(), base.y, 8), MulDiv(units.width(), base.x, 4),
                 MulDiv(units.height(), base.y, 8));
}

void PlaceControl(QWidget *control, int x, int y, int width, int height)
{
    const QFont font = control->parentWidget() ? control->parentWidget()->font() : control->font();
    control->setGeometry(DialogUnitsToPixels(font, QRect(x, y, width, height)));
}

QString ControlName(int id)
{
    return QStringLiteral("id%1").arg(id);
}

void SetControlId(QWidget *control, int id)
{
    control->setObjectName(ControlName(id));
}
