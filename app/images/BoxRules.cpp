#include "BoxRules.h"

#include "CPrimitive.h"
#include "CPrimitiveHandle.h"
#include "ResourceIds.h"

#include <algorithm>

namespace BoxRules {

namespace {

constexpr HandleLook kLooks[kHandles] = {
    {CPrimitiveHandle::kSizeNwSe, true},       {CPrimitiveHandle::kSizeNeSw, true},
    {CPrimitiveHandle::kSizeNwSe, true},       {CPrimitiveHandle::kSizeNeSw, true},
    {CPrimitiveHandle::kSizeWestEast, true},   {CPrimitiveHandle::kSizeNorthSouth, true},
    {CPrimitiveHandle::kSizeWestEast, true},   {CPrimitiveHandle::kSizeNorthSouth, true},
    {IDC_CURSOR_MOVE, false},
};

} // namespace

HandleLook Look(int index)
{
    return index >= 1 && index <= kHandles ? kLooks[index - 1] : HandleLook{CPrimitiveHandle::kArrow, true};
}

std::array<QPoint, kHandles> Layout(const QPoint &a, const QPoint &b)
{
    const int mx = (a.x() + b.x()) / 2;
    const int my = (a.y() + b.y()) / 2;
    return {QPoint(a.x(), a.y()), QPoint(a.x(), b.y()), QPoint(b.x(), b.y()),
            QPoint(b.x(), a.y()), QPoint(a.x(), my),    QPoint(mx, b.y()),
            QPoint(b.x(), my),    QPoint(mx, a.y()),    QPoint(mx, my)};
}

std::array<QPoint, kHandles> LayoutFrom(const QPoint &corner, const QPoint &extent)
{
    const int w = extent.x();
    const int h = extent.y();
    return {corner,
            corner + QPoint(0, h),
            corner + QPoint(w, h),
            corner + QPoint(w, 0),
            corner + QPoint(0, h / 2),
            corner + QPoint(w / 2, h),
            corner + QPoint(w, h / 2),
            corner + QPoint(w / 2, 0),
            corner + QPoint(w / 2, h / 2)};
}

bool KeepsY(int index) { return index == 5 || index == 7; }
bool KeepsX(int index) { return index == 6 || index == 8; }

void ResizeCorners(int index, const QPoint &point, QPoint &a, QPoint &b)
{
    switch (index) {
    case 1: a = point; break;
    case 2: a.setX(point.x()); b.setY(point.y()); break;
    case 3: b = point; break;
    case 4: a.setY(point.y()); b.setX(point.x()); break;
    case 5: a.setX(point.x()); break;
    case 6: b.setY(point.y()); break;
    case 7: b.setX(point.x()); break;
    case 8: a.setY(point.y()); break;
    default: break;
    }
}

void OrderCorners(QPoint &a, QPoint &b)
{
    const QPoint low(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    const QPoint high(std::max(a.x(), b.x()), std::max(a.y(), b.y()));
    a = low;
    b = QPoint(std::max(high.x(), low.x() + 1), std::max(high.y(), low.y() + 1));
}

QPoint OffsetInBox(int index, const QPoint &extent)
{
    const int dx = extent.x();
    const int dy = extent.y();
    switch (index) {
    case 2: return {0, dy};
    case 3: return {dx, dy};
    case 4: return {dx, 0};
    case 5: return {0, dy / 2};
    case 6: return {dx / 2, dy};
    case 7: return {dx, dy / 2};
    case 8: return {dx / 2, 0};
    case 9: return {dx / 2, dy / 2};
    default: return {0, 0};
    }
}

std::vector<QPoint> SnapKeys(const QPoint &a, const QPoint &b)
{
    const int mx = CPrimitive::RoundHalfUp((double(a.x()) + b.x()) / 2.0);
    const int my = CPrimitive::RoundHalfUp((double(a.y()) + b.y()) / 2.0);
    return {a,
            b,
            QPoint(a.x(), b.y()),
            QPoint(b.x(), a.y()),
            QPoint(a.x(), my),
            QPoint(b.x(), my),
            QPoint(mx, a.y()),
            QPoint(mx, b.y()),
            QPoint(mx, my)};
}

} // namespace BoxRules
