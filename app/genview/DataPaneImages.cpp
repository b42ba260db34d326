#include "DataPaneImages.h"

#include "DataPaneKinds.h"
#include "ShellImages.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

QIcon PaintMark(int index)
{
    struct Mark {
        int index;
        QColor colour;
        const char *letter;
    };
    static const Mark kMarks[] = {
        {DataPaneKinds::kIconUserFormat, QColor(30, 140, 60), "U"},
        {DataPaneKinds::kIconBuiltInFormat, QColor(110, 110, 110), "B"},
        {DataPaneKinds::kIconFormatNotHeld, QColor(190, 40, 40), "?"},
    };
    for (const Mark &m : kMarks) {
        if (m.index != index)
            continue;
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setBrush(m.colour);
        painter.setPen(m.colour.darker());
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(10);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(m.letter));
        painter.end();
        return QIcon(pixmap);
    }
    return QIcon();
}

} // namespace

QIcon DataPaneImage(int index)
{
    const QList<QIcon> &images = ShellImageList();
    if (index >= 0 && index < images.size() && !images[index].isNull())
        return images[index];
    return PaintMark(index);
}

QIcon DataPaneRowIcon(bool user, int kind)
{
    static QHash<int, QIcon> cache;
    const int key = (user ? 1000 : 0) + kind;
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pixmap(32, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int mark = user ? DataPaneKinds::kIconUserFormat : DataPaneKinds::kIconBuiltInFormat;
    painter.drawPixmap(0, 0, DataPaneImage(mark).pixmap(16, 16));
    painter.drawPixmap(16, 0, DataPaneImage(kind).pixmap(16, 16));
    painter.end();
    return cache[key] = QIcon(pixmap);
}
