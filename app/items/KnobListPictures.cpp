#include "KnobListPictures.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

struct Picture {
    QColor colour;
    const char *letter;
};

// By kind; the colours of the main window's kind icons.
const Picture kPictures[] = {
    {QColor(150, 150, 150), "?"}, {QColor(30, 100, 180), "F"}, {QColor(180, 60, 140), "I"},
    {QColor(60, 140, 140), "S"},  {QColor(150, 150, 150), "?"}, {QColor(200, 120, 20), "*"},
};

QIcon Paint(const Picture &p)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(p.colour);
    painter.setPen(p.colour.darker());
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(p.letter));
    return QIcon(pixmap);
}

} // namespace

QIcon KindPicture(int kind)
{
    static QHash<int, QIcon> cache;
    const int index = kind >= 1 && kind <= 5 ? kind : 0;
    if (!cache.contains(index))
        cache.insert(index, Paint(kPictures[index]));
    return cache.value(index);
}
