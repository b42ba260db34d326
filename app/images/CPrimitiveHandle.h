#pragma once
// One control point of a primitive on the canvas: a 7 x 7 child window
// centred on the point while the primitive is selected or marked, by which
// the user drags the point (Shift inverts the canvas's move-whole setting,
// Ctrl its point snapping, both read at every move). The handle's state
// lives as long as its primitive; the window only while it is shown.

#include <QColor>
#include <QPoint>
#include <QPointer>

#include <optional>

class CCanvas;
class CPrimitive;
class QCursor;
class QPainter;
class QWidget;

class CPrimitiveHandle {
public:
    // Win32's numbers of the system cursors a handle may show.
    static constexpr int kArrow = 0x7F00;
    static constexpr int kSizeNwSe = 0x7F82;
    static constexpr int kSizeNeSw = 0x7F83;
    static constexpr int kSizeWestEast = 0x7F84;
    static constexpr int kSizeNorthSouth = 0x7F85;

    static constexpr int kSize = 7;

    CPrimitiveHandle(int index, CCanvas *canvas, CPrimitive *primitive, int x, int y);
    ~CPrimitiveHandle();
    CPrimitiveHandle(const CPrimitiveHandle &) = delete;
    CPrimitiveHandle &operator=(const CPrimitiveHandle &) = delete;

    // The window, a child of the canvas over (x - 3, y - 3)..(x + 3, y + 3),
    // when it has none.
    void Create();
    void DestroyWindow();
    bool HasWindow() const { return !m_window.isNull(); }
    // The window the user drags; null while the handle is not shown.
    QWidget *Window() const;
    // The point (client pixels) and the window with it.
    void MoveTo(const QPoint &client);
    QPoint Point() const { return {m_x, m_y}; }
    void SetCanvas(CCanvas *canvas);
    void SetPrimitive(CPrimitive *primitive) { m_primitive = primitive; }
    void Repaint();

    int Index() const { return m_index; }
    bool IsDragging() const { return m_dragging; }
    void SetDragging(bool dragging) { m_dragging = dragging; }
    bool IsSnapMode() const { return m_snapMode; }
    bool IsSnappedNow() const { return m_snappedNow; }
    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    bool IsMarked() const { return m_marked; }
    void SetMarked(bool marked) { m_marked = marked; }
    void SetCursor(int id, bool system);
    QCursor Cursor() const;

    // The fill of the paint rule: while dragging green when snapped, red
    // when snapping is on, else blue; otherwise black for a marked handle
    // of an unselected primitive, else white. Framed in grey.
    QColor FillColour() const;
    void Paint(QPainter &painter) const;

    // The drag, as the window's mouse messages drive it: button down, a
    // move to a point in the window's own pixels, button up.
    void OnButtonDown(bool shift, bool ctrl);
    void OnMouseMove(const QPoint &local, bool shift, bool ctrl);
    void OnButtonUp();

private:
    class HandleWindow;
    // Shows the snap marker at point (show) or takes the one shown away.
    void DrawSnapMarker(const QPoint &point, bool show);
    void ReadModifiers(bool shift, bool ctrl);

    QColor m_selectedColour{255, 255, 255};
    QColor m_frameColour{128, 128, 128};
    QColor m_dragColour{0, 0, 255};
    int m_x = 0;
    int m_y = 0;
    std::optional<QPoint> m_marker;
    QPoint m_snappedPoint;
    CPrimitive *m_primitive = nullptr;
    QPointer<CCanvas> m_canvas;
    int m_index = 0;
    bool m_dragging = false;
    bool m_snapMode = false;
    bool m_snappedNow = false;
    bool m_moved = false;
    bool m_marked = false;
    bool m_selected = false;
    int m_cursorId = kArrow;
    bool m_systemCursor = true;
    QPointer<QWidget> m_window;
};
