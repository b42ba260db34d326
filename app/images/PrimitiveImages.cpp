#include "PrimitiveImages.h"

#include "BitmapResources.h"
#include "ResourceIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {

constexpr int kSide = 16;

void DrawArrow(QPainter &p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 254));
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(2, 12), QPoint(5, 9), QPoint(8, 14), QPoint(10, 13), QPoint(7, 8),
                            QPoint(11, 8)}));
}

// Our own picture of each image of the strip.
void DrawImage(QPainter &p, int index)
{
    const QColor ink(0, 0, 128);
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::NoBrush);
    switch (index) {
    case 0: // dot
        p.fillRect(6, 6, 4, 4, ink);
        break;
    case 1: // drag: move
        DrawArrow(p);
        break;
    case 2: // line
        p.drawLine(2, 13, 13, 2);
        break;
    case 3: // triangle
        p.drawPolygon(QPolygon({QPoint(8, 2), QPoint(14, 13), QPoint(2, 13)}));
        break;
    case 4: // rectangle
        p.drawRect(2, 3, 11, 9);
        break;
    case 5: // oval
        p.drawEllipse(1, 3, 13, 9);
        break;
    case 6: case 7: case 8: // information boxes
        p.drawRect(1, 2, 13, 11);
        for (int y = 5; y <= 5 + 2 * (index - 6 + 1); y += 2)
            p.drawLine(4, y, 11, y);
        break;
    case 9: // character box
        p.drawRect(2, 2, 11, 11);
        p.drawText(QRect(2, 2, 12, 12), Qt::AlignCenter, QStringLiteral("A"));
        break;
    case 10: // text
        p.drawText(QRect(0, 0, kSide, kSide), Qt::AlignCenter, QStringLiteral("T"));
        break;
    case 11: case 12: case 13: // grid and hatches
        for (int i = 2; i <= 14; i += 4) {
            if (index != 13)
                p.drawLine(i, 2, i, 14);
            if (index != 12)
                p.drawLine(2, i, 14, i);
        }
        break;
    case 14: case 15: case 16: // markers
        p.drawLine(8, 2, 8, 14);
        p.drawLine(2, 8, 14, 8);
        if (index > 14)
            p.drawEllipse(4, 4, 8, 8);
        if (index > 15)
            p.drawRect(2, 2, 12, 12);
        break;
    case 17: case 18: // grills
        for (int x = 2; x <= 14; x += index == 17 ? 3 : 5)
            p.drawLine(x, 2, x, 14);
        break;
    case 19: // group
        p.drawRect(1, 1, 6, 6);
        p.drawEllipse(8, 8, 6, 6);
        p.setPen(QPen(ink, 1, Qt::DotLine));
        p.drawRect(0, 0, 15, 15);
        break;
    case 20: case 21: case 22: // image options
        p.drawRect(1, 1, 13, 13);
        p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QString::number(index - 19));
        break;
    case 23: // drag: copy
        DrawArrow(p);
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(12, 2, 12, 8);
        p.drawLine(9, 5, 15, 5);
        break;
    case 24: // drag: onto a group's member
        DrawArrow(p);
        p.setPen(QPen(QColor(192, 0, 0), 2));
        p.drawEllipse(9, 1, 6, 6);
        break;
    case 25: // block copy
        p.drawRect(1, 1, 8, 8);
        p.drawRect(6, 6, 8, 8);
        break;
    default:
        break;
    }
}

QPixmap PaintStrip()
{
    QPixmap strip(kSide * kPrimitiveImageCount, kSide);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    for (int i = 0; i < kPrimitiveImageCount; ++i) {
        painter.save();
        painter.translate(i * kSide, 0);
        DrawImage(painter, i);
        painter.restore();
    }
    return strip;
}

QList<QIcon> CutStrip()
{
    QPixmap strip = LoadBitmapResource(IDB_PRIMITIVE_IMAGES);
    if (strip.width() < kSide * kPrimitiveImageCount) {
        strip = PaintStrip();
        RegisterBitmapResource(IDB_PRIMITIVE_IMAGES, strip);
    }
    QList<QIcon> images;
    for (int i = 0; i < kPrimitiveImageCount; ++i) {
        QPixmap one = strip.copy(i * kSide, 0, kSide, kSide);
        one.setMask(one.createMaskFromColor(Qt::white));
        images.append(QIcon(one));
    }
    return images;
}

} // namespace

const QList<QIcon> &PrimitiveImageList()
{
    static const QList<QIcon> images = CutStrip();
    return images;
}
