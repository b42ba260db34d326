#pragma once
// What the kinds of primitive with a place on the image do alike, written
// once: moving and scaling their image points, their handles following a
// selection and a canvas, the frame of their drawing, their snapping to
// their key points and the end of a drag. A kind derives from
// PlacedKind<Kind> (a box's kinds from PlacedKind<Kind, CRectangle>), makes
// it a friend, and gives (besides PrimitiveKind's TakeValues):
//   ForEachPoint(f)   f(x, y) on each image point of its values, the ones
//                     Offset moves and Scale scales;
//   CreateHandles()   its handles, when it is on a canvas and has none;
//   PlaceHandles()    its handles onto its values (not during a drag);
//   PointsMoved()     after Offset and Scale; by default PlaceHandles;
//   Paint(painter, update)  its picture, when it meets update, the part
//                     repainted;
//   SnapKeys()        its image key points, in the order they are tried;
//   ShowOutline()     the canvas's outline of a drag (for BeginDrag and
//                     ShowDragStep).

#include "PrimitiveKind.h"

#include "CCanvas.h"

#include <vector>

template <class Kind, class Base = CPrimitive>
class PlacedKind : public PrimitiveKind<Kind, Base> {
public:
    using PrimitiveKind<Kind, Base>::PrimitiveKind;

    // The handles follow the values taken.
    void VirtualAssign(const CPrimitive &other) override
    {
        PrimitiveKind<Kind, Base>::VirtualAssign(other);
        Self().PlaceHandles();
    }

    void Offset(int dx, int dy) override
    {
        Self().ForEachPoint([dx, dy](auto &x, auto &y) { CPrimitive::OffsetPoint(x, y, dx, dy); });
        Self().PointsMoved();
    }

    void Scale(double sx, double sy) override
    {
        Self().ForEachPoint([sx, sy](auto &x, auto &y) { CPrimitive::ScalePoint(x, y, sx, sy); });
        Self().PointsMoved();
    }

    void Select() override
    {
        Base::Select();
        if (this->HandlesShown())
            Self().PlaceHandles();
    }

    void SetCanvas(CCanvas *canvas) override
    {
        Base::SetCanvas(canvas);
        Self().CreateHandles();
    }

    // Nothing during a drag (the outline shows it) or where it does not
    // reach; a selected primitive's handles follow.
    void Draw(QPainter &painter, const QRect &update) override
    {
        if (!this->GetCanvas() || this->IsTracking() || !this->IntersectsRect(update))
            return;
        Self().Paint(painter, update);
        if (this->IsSelected())
            Self().PlaceHandles();
    }

    // The first key point within 4 pixels both ways; none during a drag.
    bool SnapPoint(QPoint &image) override
    {
        if (this->IsTracking())
            return false;
        for (const QPoint &key : Self().SnapKeys()) {
            if (CPrimitive::SnapToNearPoint(image, key))
                return true;
        }
        return false;
    }

protected:
    PlacedKind() = default;
    PlacedKind(const PlacedKind &other) = default;

    void PointsMoved() { Self().PlaceHandles(); }

    // A drag begins, when the primitive is on a canvas, free and has its
    // handles: they go to their places, keep notes where the drag starts,
    // and the primitive gives way to its outline.
    template <class Keep>
    bool BeginDrag(int handles, Keep keep)
    {
        CCanvas *canvas = this->GetCanvas();
        if (!canvas || this->IsLocked() || this->HandleCount() < handles)
            return false;
        Self().PlaceHandles();
        this->SetTracking(true);
        keep();
        this->Invalidate();
        canvas->repaint();
        Self().ShowOutline();
        this->RepaintHandles();
        return true;
    }

    // A step of a drag shown: the outline, the handles and the line; true.
    bool ShowDragStep()
    {
        Self().ShowOutline();
        this->RepaintHandles();
        this->ShowStatus();
        return true;
    }

    // A drag ends: when the handle moved, take puts the values where the
    // drag left them; then the drag's marks go, a move is told to the
    // canvas, the handles follow, and the primitive repaints and shows its
    // line.
    template <class Take>
    void EndDrag(bool moved, Take take)
    {
        CCanvas *canvas = this->GetCanvas();
        if (!canvas)
            return;
        if (moved)
            take(*canvas);
        this->ClearTracking();
        canvas->ClearDragFeedback();
        if (moved)
            canvas->SetModified();
        Self().PlaceHandles();
        this->Invalidate();
        if (moved)
            this->ShowStatus();
    }

private:
    Kind &Self() { return static_cast<Kind &>(*this); }
};
