#pragma once
// The two small interfaces through which the canvas and the primitives on
// it reach the rest of the image editor: the primitive list pane (which
// holds the primitives) and the editor's frame. The pane and the editor
// implement them; tests put doubles in their place.

class CPrimitive;
class QPainter;
class QPoint;
class QRect;

class CanvasListLink {
public:
    virtual ~CanvasListLink() = default;
    // Every top-level primitive's Draw, in tree order.
    virtual void DrawAll(QPainter &painter, const QRect &update) = 0;
    // A click on the canvas at a client point: the topmost primitive hit is
    // selected; with ctrl its mark toggles.
    virtual void SelectAtPoint(const QPoint &client, bool ctrl) = 0;
    // A rubber band (client pixels, corners ordered) marks what it meets.
    virtual void MarkInRect(const QRect &client) = 0;
    // An arrow key: the selected primitive moves by image pixels.
    virtual void NudgeSelected(int dx, int dy) = 0;
    // An image point onto a primitive's key point (the last primitive
    // first); true when one took it.
    virtual bool SnapToPrimitives(QPoint &image) = 0;
    virtual void ScaleAll(double sx, double sy) = 0;
    // A handle drag of the primitive begins: its present state becomes the
    // pane's one undo record.
    virtual void HoldModifyUndo(const CPrimitive &primitive) = 0;
    // A primitive back under its remembered parent after its remembered
    // predecessor (undo); true when its item was made.
    virtual bool InsertPrimitive(CPrimitive &) { return false; }
};

class CanvasEditorLink {
public:
    virtual ~CanvasEditorLink() = default;
    // The canvas holds its first change: the editor marks its title.
    virtual void SetChanged(bool force) = 0;
    // The canvas moved or changed its size while the aspect is fixed.
    virtual void StartFixedAspectTimer() = 0;
    // A rubber band ended: the "Select Area" button comes up.
    virtual void SelectAreaEnded() = 0;
};
