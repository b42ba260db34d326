#pragma once
// What the kinds of primitive that every handle moves whole do alike (a
// text, an information box, a render map, a group): their handles, the drag
// that carries them all and the outline, and a client rectangle that clicks
// hit and rubber bands meet. A kind derives from MovedWholeKind<Kind>,
// makes it, PlacedKind<Kind> and PrimitiveKind<Kind> friends, and gives
// (besides those templates' hooks other than CreateHandles and PlaceHandles):
//   HandlePoints()   an array of its handles' client points;
//   HitRect()        the client pixels it covers.

#include "PlacedKind.h"

#include "ResourceIds.h"

#include <array>
#include <utility>

template <class Kind, class Base = CPrimitive>
class MovedWholeKind : public PlacedKind<Kind, Base> {
public:
    using PlacedKind<Kind, Base>::PlacedKind;

    bool HitTest(const QPoint &client) const override { return Self().HitRect().contains(client); }
    bool IntersectsRect(const QRect &client) const override { return Self().HitRect().intersects(client); }

    bool BeginTrack(int) override
    {
        return this->BeginDrag(HandleTotal(), [this] { this->KeepHandleStarts(); });
    }

    // Every other handle keeps its place from the dragged one.
    bool Track(int index, QPoint &, bool) override
    {
        this->FollowHandle(index);
        return this->ShowDragStep();
    }

protected:
    MovedWholeKind() = default;
    MovedWholeKind(const MovedWholeKind &other) = default;

    void CreateHandles()
    {
        if (!this->GetCanvas() || this->HandleCount() != 0)
            return;
        for (const QPoint &point : Self().HandlePoints())
            this->AddHandle(point, IDC_CURSOR_MOVE, false);
    }

    void PlaceHandles()
    {
        if (!this->GetCanvas() || this->HandleCount() != HandleTotal() || this->IsTracking())
            return;
        const auto points = Self().HandlePoints();
        for (int i = 1; i <= HandleTotal(); ++i)
            this->MoveHandle(i, points[size_t(i - 1)]);
    }

private:
    static constexpr int HandleTotal()
    {
        return int(std::tuple_size_v<decltype(std::declval<const Kind &>().HandlePoints())>);
    }
    Kind &Self() { return static_cast<Kind &>(*this); }
    const Kind &Self() const { return static_cast<const Kind &>(*this); }
};
