#include "ProgramCursors.h"

#include "ResourceIds.h"

#include <QBitmap>
#include <QPainter>

#include <map>

namespace {

constexpr int kCursorSize = 32;
constexpr int kHot = 15;

// Drawn white on a black outline so it shows on the black canvas and on light panes.
QCursor DrawCursor(void (*draw)(QPainter &p))
{
    QBitmap shape(kCursorSize, kCursorSize);
    QBitmap mask(kCursorSize, kCursorSize);
    shape.fill(Qt::color0);
    mask.fill(Qt::color0);
    {
        QPainter p(&mask);
        p.setPen(QPen(Qt::color1, 3));
        draw(p);
    }
    {
        QPainter p(&shape);
        p.setPen(QPen(Qt::color1, 1));
        draw(p);
    }
    return QCursor(shape, mask, kHot, kHot);
}

void CrossArrows(QPainter &p)
{
    p.drawLine(kHot - 10, kHot, kHot + 10, kHot);
    p.drawLine(kHot, kHot - 10, kHot, kHot + 10);
    for (int s : {-1, 1}) {
        p.drawLine(kHot + 10 * s, kHot, kHot + 7 * s, kHot - 3);
        p.drawLine(kHot + 10 * s, kHot, kHot + 7 * s, kHot + 3);
        p.drawLine(kHot, kHot + 10 * s, kHot - 3, kHot + 7 * s);
        p.drawLine(kHot, kHot + 10 * s, kHot + 3, kHot + 7 * s);
    }
}

void Grip(QPainter &p)
{
    p.drawRect(kHot - 4, kHot - 4, 8, 8);
    p.drawLine(kHot - 9, kHot, kHot - 5, kHot);
    p.drawLine(kHot + 5, kHot, kHot + 9, kHot);
    p.drawLine(kHot, kHot - 9, kHot, kHot - 5);
    p.drawLine(kHot, kHot + 5, kHot, kHot + 9);
}

void PointMark(QPainter &p)
{
    p.drawEllipse(kHot - 3, kHot - 3, 6, 6);
    p.drawLine(kHot - 8, kHot, kHot - 4, kHot);
    p.drawLine(kHot + 4, kHot, kHot + 8, kHot);
    p.drawLine(kHot, kHot - 8, kHot, kHot - 4);
    p.drawLine(kHot, kHot + 4, kHot, kHot + 8);
}

void BandCorner(QPainter &p)
{
    p.drawLine(kHot - 7, kHot, kHot + 7, kHot);
    p.drawLine(kHot, kHot - 7, kHot, kHot + 7);
    p.drawRect(kHot + 3, kHot + 3, 9, 7);
}

} // namespace

QCursor ProgramCursor(int id)
{
    // Kept to the end of the process: a cursor must not outlive the GUI
    // it was made for in a static destructor.
    static auto &cursors = *new std::map<int, QCursor>;
    const auto known = cursors.find(id);
    if (known != cursors.end())
        return known->second;
    void (*draw)(QPainter &) = nullptr;
    switch (id) {
    case IDC_CURSOR_SELECT_AREA: draw = BandCorner; break;
    case IDC_CURSOR_DRAG: draw = Grip; break;
    case IDC_CURSOR_MOVE: draw = CrossArrows; break;
    case IDC_CURSOR_POINT: draw = PointMark; break;
    default: return QCursor(Qt::ArrowCursor);
    }
    return cursors.emplace(id, DrawCursor(draw)).first->second;
}
