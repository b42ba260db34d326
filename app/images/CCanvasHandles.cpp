// The canvas's handles: the shown ones in stacking order, painted over the
// primitives, the one under the mouse found for its cursor and its drag,
// and the drag itself, step by step with the primitive that owns it.

#include "CCanvas.h"

#include "CPrimitiveHandle.h"
#include "ProgramCursors.h"
#include "ResourceIds.h"

#include <QCursor>
#include <QPainter>

// --- The layer ---------------------------------------------------------------------------

void CCanvas::ShowHandle(CPrimitiveHandle &handle)
{
    handle.SetStackKey(++m_nextStackKey);
    m_handles.emplace(handle.StackKey(), &handle);
    RepaintHandleBox(handle.Box());
}

void CCanvas::HideHandle(CPrimitiveHandle &handle)
{
    if (m_handles.erase(handle.StackKey()) == 0)
        return;
    RepaintHandleBox(handle.Box());
    if (m_draggedHandle != &handle)
        return;
    // Its primitive let it go mid-drag: the drag ends here.
    m_draggedHandle = nullptr;
    m_moveWhole = false;
    if (m_snapMarker)
        SetSnapMarker(std::nullopt);
}

void CCanvas::RepaintHandleBox(const QRect &box)
{
    RepaintArea(box);
}

CPrimitiveHandle *CCanvas::HandleAt(const QPoint &client) const
{
    for (auto it = m_handles.rbegin(); it != m_handles.rend(); ++it) {
        if (it->second->Box().contains(client))
            return it->second;
    }
    return nullptr;
}

CPrimitiveHandle *CCanvas::DraggedHandle() const
{
    return m_draggedHandle && m_draggedHandle->IsDragging() ? m_draggedHandle : nullptr;
}

void CCanvas::PaintHandles(QPainter &painter, const QRect &update) const
{
    for (const auto &[key, handle] : m_handles) {
        if (handle->Box().intersects(update))
            handle->Paint(painter);
    }
}

void CCanvas::FollowCursor(const QPoint &client)
{
    const CPrimitiveHandle *handle = HandleAt(client);
    if (handle && handle->IsDraggable())
        setCursor(handle->Cursor());
    else
        unsetCursor();
}

// --- The drag -------------------------------------------------------------------------------

void CCanvas::PressHandle(CPrimitiveHandle &handle, bool shift, bool ctrl)
{
    // The handle has the mouse until the button comes up, dragged or not.
    m_handlePressed = true;
    m_draggedHandle = nullptr;
    if (!handle.IsDraggable() || !handle.Primitive()->HandleDragBegins(handle.Index()))
        return;
    m_draggedHandle = &handle;
    handle.SetDragging(true);
    handle.SetMoved(false);
    m_lastDragMouse = handle.Point();
    // The drag starts with the cursor on the handle's centre.
    QCursor::setPos(mapToGlobal(handle.Point()));
    setCursor(ProgramCursor(IDC_CURSOR_DRAG));
    SetMoveWhole(m_rigidObjects != shift);
    if (!m_rigidObjects && shift)
        SetAnchor(handle.Point());
    handle.SetSnapMode(m_snapToObjects != ctrl);
    handle.Repaint();
}

void CCanvas::DragHandle(QPoint point, bool shift, bool ctrl)
{
    CPrimitiveHandle *handle = DraggedHandle();
    if (!handle)
        return;
    SetMoveWhole(m_rigidObjects != shift);
    const bool snapMode = m_snapToObjects != ctrl;
    if (snapMode != handle->IsSnapMode()) {
        handle->SetSnapMode(snapMode);
        handle->Repaint();
    }
    if (point == m_lastDragMouse)
        return;
    m_lastDragMouse = point;
    HandleOwnerLink &primitive = *handle->Primitive();
    const bool snapped = primitive.HandleDragSnaps(point, snapMode);
    SetAnchor(handle->Point());
    handle->SetSnappedNow(snapped);
    // Snapped where the marker already stands: nothing moves.
    if (snapped && m_snapMarker == point)
        return;
    handle->SetMoved(true);
    // A point snapped to the grid at the edge may lie outside: clamped after snapping.
    QPoint image = ClientToImage(point);
    ClampToImage(image);
    point = ImageToClient(image);
    if (!primitive.HandleDragTracks(handle->Index(), point, true))
        return;
    if (!snapped && m_snapMarker)
        SetSnapMarker(std::nullopt);
    handle->MoveTo(point);
    primitive.HandleDragTracks(handle->Index(), point, false);
    if (snapped)
        SetSnapMarker(point);
}

void CCanvas::ReleaseHandle()
{
    m_handlePressed = false;
    CPrimitiveHandle *handle = DraggedHandle();
    m_draggedHandle = nullptr;
    if (!handle)
        return;
    if (m_snapMarker)
        SetSnapMarker(std::nullopt);
    handle->SetDragging(false);
    handle->SetSnapMode(false);
    handle->SetSnappedNow(false);
    const quint64 key = handle->StackKey();
    handle->Primitive()->HandleDragEnds(handle->Index(), handle->HasMoved());
    // The primitive may have let its handles go as the drag ended.
    const auto shown = m_handles.find(key);
    if (shown != m_handles.end() && shown->second == handle) {
        handle->Repaint();
        setCursor(handle->Cursor());
    } else {
        unsetCursor();
    }
    SetMoveWhole(false);
}
