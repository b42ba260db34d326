#pragma once
// The image editor's drawing surface: the whole image stretched over the
// pane in x and y, the grid dots, the primitives (drawn by the list pane),
// the "Select Area" rubber band, clicks and arrow keys handed to the pane,
// and the primitives' handles: the canvas paints the shown ones over
// everything, gives the cursor of the one under the mouse and drives the
// drag of the one pressed with the snapping settings below
// (CCanvasHandles.cpp).
//
// Feedback that follows the mouse (the rubber band, a dragged primitive's
// outline, the snap marker) is state of the canvas, painted last in XOR so
// it shows on any colour, and repainted whenever it changes.

#include "HandleLinks.h"

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <map>
#include <optional>
#include <vector>

class CanvasEditorLink;
class CanvasListLink;
class CPrimitiveHandle;

// One shape of the XOR feedback, in client pixels.
struct FeedbackShape {
    enum Kind { Line, Frame, Ellipse };
    Kind kind = Line;
    QPoint a;          // line: the ends; frame and ellipse: two corners of the box, inside it
    QPoint b;
    QColor colour;
    bool dotted = false;
};

class CCanvas : public QWidget, public HandleLayer {
public:
    explicit CCanvas(QWidget *parent = nullptr);
    // The handles still shown are no longer shown anywhere.
    ~CCanvas() override;

    void SetListPane(CanvasListLink *pane) { m_listPane = pane; }
    void SetEditor(CanvasEditorLink *editor) { m_editor = editor; }
    CanvasListLink *ListPane() const { return m_listPane; }

    // --- The mapping ------------------------------------------------------------
    // The integer part (towards zero), plus 1 when the fraction left is 0.5
    // or more; beyond the int range the nearest end, not-a-number 0.
    static int RoundHalfUp(double value);
    // Client pixel of an image point: (client width - 1) * x / largest x,
    // rounded half up; likewise y.
    QPoint ImageToClient(int x, int y) const;
    QPoint ImageToClient(const QPoint &image) const { return ImageToClient(image.x(), image.y()); }
    // Image point of a client pixel: largest x * x / (client width - 1);
    // a client size of 0 in a direction gives 0.
    QPoint ClientToImage(int x, int y) const;
    QPoint ClientToImage(const QPoint &client) const { return ClientToImage(client.x(), client.y()); }
    // Each coordinate into 0..largest.
    void ClampToImage(QPoint &image) const;
    // The middle pixel of the image; two wide (high) when the width (height) is even.
    QRect GetCentre() const;

    int LargestX() const { return m_largestX; }
    int LargestY() const { return m_largestY; }
    // The image's size less one in each direction.
    void SetLimits(int largestX, int largestY);

    // --- Settings -----------------------------------------------------------------
    bool GridSnap() const { return m_gridSnap; }
    void SetGridSnap(bool on) { m_gridSnap = on; }
    bool ShowGrid() const { return m_showGrid; }
    void SetShowGrid(bool on);
    bool SnapToObjects() const { return m_snapToObjects; }
    void SetSnapToObjects(bool on) { m_snapToObjects = on; }
    bool RigidObjects() const { return m_rigidObjects; }
    void SetRigidObjects(bool on) { m_rigidObjects = on; }
    int GridStepX() const { return m_gridX; }
    int GridStepY() const { return m_gridY; }
    // Steps below 1 snap nothing and show no dots.
    void SetGridSteps(int x, int y);
    bool IsSelectArea() const { return m_selectArea; }
    void SetSelectArea(bool on) { m_selectArea = on; }
    bool IsBanding() const { return m_banding; }

    // --- State of a handle drag ---------------------------------------------------
    bool MoveWhole() const { return m_moveWhole; }
    void SetMoveWhole(bool on) { m_moveWhole = on; }
    // The point a whole-primitive move is measured from (client pixels).
    QPoint Anchor() const { return m_anchor; }
    void SetAnchor(const QPoint &client) { m_anchor = client; }

    // --- Snapping and changes -----------------------------------------------------
    // A point (client pixels when client, else image) onto a primitive's key
    // point, through the list pane; true when one took it.
    bool SnapToPoints(QPoint &point, bool client);
    // The first change marks the canvas and tells the editor.
    void SetModified();
    bool IsChanged() const { return m_changed; }
    void ClearChanged() { m_changed = false; }
    void SetFixedAspect(bool on) { m_fixedAspect = on; }
    bool IsFixedAspect() const { return m_fixedAspect; }
    void ScaleAll(double sx, double sy);

    // --- XOR feedback ---------------------------------------------------------------
    void SetDragFeedback(std::vector<FeedbackShape> shapes);
    void ClearDragFeedback();
    const std::vector<FeedbackShape> &DragFeedback() const { return m_dragFeedback; }
    // The snap marker: a red circle around a client point; none to erase it.
    void SetSnapMarker(std::optional<QPoint> client);
    std::optional<QPoint> SnapMarker() const { return m_snapMarker; }

    // --- Handles (CCanvasHandles.cpp) -------------------------------------------------
    void ShowHandle(CPrimitiveHandle &handle) override;
    void HideHandle(CPrimitiveHandle &handle) override;
    void RepaintHandleBox(const QRect &box) override;
    // Client pixels to paint again. What is asked between two paints is
    // painted as one box: a thousand primitives invalidated one by one
    // cost no region work.
    void RepaintArea(const QRect &client);
    // The topmost shown handle whose box holds a client point, or null.
    CPrimitiveHandle *HandleAt(const QPoint &client) const;
    int ShownHandleCount() const { return int(m_handles.size()); }
    // The handle being dragged, or null.
    CPrimitiveHandle *DraggedHandle() const;
    // The button goes down on the handle: it has the mouse until the button
    // comes up and drags when its primitive lets it. A press on the canvas
    // comes here when the topmost handle under it is one to drag.
    void PressHandle(CPrimitiveHandle &handle, bool shift, bool ctrl);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void PaintGrid(QPainter &painter, const QRect &update) const;
    void PaintFeedback(QPainter &painter) const;
    QRect BandRect() const;
    void RepaintFeedback(const QRect &before, const QRect &after);
    void WindowPlaceChanged();
    void PaintHandles(QPainter &painter, const QRect &update) const;
    // The drag of the pressed handle: the mouse moves (client pixels), the
    // button comes up.
    void DragHandle(QPoint point, bool shift, bool ctrl);
    void ReleaseHandle();
    // The cursor of the handle to drag under a client point, else the canvas's own.
    void FollowCursor(const QPoint &client);

    bool m_gridSnap = false;
    bool m_showGrid = false;
    bool m_snapToObjects = false;
    bool m_moveWhole = false;
    bool m_rigidObjects = false;
    bool m_selectArea = false;
    int m_gridX = 32;
    int m_gridY = 24;
    QPoint m_anchor;
    bool m_fixedAspect = false;
    CanvasListLink *m_listPane = nullptr;
    CanvasEditorLink *m_editor = nullptr;
    int m_largestX = 639;
    int m_largestY = 479;
    QPoint m_bandStart;
    QPoint m_bandEnd;
    bool m_banding = false;
    bool m_changed = false;

    std::vector<FeedbackShape> m_dragFeedback;
    std::optional<QPoint> m_snapMarker;

    // The shown handles by stacking order, the last shown on top.
    std::map<quint64, CPrimitiveHandle *> m_handles;
    quint64 m_nextStackKey = 0;
    // What was asked to repaint since the last paint.
    QRect m_dirty;
    CPrimitiveHandle *m_draggedHandle = nullptr;
    // The mouse at the drag's last step (client pixels): a step to the same
    // place is no step.
    QPoint m_lastDragMouse;
    // A press on a handle owns the mouse until the button comes up.
    bool m_handlePressed = false;
};
