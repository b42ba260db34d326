#include "CPrimitiveHandle.h"

#include "CCanvas.h"
#include "CPrimitive.h"
#include "CanvasLinks.h"
#include "ProgramCursors.h"
#include "ResourceIds.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace {

constexpr int kHalf = CPrimitiveHandle::kSize / 2;

// The mouse position of the last drag step, in the canvas's pixels; one for
// all handles, as only one handle drags at a time. A drag begins with the
// cursor put on the handle's centre. Kept on the canvas, not in the
// handle's own pixels: the handle moves under the mouse, and equal steps in
// a row would look like no step at all.
QPoint g_lastMouse;

const QColor kSnappedColour(0, 255, 0);
const QColor kSnapOnColour(255, 0, 0);

} // namespace

// The window of a handle: it paints by the handle's rule and hands the
// mouse to it.
class CPrimitiveHandle::HandleWindow : public QWidget {
public:
    HandleWindow(CPrimitiveHandle &handle, QWidget *parent) : QWidget(parent), m_handle(handle)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setWindowTitle(QStringLiteral("N")); // resource-rule-ok: a child window's title, never shown
        setObjectName(QStringLiteral("handle%1").arg(handle.Index()));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_handle.Paint(painter);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_handle.OnButtonDown(Shift(event), Ctrl(event));
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        m_handle.OnMouseMove(event->position().toPoint(), Shift(event), Ctrl(event));
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_handle.OnButtonUp();
    }

private:
    static bool Shift(const QMouseEvent *e) { return e->modifiers().testFlag(Qt::ShiftModifier); }
    static bool Ctrl(const QMouseEvent *e) { return e->modifiers().testFlag(Qt::ControlModifier); }

    CPrimitiveHandle &m_handle;
};

CPrimitiveHandle::CPrimitiveHandle(int index, CCanvas *canvas, CPrimitive *primitive, int x, int y)
    : m_x(x), m_y(y), m_primitive(primitive), m_canvas(canvas), m_index(index)
{
}

CPrimitiveHandle::~CPrimitiveHandle()
{
    DestroyWindow();
}

QWidget *CPrimitiveHandle::Window() const
{
    return m_window;
}

void CPrimitiveHandle::Create()
{
    if (m_window || !m_canvas)
        return;
    auto *window = new HandleWindow(*this, m_canvas);
    window->setGeometry(m_x - kHalf, m_y - kHalf, kSize, kSize);
    window->setCursor(Cursor());
    window->show();
    m_window = window;
}

void CPrimitiveHandle::DestroyWindow()
{
    delete m_window.data();
}

void CPrimitiveHandle::MoveTo(const QPoint &client)
{
    m_x = client.x();
    m_y = client.y();
    if (m_window) {
        m_window->move(m_x - kHalf, m_y - kHalf);
        m_window->update();
    }
}

void CPrimitiveHandle::SetCanvas(CCanvas *canvas)
{
    m_canvas = canvas;
    if (!m_window)
        return;
    if (!canvas) {
        DestroyWindow();
        return;
    }
    m_window->setParent(canvas);
    m_window->move(m_x - kHalf, m_y - kHalf);
    m_window->show();
}

void CPrimitiveHandle::Repaint()
{
    if (m_window)
        m_window->update();
}

void CPrimitiveHandle::SetCursor(int id, bool system)
{
    m_cursorId = id;
    m_systemCursor = system;
    if (m_window)
        m_window->setCursor(Cursor());
}

QCursor CPrimitiveHandle::Cursor() const
{
    if (!m_systemCursor)
        return ProgramCursor(m_cursorId);
    switch (m_cursorId) {
    case kSizeNwSe: return QCursor(Qt::SizeFDiagCursor);
    case kSizeNeSw: return QCursor(Qt::SizeBDiagCursor);
    case kSizeWestEast: return QCursor(Qt::SizeHorCursor);
    case kSizeNorthSouth: return QCursor(Qt::SizeVerCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

QColor CPrimitiveHandle::FillColour() const
{
    if (m_dragging)
        return m_snappedNow ? kSnappedColour : m_snapMode ? kSnapOnColour : m_dragColour;
    return m_marked && !m_selected ? QColor(0, 0, 0) : m_selectedColour;
}

void CPrimitiveHandle::Paint(QPainter &painter) const
{
    const QRect box(0, 0, kSize, kSize);
    painter.fillRect(box, FillColour());
    painter.setPen(QPen(m_frameColour, 0));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

// --- The drag ---------------------------------------------------------------------------

void CPrimitiveHandle::ReadModifiers(bool shift, bool ctrl)
{
    m_canvas->SetMoveWhole(m_canvas->RigidObjects() != shift);
    const bool snapMode = m_canvas->SnapToObjects() != ctrl;
    if (snapMode != m_snapMode) {
        m_snapMode = snapMode;
        Repaint();
    }
}

void CPrimitiveHandle::OnButtonDown(bool shift, bool ctrl)
{
    // A handle shown only for a mark is no handle to drag.
    if (!m_canvas || !m_primitive || (m_marked && !m_selected))
        return;
    if (!m_primitive->BeginTrack(m_index))
        return;
    CanvasListLink *pane = m_primitive->GetListPane() ? m_primitive->GetListPane() : m_canvas->ListPane();
    if (pane)
        pane->HoldModifyUndo(*m_primitive);
    m_dragging = true;
    m_primitive->SetSnapped(false);
    m_moved = false;
    g_lastMouse = Point();
    if (m_window) {
        // The window keeps the mouse while the button is held (Qt's own grab).
        QCursor::setPos(m_window->mapToGlobal(QPoint(kHalf, kHalf)));
        m_window->setCursor(ProgramCursor(IDC_CURSOR_DRAG));
    }
    m_canvas->SetMoveWhole(m_canvas->RigidObjects() != shift);
    if (!m_canvas->RigidObjects() && shift)
        m_canvas->SetAnchor(Point());
    m_snapMode = m_canvas->SnapToObjects() != ctrl;
    Repaint();
}

void CPrimitiveHandle::OnMouseMove(const QPoint &local, bool shift, bool ctrl)
{
    if (!m_dragging || !m_canvas || !m_window) {
        if (m_window)
            m_window->setCursor(Cursor());
        return;
    }
    ReadModifiers(shift, ctrl);
    QPoint point = m_window->mapTo(m_canvas, local);
    if (point == g_lastMouse)
        return;
    g_lastMouse = point;
    const bool snapped = m_primitive->SnapTrackPoint(point, true, m_snapMode);
    m_canvas->SetAnchor(Point());
    m_snappedNow = snapped;
    m_primitive->SetSnapped(snapped);
    // Snapped where the marker already stands: nothing moves.
    if (snapped && m_marker == point)
        return;
    m_moved = true;
    // A point snapped to the grid at the edge may lie outside: clamped after snapping.
    QPoint image = m_canvas->ClientToImage(point);
    m_canvas->ClampToImage(image);
    point = m_canvas->ImageToClient(image);
    if (!m_primitive->Track(m_index, point, true))
        return;
    if (!snapped && m_marker)
        DrawSnapMarker(*m_marker, false);
    MoveTo(point);
    m_primitive->Track(m_index, point, false);
    if (snapped) {
        m_snappedPoint = point;
        DrawSnapMarker(point, true);
    }
}

void CPrimitiveHandle::OnButtonUp()
{
    if (!m_dragging)
        return;
    if (m_marker)
        DrawSnapMarker(*m_marker, false);
    m_dragging = false;
    m_snapMode = false;
    m_snappedNow = false;
    CCanvas *canvas = m_canvas;
    m_primitive->EndTrack(m_index, m_moved);
    Repaint();
    if (m_window)
        m_window->setCursor(Cursor());
    if (canvas)
        canvas->SetMoveWhole(false);
}

void CPrimitiveHandle::DrawSnapMarker(const QPoint &point, bool show)
{
    if (!m_canvas)
        return;
    if (show) {
        m_marker = point;
        m_canvas->SetSnapMarker(point);
    } else {
        m_marker.reset();
        m_canvas->SetSnapMarker(std::nullopt);
    }
}
