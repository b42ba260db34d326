#pragma once
// One control point of a primitive on the canvas: a 7 x 7 square centred on
// the point while the primitive is selected or marked, by which the user
// drags the point. The handle keeps its point, its look and the state of
// its drag; the canvas it is shown on paints it over the primitives, finds
// it under the mouse and drives the drag (Shift inverts the canvas's
// move-whole setting, Ctrl its point snapping, both read at every move),
// asking the primitive through HandleOwnerLink. A shown handle is no
// window: a thousand marked primitives cost the canvas no region work.

#include <QColor>
#include <QPoint>
#include <QRect>

class HandleLayer;
class HandleOwnerLink;
class QCursor;
class QPainter;

class CPrimitiveHandle {
public:
    // Win32's numbers of the system cursors a handle may show.
    static constexpr int kArrow = 0x7F00;
    static constexpr int kSizeNwSe = 0x7F82;
    static constexpr int kSizeNeSw = 0x7F83;
    static constexpr int kSizeWestEast = 0x7F84;
    static constexpr int kSizeNorthSouth = 0x7F85;

    static constexpr int kSize = 7;

    CPrimitiveHandle(int index, HandleOwnerLink *primitive, int x, int y);
    // Leaves the layer it is shown on.
    ~CPrimitiveHandle();
    CPrimitiveHandle(const CPrimitiveHandle &) = delete;
    CPrimitiveHandle &operator=(const CPrimitiveHandle &) = delete;

    // Shown on layer over the handles shown before (taken from another
    // layer); hidden. A handle is shown only while its primitive is
    // selected or marked.
    void Show(HandleLayer &layer);
    void Hide();
    bool IsShown() const { return m_layer != nullptr; }
    HandleLayer *Layer() const { return m_layer; }
    // The layer went first: the handle is no longer shown, nothing is told.
    void LayerGone() { m_layer = nullptr; }
    // The layer's place for the handle in its stacking order.
    quint64 StackKey() const { return m_stackKey; }
    void SetStackKey(quint64 key) { m_stackKey = key; }

    // The point (client pixels); a shown handle repaints where it was and is.
    void MoveTo(const QPoint &client);
    QPoint Point() const { return {m_x, m_y}; }
    // The 7 x 7 pixels the handle covers, centred on its point.
    QRect Box() const { return QRect(m_x - kSize / 2, m_y - kSize / 2, kSize, kSize); }
    HandleOwnerLink *Primitive() const { return m_primitive; }
    void SetPrimitive(HandleOwnerLink *primitive) { m_primitive = primitive; }
    void Repaint();

    int Index() const { return m_index; }
    bool IsDragging() const { return m_dragging; }
    void SetDragging(bool dragging) { m_dragging = dragging; }
    bool IsSnapMode() const { return m_snapMode; }
    void SetSnapMode(bool on) { m_snapMode = on; }
    bool IsSnappedNow() const { return m_snappedNow; }
    void SetSnappedNow(bool snapped) { m_snappedNow = snapped; }
    bool HasMoved() const { return m_moved; }
    void SetMoved(bool moved) { m_moved = moved; }
    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    bool IsMarked() const { return m_marked; }
    void SetMarked(bool marked) { m_marked = marked; }
    // A handle shown only for a mark is no handle to drag.
    bool IsDraggable() const { return m_primitive && !(m_marked && !m_selected); }
    void SetCursor(int id, bool system);
    QCursor Cursor() const;

    // The fill of the paint rule: while dragging green when snapped, red
    // when snapping is on, else blue; otherwise black for a marked handle
    // of an unselected primitive, else white. Framed in grey.
    QColor FillColour() const;
    // Paints the handle's box in the layer's pixels.
    void Paint(QPainter &painter) const;

private:
    QColor m_selectedColour{255, 255, 255};
    QColor m_frameColour{128, 128, 128};
    QColor m_dragColour{0, 0, 255};
    int m_x = 0;
    int m_y = 0;
    HandleOwnerLink *m_primitive = nullptr;
    HandleLayer *m_layer = nullptr;
    quint64 m_stackKey = 0;
    int m_index = 0;
    bool m_dragging = false;
    bool m_snapMode = false;
    bool m_snappedNow = false;
    bool m_moved = false;
    bool m_marked = false;
    bool m_selected = false;
    int m_cursorId = kArrow;
    bool m_systemCursor = true;
};
