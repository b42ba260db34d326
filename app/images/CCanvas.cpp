#include "CCanvas.h"

#include "CPrimitiveHandle.h"
#include "CanvasLinks.h"
#include "PrimitivePainting.h"
#include "ProgramCursors.h"
#include "ResourceIds.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

const QColor kBandColour(192, 192, 192);
const QColor kMarkerColour(255, 0, 0);
constexpr int kMarkerRadius = 6;

// A divisor of the mapping below 1 (a one-pixel image, a collapsed pane) counts as 1.
double Divisor(int extent)
{
    return double(std::max(extent, 1));
}

QRect MarkerBox(const QPoint &centre)
{
    return BoxPixels(centre - QPoint(kMarkerRadius, kMarkerRadius), centre + QPoint(kMarkerRadius, kMarkerRadius));
}

QRect ShapeBounds(const FeedbackShape &shape)
{
    return BoxPixels(shape.a, shape.b);
}

} // namespace

CCanvas::CCanvas(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The cursor follows the handle under the mouse.
    setMouseTracking(true);
}

CCanvas::~CCanvas()
{
    for (const auto &[key, handle] : m_handles)
        handle->LayerGone();
}

// --- The mapping -------------------------------------------------------------------

int CCanvas::RoundHalfUp(double value)
{
    if (std::isnan(value))
        return 0;
    const double whole = std::trunc(value);
    const double rounded = value - whole >= 0.5 ? whole + 1.0 : whole;
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(rounded);
}

QPoint CCanvas::ImageToClient(int x, int y) const
{
    const double w = std::max(width() - 1, 0);
    const double h = std::max(height() - 1, 0);
    return QPoint(RoundHalfUp(w * x / Divisor(m_largestX)),
                  RoundHalfUp(h * y / Divisor(m_largestY)));
}

QPoint CCanvas::ClientToImage(int x, int y) const
{
    const int cx = width() <= 0 ? 0 : RoundHalfUp(double(m_largestX) * x / Divisor(width() - 1));
    const int cy = height() <= 0 ? 0 : RoundHalfUp(double(m_largestY) * y / Divisor(height() - 1));
    return QPoint(cx, cy);
}

void CCanvas::ClampToImage(QPoint &image) const
{
    image.setX(std::clamp(image.x(), 0, std::max(m_largestX, 0)));
    image.setY(std::clamp(image.y(), 0, std::max(m_largestY, 0)));
}

QRect CCanvas::GetCentre() const
{
    const int x = m_largestX / 2;
    const int y = m_largestY / 2;
    // An even width has two middle columns; likewise rows.
    const int right = (m_largestX + 1) % 2 == 0 ? x + 1 : x;
    const int bottom = (m_largestY + 1) % 2 == 0 ? y + 1 : y;
    return QRect(QPoint(x, y), QPoint(right, bottom));
}

void CCanvas::SetLimits(int largestX, int largestY)
{
    m_largestX = largestX;
    m_largestY = largestY;
    update();
}

// --- Settings --------------------------------------------------------------------------

void CCanvas::SetShowGrid(bool on)
{
    m_showGrid = on;
    update();
}

void CCanvas::SetGridSteps(int x, int y)
{
    m_gridX = x;
    m_gridY = y;
    update();
}

// --- Snapping and changes ---------------------------------------------------------

bool CCanvas::SnapToPoints(QPoint &point, bool client)
{
    if (!m_listPane)
        return false;
    QPoint image = client ? ClientToImage(point) : point;
    if (!m_listPane->SnapToPrimitives(image))
        return false;
    point = client ? ImageToClient(image) : image;
    return true;
}

void CCanvas::SetModified()
{
    if (m_changed)
        return;
    m_changed = true;
    if (m_editor)
        m_editor->SetChanged(false);
}

void CCanvas::RepaintArea(const QRect &client)
{
    if (client.isEmpty())
        return;
    m_dirty |= client;
    update(m_dirty);
}

void CCanvas::ScaleAll(double sx, double sy)
{
    if (m_listPane)
        m_listPane->ScaleAll(sx, sy);
}

// --- Feedback --------------------------------------------------------------------------

void CCanvas::SetDragFeedback(std::vector<FeedbackShape> shapes)
{
    QRect before;
    for (const FeedbackShape &shape : m_dragFeedback)
        before |= ShapeBounds(shape);
    m_dragFeedback = std::move(shapes);
    QRect after;
    for (const FeedbackShape &shape : m_dragFeedback)
        after |= ShapeBounds(shape);
    RepaintFeedback(before, after);
}

void CCanvas::ClearDragFeedback()
{
    SetDragFeedback({});
}

void CCanvas::SetSnapMarker(std::optional<QPoint> client)
{
    const QRect before = m_snapMarker ? MarkerBox(*m_snapMarker) : QRect();
    m_snapMarker = client;
    RepaintFeedback(before, client ? MarkerBox(*client) : QRect());
}

void CCanvas::RepaintFeedback(const QRect &before, const QRect &after)
{
    const QRect changed = before | after;
    if (!changed.isEmpty())
        update(changed.adjusted(-1, -1, 1, 1));
}

QRect CCanvas::BandRect() const
{
    return BoxPixels(m_bandStart, m_bandEnd);
}

// --- Paint ------------------------------------------------------------------------------

void CCanvas::paintEvent(QPaintEvent *event)
{
    // What is asked from here on is a paint of its own.
    m_dirty = QRect();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(event->rect(), Qt::black);
    const QRect update = event->rect().adjusted(-1, -1, 1, 1);
    if (m_showGrid)
        PaintGrid(painter, update);
    if (m_listPane) {
        painter.save();
        m_listPane->DrawAll(painter, update);
        painter.restore();
    }
    PaintFeedback(painter);
    // Handles stand over the feedback, as windows over their parent would.
    PaintHandles(painter, update);
}

void CCanvas::PaintGrid(QPainter &painter, const QRect &update) const
{
    if (m_gridX < 1 || m_gridY < 1)
        return;
    const QPoint origin = ClientToImage(update.topLeft());
    const QPoint size = ClientToImage(update.width(), update.height());
    const int firstColumn = origin.x() / m_gridX;
    const int lastColumn = firstColumn + size.x() / m_gridX + 1;
    const int firstRow = origin.y() / m_gridY;
    const int lastRow = firstRow + size.y() / m_gridY + 1;
    // The mapping is separable: each column's x and each row's y once.
    std::vector<int> xs;
    std::vector<int> ys;
    for (int i = firstColumn; i <= lastColumn; ++i)
        xs.push_back(ImageToClient(i * m_gridX, 0).x());
    for (int j = firstRow; j <= lastRow; ++j)
        ys.push_back(ImageToClient(0, j * m_gridY).y());
    QPolygon dots;
    dots.reserve(qsizetype(xs.size() * ys.size()));
    for (int x : xs)
        for (int y : ys)
            dots << QPoint(x, y);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawPoints(dots);
}

void CCanvas::PaintFeedback(QPainter &painter) const
{
    if (!m_banding && m_dragFeedback.empty() && !m_snapMarker)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const FeedbackShape &shape : m_dragFeedback) {
        switch (shape.kind) {
        case FeedbackShape::Line: DrawLinePixels(painter, shape.a, shape.b, shape.colour); break;
        case FeedbackShape::Frame: DrawBoxOutline(painter, ShapeBounds(shape), shape.colour); break;
        case FeedbackShape::Ellipse: DrawOvalOutline(painter, ShapeBounds(shape), shape.colour); break;
        }
    }
    if (m_banding)
        DrawDottedBoxOutline(painter, BandRect(), kBandColour);
    if (m_snapMarker)
        DrawOvalOutline(painter, MarkerBox(*m_snapMarker), kMarkerColour);
    painter.restore();
}

// --- Mouse and keys ---------------------------------------------------------------------

void CCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    // A handle shown only for a mark takes no press: the click is the canvas's.
    if (CPrimitiveHandle *handle = HandleAt(point); handle && handle->IsDraggable()) {
        PressHandle(*handle, event->modifiers().testFlag(Qt::ShiftModifier),
                    event->modifiers().testFlag(Qt::ControlModifier));
        return;
    }
    if (!m_selectArea) {
        if (m_listPane)
            m_listPane->SelectAtPoint(point, event->modifiers().testFlag(Qt::ControlModifier));
        return;
    }
    m_banding = true;
    m_bandStart = m_bandEnd = point;
    setCursor(ProgramCursor(IDC_CURSOR_SELECT_AREA));
    RepaintFeedback(QRect(), BandRect());
}

void CCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (m_handlePressed) {
        DragHandle(event->position().toPoint(), event->modifiers().testFlag(Qt::ShiftModifier),
                   event->modifiers().testFlag(Qt::ControlModifier));
        return;
    }
    if (!m_banding) {
        if (event->buttons() == Qt::NoButton)
            FollowCursor(event->position().toPoint());
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QRect before = BandRect();
    m_bandEnd = event->position().toPoint();
    RepaintFeedback(before, BandRect());
}

void CCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_handlePressed && event->button() == Qt::LeftButton) {
        ReleaseHandle();
        return;
    }
    if (!m_banding || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QRect band = BandRect();
    m_banding = false;
    m_selectArea = false;
    RepaintFeedback(band, QRect());
    unsetCursor();
    if (m_editor)
        m_editor->SelectAreaEnded();
    if (m_listPane)
        m_listPane->MarkInRect(band);
}

void CCanvas::keyPressEvent(QKeyEvent *event)
{
    int dx = 0;
    int dy = 0;
    switch (event->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Down: dy = 1; break;
    default: QWidget::keyPressEvent(event); return;
    }
    if (m_listPane)
        m_listPane->NudgeSelected(dx, dy);
}

void CCanvas::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    WindowPlaceChanged();
}

void CCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    WindowPlaceChanged();
}

void CCanvas::WindowPlaceChanged()
{
    if (m_fixedAspect && m_editor)
        m_editor->StartFixedAspectTimer();
}
