#include "CMapEditPane.h"

#include "ColourRows.h"
#include "PixelMapData.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CMapEditPane::CMapEditPane(const PixelMapData &map, std::function<void(int x, int y)> paint, QWidget *parent)
    : CellGridPane(kMargin, parent), m_map(map), m_paint(std::move(paint))
{
    viewport()->setCursor(Qt::ArrowCursor);
    UpdateScrollBars();
}

void CMapEditPane::Rebuild()
{
    UpdateScrollBars();
    viewport()->update();
}

void CMapEditPane::UpdatePixel(int x, int y)
{
    viewport()->update(CellRect(x, y));
}

QSize CMapEditPane::GridSize() const
{
    return QSize(m_map.width, m_map.height);
}

void CMapEditPane::PaintCell(QPoint cell)
{
    m_paint(cell.x(), cell.y());
}

void CMapEditPane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::white);
    // The cells the exposed part touches.
    const QPoint first = CellOf(exposed.topLeft());
    const QPoint last = CellOf(exposed.bottomRight());
    const int left = std::max(first.x(), 0), top = std::max(first.y(), 0);
    const int right = std::min(last.x(), m_map.width - 1), bottom = std::min(last.y(), m_map.height - 1);
    if (left > right || top > bottom)
        return;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const std::uint32_t value = m_map.Pixel(x, y);
            const std::uint32_t entry = value < m_map.lut.size() ? m_map.lut[value] : 0;
            painter.fillRect(CellRect(x, y).adjusted(1, 1, 0, 0), ColourRows::FromColorRef(entry));
        }
    }
    DrawGridLines(painter, QRect(QPoint(left, top), QPoint(right, bottom)));
}
