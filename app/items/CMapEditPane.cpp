#include "CMapEditPane.h"

#include "ColourRows.h"
#include "PixelMapData.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QColor kGridLine(0x80, 0x80, 0x80);

int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void SetGridScrollRange(QScrollBar *bar, int total, int visible)
{
    bar->setRange(0, std::max(0, total - visible));
    bar->setSingleStep(CMapEditPane::kCell);
    bar->setPageStep(std::max(10, total / 10));
}

} // namespace

CMapEditPane::CMapEditPane(const PixelMapData &map, std::function<void(int x, int y)> paint, QWidget *parent)
    : QAbstractScrollArea(parent), m_map(map), m_paint(std::move(paint))
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
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

QRect CMapEditPane::CellRect(int x, int y) const
{
    return QRect(kMargin + kCell * x - horizontalScrollBar()->value(), kMargin + kCell * y - verticalScrollBar()->value(),
                 kCell, kCell);
}

QPoint CMapEditPane::CellOf(QPoint point) const
{
    return QPoint(FloorDiv(point.x() + horizontalScrollBar()->value() - kMargin, kCell),
                  FloorDiv(point.y() + verticalScrollBar()->value() - kMargin, kCell));
}

std::optional<QPoint> CMapEditPane::PixelAt(QPoint point) const
{
    const QPoint cell = CellOf(point);
    if (cell.x() < 0 || cell.y() < 0 || cell.x() >= m_map.width || cell.y() >= m_map.height)
        return std::nullopt;
    return cell;
}

void CMapEditPane::UpdateScrollBars()
{
    const QSize view = viewport()->size();
    SetGridScrollRange(horizontalScrollBar(), kCell * m_map.width + 2 * kMargin, view.width());
    SetGridScrollRange(verticalScrollBar(), kCell * m_map.height + 2 * kMargin, view.height());
}

void CMapEditPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
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
    painter.setPen(kGridLine);
    const QRect grid = CellRect(left, top).united(CellRect(right, bottom));
    for (int x = left; x <= right + 1; ++x) {
        const int at = CellRect(x, 0).left();
        painter.drawLine(at, grid.top(), at, grid.bottom() + 1);
    }
    for (int y = top; y <= bottom + 1; ++y) {
        const int at = CellRect(0, y).top();
        painter.drawLine(grid.left(), at, grid.right() + 1, at);
    }
}

void CMapEditPane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_tracking = true;
    m_lastCell = CellOf(event->position().toPoint());
    PaintCell(m_lastCell);
}

void CMapEditPane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracking || !(event->buttons() & Qt::LeftButton))
        return;
    PaintTo(CellOf(event->position().toPoint()));
}

void CMapEditPane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tracking = false;
}

void CMapEditPane::PaintTo(QPoint cell)
{
    // Every cell on the way, however fast the pointer moved.
    const QPoint from = m_lastCell;
    const int steps = std::max(std::abs(cell.x() - from.x()), std::abs(cell.y() - from.y()));
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps;
        PaintCell(QPoint(from.x() + int(std::lround((cell.x() - from.x()) * t)),
                         from.y() + int(std::lround((cell.y() - from.y()) * t))));
    }
    m_lastCell = cell;
}

void CMapEditPane::PaintCell(QPoint cell)
{
    if (cell.x() < 0 || cell.y() < 0 || cell.x() >= m_map.width || cell.y() >= m_map.height)
        return;
    m_paint(cell.x(), cell.y());
}
