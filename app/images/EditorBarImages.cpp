#include "EditorBarImages.h"

#include "BitmapResources.h"
#include "PrimitiveImages.h"
#include "ResourceIds.h"

#include <QPainter>
#include <QPolygon>

#include <array>
#include <functional>
#include <tuple>
#include <vector>

namespace {

constexpr int kBarSide = 16;
const QColor kBarInk(0, 0, 128);
const QColor kBarMark(192, 0, 0);
const QColor kBarFaint(128, 128, 128);
// White is the strips' transparent colour; a light area uses this instead.
const QColor kBarLight(255, 255, 254);

void BarArrowHead(QPainter &p, QPoint tip, int dx, int dy)
{
    // A filled head of 3 pixels pointing (dx, dy), one of them 0.
    p.setBrush(p.pen().color());
    if (dx != 0)
        p.drawPolygon(QPolygon({tip, QPoint(tip.x() - 3 * dx, tip.y() - 3), QPoint(tip.x() - 3 * dx, tip.y() + 3)}));
    else
        p.drawPolygon(QPolygon({tip, QPoint(tip.x() - 3, tip.y() - 3 * dy), QPoint(tip.x() + 3, tip.y() - 3 * dy)}));
    p.setBrush(Qt::NoBrush);
}

void BarRows(QPainter &p, std::initializer_list<int> ys)
{
    for (int y : ys)
        p.fillRect(1, y, 9, 2, kBarInk);
}

void BarDots(QPainter &p, const QColor &colour, int step, int size)
{
    for (int x = 1; x < kBarSide; x += step)
        for (int y = 1; y < kBarSide; y += step)
            p.fillRect(x, y, size, size, colour);
}

// A red ring on a point and the way something came to it.
void BarSnap(QPainter &p, QPoint at, QPoint from)
{
    p.setPen(QPen(kBarMark, 1));
    p.drawLine(from, at);
    p.drawEllipse(at, 2, 2);
}

// --- Resource 146, the buttons not drawn from the tree's pictures ----------

void PaintAppend(QPainter &p)
{
    BarRows(p, {1, 4, 7});
    p.fillRect(1, 12, 9, 3, kBarMark); // the new one, after the last
    p.setPen(QPen(kBarMark, 1));
    p.drawLine(13, 1, 13, 10);
    BarArrowHead(p, QPoint(13, 14), 0, 1);
}

void PaintInsert(QPainter &p)
{
    BarRows(p, {1, 4, 12});
    p.fillRect(1, 7, 9, 3, kBarMark); // the new one, before the selection
    p.setPen(QPen(kBarMark, 1));
    p.drawLine(12, 8, 15, 8);
    BarArrowHead(p, QPoint(11, 8), -1, 0);
}

void PaintBlockRender(QPainter &p)
{
    p.setPen(QPen(kBarInk, 1));
    p.drawRect(1, 1, 8, 8);
    p.setBrush(QBrush(kBarInk, Qt::Dense4Pattern));
    p.drawRect(6, 6, 8, 8);
    p.setBrush(Qt::NoBrush);
}

// --- Resource 204 ---------------------------------------------------------------

void PaintDisplayGrid(QPainter &p)
{
    BarDots(p, kBarInk, 4, 2);
}

void PaintSnapToGrid(QPainter &p)
{
    BarDots(p, kBarFaint, 4, 1);
    BarSnap(p, QPoint(9, 9), QPoint(1, 14));
}

void PaintSnapToObject(QPainter &p)
{
    p.setPen(QPen(kBarInk, 1));
    p.drawRect(1, 6, 9, 8);
    BarSnap(p, QPoint(10, 6), QPoint(15, 1));
}

void PaintGridSize(QPainter &p)
{
    for (int x : {1, 7, 13})
        for (int y : {1, 6})
            p.fillRect(x, y, 2, 2, kBarInk);
    p.setPen(QPen(kBarMark, 1));
    p.drawLine(1, 10, 1, 15);
    p.drawLine(14, 10, 14, 15);
    p.drawLine(3, 12, 12, 12);
    BarArrowHead(p, QPoint(2, 12), -1, 0);
    BarArrowHead(p, QPoint(13, 12), 1, 0);
}

void PaintRigidObjects(QPainter &p)
{
    // A solid block, riveted: it keeps its shape.
    p.fillRect(2, 2, 12, 12, kBarInk);
    for (int x : {4, 10})
        for (int y : {4, 10})
            p.fillRect(x, y, 2, 2, kBarLight);
}

void PaintFixedAspect(QPainter &p)
{
    // A frame and a smaller one of the same shape, grown along the diagonal.
    p.setPen(QPen(kBarInk, 1));
    p.drawRect(0, 2, 15, 12);
    p.drawRect(0, 8, 7, 6);
    p.setPen(QPen(kBarMark, 1));
    p.drawLine(7, 8, 12, 4);
    p.setBrush(kBarMark);
    p.drawPolygon(QPolygon({QPoint(14, 3), QPoint(10, 3), QPoint(14, 7)}));
    p.setBrush(Qt::NoBrush);
}

void PaintFullScreen(QPainter &p)
{
    p.setPen(QPen(kBarInk, 1));
    p.setBrush(QColor(0, 96, 192));
    p.drawRect(0, 0, 15, 11);
    p.setBrush(Qt::NoBrush);
    p.fillRect(6, 12, 4, 2, kBarInk);
    p.fillRect(3, 14, 10, 2, kBarInk);
    p.setPen(QPen(kBarLight, 1));
    for (const auto &[corner, dx, dy] : std::array<std::tuple<QPoint, int, int>, 4>{
             {{{3, 3}, 1, 1}, {{12, 3}, -1, 1}, {{3, 8}, 1, -1}, {{12, 8}, -1, -1}}}) {
        p.drawLine(corner, corner + QPoint(2 * dx, 0));
        p.drawLine(corner, corner + QPoint(0, dy));
    }
}

void PaintGroup(QPainter &p)
{
    p.setPen(QPen(kBarInk, 1));
    p.drawRect(2, 2, 6, 6);
    p.drawEllipse(8, 8, 6, 6);
    p.setPen(QPen(kBarMark, 1, Qt::DotLine));
    p.drawRect(0, 0, 15, 15);
}

void PaintUngroup(QPainter &p)
{
    p.setPen(QPen(kBarInk, 1));
    p.drawRect(1, 1, 5, 5);
    p.drawEllipse(10, 10, 5, 5);
    p.setPen(QPen(kBarMark, 1, Qt::DotLine));
    p.drawRect(0, 0, 7, 7);
    p.drawRect(9, 9, 6, 6);
    p.setPen(QPen(kBarMark, 1));
    p.drawLine(10, 2, 14, 6); // a cross: the group is gone
    p.drawLine(14, 2, 10, 6);
}

void PaintSelectArea(QPainter &p)
{
    p.setPen(QPen(kBarInk, 1, Qt::DashLine));
    p.drawRect(0, 0, 12, 10);
    p.setPen(Qt::black);
    p.setBrush(kBarLight);
    p.drawPolygon(QPolygon({QPoint(8, 6), QPoint(8, 15), QPoint(10, 13), QPoint(12, 15), QPoint(13, 14),
                            QPoint(11, 12), QPoint(14, 12)}));
    p.setBrush(Qt::NoBrush);
}

using Painter = std::function<void(QPainter &)>;

// A tree picture of type code as one of the bar's images.
Painter TreePicture(int typeCode)
{
    return [typeCode](QPainter &p) {
        QPixmap one = PrimitiveImageList().value(typeCode).pixmap(kBarSide, kBarSide);
        p.drawPixmap(0, 0, one);
    };
}

QPixmap PaintBarStrip(const std::vector<Painter> &images)
{
    QPixmap strip(kBarSide * int(images.size()), kBarSide);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    for (size_t i = 0; i < images.size(); ++i) {
        painter.save();
        painter.translate(int(i) * kBarSide, 0);
        images[i](painter);
        painter.restore();
    }
    return strip;
}

QList<QIcon> CutBarStrip(unsigned id, int count, const std::function<std::vector<Painter>()> &images)
{
    QPixmap strip = LoadBitmapResource(id);
    if (strip.width() < kBarSide * count) {
        strip = PaintBarStrip(images());
        RegisterBitmapResource(id, strip);
    }
    QList<QIcon> icons;
    for (int i = 0; i < count; ++i) {
        QPixmap one = strip.copy(i * kBarSide, 0, kBarSide, kBarSide);
        one.setMask(one.createMaskFromColor(Qt::white));
        icons.append(QIcon(one));
    }
    return icons;
}

// In the bar's order: Append, Insert | the inserts by type code | Block
// Copy, Block Render | the image options.
std::vector<Painter> PrimitivesBarPainters()
{
    std::vector<Painter> images = {PaintAppend, PaintInsert};
    for (int type : {0, 2, 3, 4, 5, 14, 15, 16, 11, 17, 18, 12, 13, 7, 9, 6, 10, 8, 25})
        images.push_back(TreePicture(type));
    images.push_back(PaintBlockRender);
    for (int type : {20, 21, 22})
        images.push_back(TreePicture(type));
    return images;
}

std::vector<Painter> OptionsBarPainters()
{
    return {PaintDisplayGrid, PaintSnapToGrid,  PaintSnapToObject, PaintGridSize, PaintRigidObjects,
            PaintFixedAspect, PaintFullScreen, PaintGroup,        PaintUngroup,  PaintSelectArea};
}

} // namespace

const QList<QIcon> &PrimitivesBarImages()
{
    static const QList<QIcon> images = CutBarStrip(IDR_PRIMITIVES_BAR, kPrimitivesBarImageCount, PrimitivesBarPainters);
    return images;
}

const QList<QIcon> &OptionsBarImages()
{
    static const QList<QIcon> images = CutBarStrip(IDR_OPTIONS_BAR, kOptionsBarImageCount, OptionsBarPainters);
    return images;
}
