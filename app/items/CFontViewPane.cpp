#include "CFontViewPane.h"

#include "CFontChar.h"
#include "FontEditHost.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

const QColor kFontFrame(0x80, 0x80, 0x80);
const QColor kFontSelectedFrame(0xFF, 0x00, 0x00);
constexpr int kFontRowStep = 5;

void SetFontRowRange(QScrollBar *bar, int total, int visible)
{
    bar->setRange(0, std::max(0, total - visible));
    bar->setSingleStep(kFontRowStep);
    bar->setPageStep(std::max(10, total / 10));
}

} // namespace

CFontViewPane::CFontViewPane(const std::vector<std::unique_ptr<CFontChar>> &chars, const CFontChar &missing,
                             std::function<void(int code)> select, QWidget *parent)
    : QAbstractScrollArea(parent), m_chars(chars), m_missing(missing), m_select(std::move(select)),
      m_selected(FontEditHost::kNoChar)
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    UpdateScrollBars();
}

void CFontViewPane::SetZoom(int zoom)
{
    m_zoom = zoom;
    Rebuild();
}

void CFontViewPane::SetSelected(int code)
{
    m_selected = code;
    viewport()->update();
}

void CFontViewPane::Rebuild()
{
    UpdateScrollBars();
    viewport()->update();
}

const CFontChar &CFontViewPane::Shown(std::size_t index) const
{
    const CFontChar &c = *m_chars[index];
    return c.imageWidth > 0 ? c : m_missing;
}

int CFontViewPane::Height() const
{
    return m_missing.Rows();
}

QRect CFontViewPane::CharRect(std::size_t index) const
{
    int x = kMargin;
    for (std::size_t i = 0; i < index; ++i)
        x += Shown(i).imageWidth * m_zoom + 1;
    return QRect(x - horizontalScrollBar()->value(), kMargin - verticalScrollBar()->value(),
                 Shown(index).imageWidth * m_zoom, Height() * m_zoom);
}

bool CFontViewPane::CodeAt(QPoint point, int &code) const
{
    if (m_chars.empty())
        return false;
    const QRect first = CharRect(0);
    if (point.y() < first.top() || point.y() > first.bottom() || point.x() < first.left())
        return false;
    // The gap after a character counts to the next one.
    int x = first.left();
    for (std::size_t i = 0; i < m_chars.size(); ++i) {
        x += Shown(i).imageWidth * m_zoom;
        if (point.x() < x) {
            code = m_chars[i]->code;
            return true;
        }
        ++x;
    }
    return false;
}

void CFontViewPane::UpdateScrollBars()
{
    int width = 0;
    for (std::size_t i = 0; i < m_chars.size(); ++i)
        width += Shown(i).imageWidth * m_zoom + 1;
    const QSize view = viewport()->size();
    SetFontRowRange(horizontalScrollBar(), width + 21, view.width());
    SetFontRowRange(verticalScrollBar(), Height() * m_zoom + 22, view.height());
}

void CFontViewPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CFontViewPane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    std::size_t selected = m_chars.size();
    for (std::size_t i = 0; i < m_chars.size(); ++i) {
        const QRect at = CharRect(i);
        if (at.left() > event->rect().right())
            break;
        Shown(i).Draw(painter, at.left(), at.top(), m_zoom);
        if (m_chars[i]->code == m_selected) {
            selected = i;
            continue;
        }
        painter.setPen(kFontFrame);
        painter.drawRect(at.adjusted(-1, -1, 0, 0));
    }
    if (selected < m_chars.size()) {
        // Drawn last, so no grey frame beside it covers it.
        painter.setPen(kFontSelectedFrame);
        painter.drawRect(CharRect(selected).adjusted(-1, -1, 0, 0));
    }
}

void CFontViewPane::mousePressEvent(QMouseEvent *event)
{
    int code = 0;
    if (event->button() == Qt::LeftButton && CodeAt(event->position().toPoint(), code))
        m_select(code);
}
