#include "CFontEditPane.h"

#include "CFontChar.h"

#include "StringTable.h"
#include "ResourceIds.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

const QColor kFontBaseLine(0x00, 0x00, 0x80);

} // namespace

CFontEditPane::CFontEditPane(std::function<void()> painted, QWidget *parent)
    : CellGridPane(kMargin, parent), m_painted(std::move(painted))
{
    UpdateScrollBars();
}

void CFontEditPane::SetChar(CFontChar *character, int ascent)
{
    m_char = character;
    m_ascent = ascent;
    StopStroke();
    UpdateScrollBars();
    viewport()->update();
}

QSize CFontEditPane::GridSize() const
{
    return m_char ? QSize(m_char->imageWidth, m_char->Rows()) : QSize(0, 0);
}

void CFontEditPane::StrokeStarts(QPoint cell)
{
    m_ink = !Inside(cell) || !m_char->Pixel(cell.x(), cell.y());
}

void CFontEditPane::PaintCell(QPoint cell)
{
    m_char->SetPixel(cell.x(), cell.y(), m_ink);
    viewport()->update(CellRect(cell.x(), cell.y()).adjusted(1, 1, -1, -1));
    m_painted();
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
    DrawGridLines(painter, QRect(0, 0, columns, rows));
    painter.setPen(QPen(kFontBaseLine, 1));
    const int base = CellRect(0, m_ascent).top();
    painter.drawLine(CellRect(-1, 0).left(), base, CellRect(columns + 1, 0).left(), base);
}
