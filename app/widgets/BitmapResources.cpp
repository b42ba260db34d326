#include "BitmapResources.h"

#include <QFile>
#include <QHash>
#include <QPainter>

namespace {

constexpr int kPinSize = 20;

// A drawing pin: a red head and a grey needle, lying down when not pinned
// and seen from above, pressed in, when pinned.
QPixmap PaintPin(bool pinned)
{
    QPixmap picture(kPinSize, kPinSize);
    picture.fill(QColor(192, 192, 192));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (pinned) {
        painter.setPen(QPen(QColor(96, 0, 0), 1));
        painter.setBrush(QColor(220, 0, 0));
        painter.drawEllipse(QRectF(4.5, 4.5, 11, 11));
        painter.setBrush(QColor(255, 128, 128));
        painter.drawEllipse(QRectF(7.5, 7.5, 4, 4));
        return picture;
    }
    painter.setPen(QPen(QColor(64, 64, 64), 1.5));
    painter.drawLine(QPointF(2, 10), QPointF(9, 10));
    painter.setPen(QPen(QColor(96, 0, 0), 1));
    painter.setBrush(QColor(220, 0, 0));
    painter.drawRect(QRectF(9.5, 6.5, 3, 7));
    painter.drawRect(QRectF(12.5, 4.5, 4, 11));
    return picture;
}

QHash<unsigned, QPixmap> &Table()
{
    static QHash<unsigned, QPixmap> table = [] {
        QHash<unsigned, QPixmap> painted;
        painted.insert(IDB_PIN_OUT, PaintPin(false));
        painted.insert(IDB_PIN_IN, PaintPin(true));
        return painted;
    }();
    return table;
}

} // namespace

QPixmap LoadBitmapResource(unsigned id)
{
    const QString path = QStringLiteral(":/bitmaps/%1.png").arg(id);
    if (QFile::exists(path))
        return QPixmap(path);
    return Table().value(id);
}

void RegisterBitmapResource(unsigned id, const QPixmap &picture)
{
    Table().insert(id, picture);
}
