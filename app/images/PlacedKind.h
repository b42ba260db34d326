#pragma once
// What the kinds of primitive with a place on the image do alike, written
// once: moving and scaling their image points, and their handles following
// a selection and a canvas. A kind derives from PlacedKind<Kind>, makes it
// a friend, and gives (besides PrimitiveKind's TakeValues):
//   ForEachPoint(f)   f(x, y) on each image point of its values, the ones
//                     Offset moves and Scale scales;
//   CreateHandles()   its handles, when it is on a canvas and has none;
//   PlaceHandles()    its handles onto its values (not during a drag);
//   PointsMoved()     after Offset and Scale; by default PlaceHandles.

#include "PrimitiveKind.h"

template <class Kind, class Base = CPrimitive>
class PlacedKind : public PrimitiveKind<Kind, Base> {
public:
    using PrimitiveKind<Kind, Base>::PrimitiveKind;

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
        if (this->HasHandleWindows())
            Self().PlaceHandles();
    }

    void SetCanvas(CCanvas *canvas) override
    {
        Base::SetCanvas(canvas);
        Self().CreateHandles();
    }

protected:
    PlacedKind() = default;
    PlacedKind(const PlacedKind &other) = default;

    void PointsMoved() { Self().PlaceHandles(); }

private:
    Kind &Self() { return static_cast<Kind &>(*this); }
};
