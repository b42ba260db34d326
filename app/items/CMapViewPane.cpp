#include "CMapViewPane.h"

#include "ColourRows.h"
#include "PixelMapData.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

QList<QRgb> ColourTable(const std::vector<std::uint32_t> &lut)
{
    QList<QRgb> colours;
    colours.reserve(qsizetype(lut.size()));
    for (const std::uint32_t entry : lut)
        colours.append(ColourRows::FromColorRef(entry).rgb());
    return colours;
}

// One scroll bar over total pixels of content in a view of visible pixels.
void SetViewScrollRange(QScrollBar *bar, int total, int visible)
{
    bar->setRange(0, std::max(0, total - visible));
    bar->setSingleStep(CMapViewPane::kLineStep);
    bar->setPageStep(std::max(10, total / 10));
}

} // namespace

CMapViewPane::CMapViewPane(const PixelMapData &map, QWidget *parent) : QAbstractScrollArea(parent), m_map(map)
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    Rebuild();
}

QImage CMapViewPane::IndexedPicture(const PixelMapData &map)
{
    QImage picture(map.width, map.height, QImage::Format_Indexed8);
    picture.setColorTable(ColourTable(map.lut));
    for (int y = 0; y < map.height; ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < map.width; ++x)
            line[x] = uchar(map.Pixel(x, y));
    }
    return picture;
}

void CMapViewPane::Rebuild()
{
    m_picture = IndexedPicture(m_map);
    UpdateScrollBars();
    viewport()->update();
}

void CMapViewPane::UpdateColours()
{
    m_picture.setColorTable(ColourTable(m_map.lut));
    viewport()->update();
}

void CMapViewPane::UpdatePixel(int x, int y)
{
    if (!m_picture.valid(x, y))
        return;
    m_picture.setPixel(x, y, m_map.Pixel(x, y));
    const QRect picture = PictureRect();
    viewport()->update(QRect(picture.left() + x * m_zoom, picture.top() + y * m_zoom, m_zoom, m_zoom));
}

void CMapViewPane::SetZoom(int zoom)
{
    m_zoom = zoom;
    UpdateScrollBars();
    viewport()->update();
}

QRect CMapViewPane::PictureRect() const
{
    return QRect(kMargin - horizontalScrollBar()->value(), kMargin - verticalScrollBar()->value(),
                 m_picture.width() * m_zoom, m_picture.height() * m_zoom);
}

void CMapViewPane::UpdateScrollBars()
{
    const QSize view = viewport()->size();
    SetViewScrollRange(horizontalScrollBar(), m_map.width * m_zoom + 2 * kMargin, view.width());
    SetViewScrollRange(verticalScrollBar(), m_map.height * m_zoom + 2 * kMargin, view.height());
}

void CMapViewPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CMapViewPane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::white);
    const QRect picture = PictureRect();
    const QRect shown = exposed & picture;
    if (shown.isEmpty())
        return;
    // The picture's pixels under the exposed part, whole squares of them.
    const int left = (shown.left() - picture.left()) / m_zoom;
    const int top = (shown.top() - picture.top()) / m_zoom;
    const int right = (shown.right() - picture.left()) / m_zoom;
    const int bottom = (shown.bottom() - picture.top()) / m_zoom;
    const QRect source(QPoint(left, top), QPoint(right, bottom));
    const QRect target(picture.left() + left * m_zoom, picture.top() + top * m_zoom, source.width() * m_zoom,
                       source.height() * m_zoom);
    painter.drawImage(target, m_picture, source);
}
