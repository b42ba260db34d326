#pragma once
// The rules of a box's nine handles, written once for every primitive that
// is a box (rectangles, ovals, character boxes, a block copy's source):
// where the handles stand, which cursor each shows, how a drag of one moves
// the corners, and where each stands in the box for a move of the whole.
// Handles 1-4 are the corners (top-left, bottom-left, bottom-right,
// top-right), 5-8 the middles of the left, bottom, right and top edges, 9
// the centre; halves are integer halves.

#include <QPoint>

#include <array>
#include <vector>

namespace BoxRules {

inline constexpr int kHandles = 9;

struct HandleLook {
    int cursor;  // a system cursor id (CPrimitiveHandle::kSize...) or a program cursor resource
    bool system;
};
// The look of handle index (1..9).
HandleLook Look(int index);

// The nine client points of the box with corners a (handle 1) and b (handle 3).
std::array<QPoint, kHandles> Layout(const QPoint &a, const QPoint &b);
// The same from the top-left corner and the extent (width and height less
// one), the middles at half the extent.
std::array<QPoint, kHandles> LayoutFrom(const QPoint &corner, const QPoint &extent);

// An edge handle moves only across its edge: 5 and 7 keep their y, 6 and 8 their x.
bool KeepsY(int index);
bool KeepsX(int index);

// Handle index moved to point: the corners a (handle 1) and b (handle 3) it changes.
void ResizeCorners(int index, const QPoint &point, QPoint &a, QPoint &b);

// Corners in order (a the smaller in each direction), and at least two
// pixels each way: a box dragged flat keeps two.
void OrderCorners(QPoint &a, QPoint &b);

// Handle index's place from the top-left corner, in a box extent (width
// and height less one) big.
QPoint OffsetInBox(int index, const QPoint &extent);

// The image points a box with corners a and b snaps to, in the order they
// are tried: a, b, the other two corners, the middles of the edges (left,
// right, top, bottom) and the centre; middles rounded half up.
std::vector<QPoint> SnapKeys(const QPoint &a, const QPoint &b);

} // namespace BoxRules
