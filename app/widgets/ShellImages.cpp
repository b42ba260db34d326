#include "ShellImages.h"

#include "BitmapResources.h"

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
