#include "FormatEditorBitmaps.h"

#include "BitmapResources.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// A round lamp in the colour of the values the selector marks.
QPixmap PaintSelector(const QColor &colour)
{
    QPixmap picture(kSelectorSize, kSelectorSize);
    picture.fill(QColor(192, 192, 192));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, kSelectorSize - 3, kSelectorSize - 3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QRectF(4, 3.5, 4, 3));
    return picture;
}

// A sunken panel; focus draws a dotted frame inside it.
void PaintPanel(QPainter &p, bool focus)
{
    const QRect edge(0, 0, kSwitchWidth - 1, kSwitchHeight - 1);
    p.setPen(Qt::darkGray);
    p.drawLine(edge.topLeft(), edge.topRight());
    p.drawLine(edge.topLeft(), edge.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(edge.bottomLeft(), edge.bottomRight());
    p.drawLine(edge.topRight(), edge.bottomRight());
    if (focus) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(edge.adjusted(2, 2, -2, -2));
    }
}

// A lamp: bright green when on, dark when off.
QPixmap PaintSwitch(bool on, bool focus)
{
    QPixmap picture(kSwitchWidth, kSwitchHeight);
    picture.fill(QColor(192, 192, 192));
    QPainter p(&picture);
    PaintPanel(p, focus);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(on ? QColor(0, 255, 0) : QColor(0, 64, 0));
    p.drawEllipse(QRectF(kSwitchWidth / 2.0 - 5, kSwitchHeight / 2.0 - 5, 10, 10));
    return picture;
}

// A sync pulse that goes up (positive) or down (negative).
QPixmap PaintPolarity(bool positive, bool focus)
{
    QPixmap picture(kSwitchWidth, kSwitchHeight);
    picture.fill(QColor(192, 192, 192));
    QPainter p(&picture);
    PaintPanel(p, focus);
    const double low = positive ? 13.5 : 4.5;
    const double high = positive ? 4.5 : 13.5;
    QPainterPath pulse;
    pulse.moveTo(4, low);
    pulse.lineTo(10, low);
    pulse.lineTo(10, high);
    pulse.lineTo(16, high);
    pulse.lineTo(16, low);
    pulse.lineTo(22, low);
    p.setPen(QPen(positive ? QColor(0, 128, 0) : QColor(128, 0, 0), 2));
    p.drawPath(pulse);
    return picture;
}

void RegisterOnce(unsigned id, const QPixmap &picture)
{
    if (LoadBitmapResource(id).isNull())
        RegisterBitmapResource(id, picture);
}

} // namespace

void RegisterFormatEditorBitmaps()
{
    if (!LoadBitmapResource(IDB_POLARITY_POSITIVE_FOCUS).isNull())
        return;
    RegisterOnce(IDB_SELECT_ENTERED, PaintSelector(QColor(0, 128, 0)));
    RegisterOnce(IDB_SELECT_CALCULATED, PaintSelector(QColor(128, 0, 0)));
    RegisterOnce(IDB_SWITCH_OFF, PaintSwitch(false, false));
    RegisterOnce(IDB_SWITCH_ON, PaintSwitch(true, false));
    RegisterOnce(IDB_SWITCH_OFF_FOCUS, PaintSwitch(false, true));
    RegisterOnce(IDB_SWITCH_ON_FOCUS, PaintSwitch(true, true));
    RegisterOnce(IDB_POLARITY_POSITIVE, PaintPolarity(true, false));
    RegisterOnce(IDB_POLARITY_NEGATIVE, PaintPolarity(false, false));
    RegisterOnce(IDB_POLARITY_NEGATIVE_FOCUS, PaintPolarity(false, true));
    RegisterOnce(IDB_POLARITY_POSITIVE_FOCUS, PaintPolarity(true, true));
}
