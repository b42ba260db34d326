#include "CFontEditPane.h"

#include "CFontChar.h"

#include "StringTable.h"
#include "ResourceIds.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QColor kFontGridLine(0x80, 0x80, 0x80);
const QColor kFontBaseLine(0x00, 0x00, 0x80);

int FontCellFloor(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void SetFontGridRange(QScrollBar *bar, int total, int visible)
{
    bar->setRange(0, std::max(0, total - visible));
    bar->setSingleStep(CFontEditPane::kCell);
    bar->setPageStep(std::max(10, total / 10));
}

} // namespace

CFontEditPane::CFontEditPane(std::function<void()> painted, QWidget *parent)
    : QAbstractScrollArea(parent), m_painted(std::move(painted))
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    UpdateScrollBars();
}

void CFontEditPane::SetChar(CFontChar *character, int ascent)
{
    m_char = character;
    m_ascent = ascent;
    m_tracking = false;
    UpdateScrollBars();
    viewport()->update();
}

QRect CFontEditPane::CellRect(int x, int y) const
{
    return QRect(kMargin + kCell * x - horizontalScrollBar()->value(), kMargin + kCell * y - verticalScrollBar()->value(),
                 kCell, kCell);
}

QPoint CFontEditPane::CellOf(QPoint point) const
{
    return QPoint(FontCellFloor(point.x() + horizontalScrollBar()->value() - kMargin, kCell),
                  FontCellFloor(point.y() + verticalScrollBar()->value() - kMargin, kCell));
}

bool CFontEditPane::Inside(QPoint cell) const
{
    return m_char && cell.x() >= 0 && cell.y() >= 0 && cell.x() < m_char->imageWidth && cell.y() < m_char->Rows();
}

std::optional<QPoint> CFontEditPane::PixelAt(QPoint point) const
{
    const QPoint cell = CellOf(point);
    return Inside(cell) ? std::optional<QPoint>(cell) : std::nullopt;
}

void CFontEditPane::UpdateScrollBars()
{
    const QSize view = viewport()->size();
    const int columns = m_char ? m_char->imageWidth : 0, rows = m_char ? m_char->Rows() : 0;
    SetFontGridRange(horizontalScrollBar(), kCell * columns + 2 * kMargin, view.width());
    SetFontGridRange(verticalScrollBar(), kCell * rows + 2 * kMargin, view.height());
}

void CFontEditPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CFontEditPane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    if (!m_char)
        return;
    if (m_char->imageWidth == 0) {
        const QPoint at(kMargin - horizontalScrollBar()->value(), kMargin - verticalScrollBar()->value());
        painter.drawText(QRect(at, QSize(400, 40)), Qt::AlignLeft | Qt::AlignTop, LoadString(IDS_FONT_NOT_DEFINED));
        return;
    }
    const int columns = m_char->imageWidth, rows = m_char->Rows();
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            painter.fillRect(CellRect(x, y).adjusted(1, 1, 0, 0), m_char->Pixel(x, y) ? Qt::black : Qt::white);
    painter.setPen(kFontGridLine);
    const QRect grid = CellRect(0, 0).united(CellRect(columns - 1, std::max(rows - 1, 0)));
    for (int x = 0; x <= columns; ++x) {
        const int at = CellRect(x, 0).left();
        painter.drawLine(at, grid.top(), at, grid.bottom() + 1);
    }
    for (int y = 0; y <= rows; ++y) {
        const int at = CellRect(0, y).top();
        painter.drawLine(grid.left(), at, grid.right() + 1, at);
    }
    painter.setPen(QPen(kFontBaseLine, 1));
    const int base = CellRect(0, m_ascent).top();
    painter.drawLine(CellRect(-1, 0).left(), base, CellRect(columns + 1, 0).left(), base);
}

void CFontEditPane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_char)
        return;
    m_tracking = true;
    m_lastCell = CellOf(event->position().toPoint());
    if (Inside(m_lastCell)) {
        m_ink = !m_char->Pixel(m_lastCell.x(), m_lastCell.y());
        PaintCell(m_lastCell);
    } else {
        m_ink = true;
    }
}

void CFontEditPane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracking || !(event->buttons() & Qt::LeftButton))
        return;
    PaintTo(CellOf(event->position().toPoint()));
}

void CFontEditPane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tracking = false;
}

void CFontEditPane::PaintTo(QPoint cell)
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

void CFontEditPane::PaintCell(QPoint cell)
{
    if (!Inside(cell))
        return;
    m_char->SetPixel(cell.x(), cell.y(), m_ink);
    viewport()->update(CellRect(cell.x(), cell.y()).adjusted(1, 1, -1, -1));
    m_painted();
}
