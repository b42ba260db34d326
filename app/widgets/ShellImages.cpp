#include "ShellImages.h"

#include "BitmapResources.h"
#include "StringTable.h"

#include <QHash>
#include <QBitmap>
#include <QPainter>
#include <QPixmap>

namespace {


struct Painted {
    int index;
    QColor colour;
    const char *letter;
};

// Stand-ins drawn when the program carries no bitmap 130.
const Painted kPainted[] = {
    {kImageIdBadge, QColor(70, 110, 170), "#"},  {kMarkModified, QColor(200, 40, 40), "*"},
    {kMarkEditorOpen, QColor(40, 120, 200), "E"}, {kImageStandAlone, QColor(90, 90, 90), "U"},
    {kImageCard, QColor(30, 130, 60), "C"},       {kIconKnobList, QColor(150, 100, 30), "K"},
    {kImageClock, QColor(90, 90, 160), "T"},      {kIconFormat, QColor(30, 100, 180), "F"},
    {kIconImage, QColor(180, 60, 140), "I"},      {kIconSequence, QColor(60, 140, 140), "S"},
    {kImageUnit, QColor(90, 90, 90), "G"},        {kImageChip, QColor(40, 40, 40), "V"},
    {kImageConnector, QColor(120, 120, 40), "P"}, {kIconFont, QColor(100, 60, 160), "A"},
    {kIconPixelMap, QColor(200, 120, 20), "M"},
};

QPixmap PaintImage(const Painted &p)
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
    return pixmap;
}

QList<QIcon> BuildImages()
{
    QList<QIcon> images(kShellImageCount);
    const QPixmap strip = LoadBitmapResource(IDB_LIST_IMAGES);
    if (strip.width() >= 16 * kShellImageCount) {
        // White is the transparent colour of the strip.
        for (int i = 0; i < kShellImageCount; ++i) {
            QPixmap one = strip.copy(i * 16, 0, 16, 16);
            one.setMask(one.createMaskFromColor(Qt::white));
            images[i] = QIcon(one);
        }
        return images;
    }
    for (const Painted &p : kPainted)
        images[p.index] = QIcon(PaintImage(p));
    return images;
}

} // namespace

const QList<QIcon> &ShellImageList()
{
    static const QList<QIcon> images = BuildImages();
    return images;
}

QIcon RowIcon(int mark, int icon)
{
    static QHash<int, QIcon> cache;
    const int key = mark * 100 + icon;
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pixmap(32, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QList<QIcon> &images = ShellImageList();
    if (mark > 0 && mark < images.size())
        painter.drawPixmap(0, 0, images[mark].pixmap(16, 16));
    if (icon >= 0 && icon < images.size())
        painter.drawPixmap(16, 0, images[icon].pixmap(16, 16));
    painter.end();
    return cache[key] = QIcon(pixmap);
}

QString MarkTip(int mark)
{
    switch (mark) {
    case kMarkModified: return LoadString(IDS_MARK_MODIFIED);
    case kMarkEditorOpen: return LoadString(IDS_MARK_EDITOR_OPEN);
    default: return {};
    }
}

QIcon NewItemToolImage()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The sheet with its corner folded.
    const QPointF sheet[] = {{2.5, 1.5}, {9.5, 1.5}, {13.5, 5.5}, {13.5, 14.5}, {2.5, 14.5}};
    painter.setPen(QColor(40, 70, 130));
    painter.setBrush(QColor(235, 242, 255));
    painter.drawPolygon(sheet, 5);
    painter.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 5.5));
    painter.drawLine(QPointF(9.5, 5.5), QPointF(13.5, 5.5));
    // The spark.
    painter.setPen(QPen(QColor(230, 150, 0), 1.5));
    painter.drawLine(QPointF(4, 8), QPointF(10, 8));
    painter.drawLine(QPointF(7, 5), QPointF(7, 11));
    painter.drawLine(QPointF(5, 6), QPointF(9, 10));
    painter.drawLine(QPointF(9, 6), QPointF(5, 10));
    painter.end();
    return QIcon(pixmap);
}

QIcon DeleteToolImage()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor edge(130, 30, 20);
    painter.setPen(edge);
    // Lid and handle.
    painter.setBrush(QColor(220, 70, 50));
    painter.drawRect(QRectF(2.5, 3.5, 11, 2));
    painter.drawRect(QRectF(6.5, 1.5, 3, 2));
    // The bin, narrowing to its foot, with its ribs.
    const QPointF bin[] = {{3.5, 5.5}, {12.5, 5.5}, {11.5, 14.5}, {4.5, 14.5}};
    painter.setBrush(QColor(200, 50, 40));
    painter.drawPolygon(bin, 4);
    painter.setPen(QColor(250, 200, 190));
    for (double x : {6.0, 8.0, 10.0})
        painter.drawLine(QPointF(x, 7.5), QPointF(x, 12.5));
    painter.end();
    return QIcon(pixmap);
}

QIcon LinkLostRowIcon(int icon)
{
    static QHash<int, QIcon> cache;
    if (const auto it = cache.constFind(icon); it != cache.constEnd())
        return *it;
    // The row's own picture, crossed by a red stroke on a white edge: the
    // generator does not answer. 16 x 16, as the list's pictures are.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QList<QIcon> &images = ShellImageList();
    if (icon >= 0 && icon < images.size())
        painter.drawPixmap(0, 0, images[icon].pixmap(16, 16));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
    painter.setPen(QPen(QColor(220, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
    painter.end();
    return cache[icon] = QIcon(pixmap);
}
