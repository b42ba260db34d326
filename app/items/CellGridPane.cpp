#include "CellGridPane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QColor kCellGridLine(0x80, 0x80, 0x80);

int CellFloor(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void SetCellGridRange(QScrollBar *bar, int total, int visible)
{
    bar->setRange(0, std::max(0, total - visible));
    bar->setSingleStep(CellGridPane::kCell);
    bar->setPageStep(std::max(10, total / 10));
}

} // namespace

CellGridPane::CellGridPane(int margin, QWidget *parent) : QAbstractScrollArea(parent), m_margin(margin)
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect CellGridPane::CellRect(int x, int y) const
{
    return QRect(m_margin + kCell * x - horizontalScrollBar()->value(),
                 m_margin + kCell * y - verticalScrollBar()->value(), kCell, kCell);
}

QPoint CellGridPane::CellOf(QPoint point) const
{
    return QPoint(CellFloor(point.x() + horizontalScrollBar()->value() - m_margin, kCell),
                  CellFloor(point.y() + verticalScrollBar()->value() - m_margin, kCell));
}

bool CellGridPane::Inside(QPoint cell) const
{
    const QSize size = GridSize();
    return cell.x() >= 0 && cell.y() >= 0 && cell.x() < size.width() && cell.y() < size.height();
}

std::optional<QPoint> CellGridPane::PixelAt(QPoint point) const
{
    const QPoint cell = CellOf(point);
    return Inside(cell) ? std::optional<QPoint>(cell) : std::nullopt;
}

void CellGridPane::UpdateScrollBars()
{
    const QSize view = viewport()->size();
    const QSize size = GridSize();
    SetCellGridRange(horizontalScrollBar(), kCell * size.width() + 2 * m_margin, view.width());
    SetCellGridRange(verticalScrollBar(), kCell * size.height() + 2 * m_margin, view.height());
}

void CellGridPane::DrawGridLines(QPainter &painter, const QRect &cells) const
{
    painter.setPen(kCellGridLine);
    const QRect grid = CellRect(cells.left(), cells.top()).united(CellRect(cells.right(), cells.bottom()));
    for (int x = cells.left(); x <= cells.right() + 1; ++x) {
        const int at = CellRect(x, 0).left();
        painter.drawLine(at, grid.top(), at, grid.bottom() + 1);
    }
    for (int y = cells.top(); y <= cells.bottom() + 1; ++y) {
        const int at = CellRect(0, y).top();
        painter.drawLine(grid.left(), at, grid.right() + 1, at);
    }
}

void CellGridPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CellGridPane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_tracking = true;
    m_lastCell = CellOf(event->position().toPoint());
    StrokeStarts(m_lastCell);
    PaintIfInside(m_lastCell);
}

void CellGridPane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracking || !(event->buttons() & Qt::LeftButton))
        return;
    PaintTo(CellOf(event->position().toPoint()));
}

void CellGridPane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tracking = false;
}

void CellGridPane::PaintTo(QPoint cell)
{
    const QPoint from = m_lastCell;
    const int steps = std::max(std::abs(cell.x() - from.x()), std::abs(cell.y() - from.y()));
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps;
        PaintIfInside(QPoint(from.x() + int(std::lround((cell.x() - from.x()) * t)),
                             from.y() + int(std::lround((cell.y() - from.y()) * t))));
    }
    m_lastCell = cell;
}

void CellGridPane::PaintIfInside(QPoint cell)
{
    if (Inside(cell))
        PaintCell(cell);
}
