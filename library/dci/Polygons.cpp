// The drawing and fill members that stage point lists: poly-lines (two
// lists), polygons and the enclosing fill (one list).
#include "Dci.h"

using namespace morvane;
using namespace morvane::dci;

namespace {

// Counts go into 16-bit words on the generator.
constexpr int32_t kMostPoints = 32767;

const int16_t* Values(const Point* points)
{
    return reinterpret_cast<const int16_t*>(points);
}

// a holds n points, b n + 1; released b first. The last release's result.
int32_t PolyLine(Row row, int32_t n, const Point* a, const Point* b)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(n >= 0 && n <= kMostPoints && a != nullptr && b != nullptr) || !session.Open())
        return 0;
    const uint32_t stagedA = StageWords(session, Values(a), 2 * int64_t{n});
    if (stagedA == 0)
        return 0;
    const uint32_t stagedB = StageWords(session, Values(b), 2 * int64_t{n} + 2);
    if (stagedB == 0)
        return static_cast<int32_t>(Release(session, stagedA));
    CallIn(session, row, {n, stagedA, stagedB});
    Release(session, stagedB);
    return static_cast<int32_t>(Release(session, stagedA));
}

int32_t Polygon(Row row, int32_t n, const Point* points)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(n >= 0 && n <= kMostPoints && points != nullptr) || !session.Open())
        return 0;
    const uint32_t staged = StageWords(session, Values(points), 2 * int64_t{n});
    if (staged == 0)
        return 0;
    CallIn(session, row, {n, staged});
    return static_cast<int32_t>(Release(session, staged));
}

}  // namespace

extern "C" {

MORVANE_API int32_t XR_DrawPolyLine(int32_t n, const Point* a, const Point* b)
{
    return PolyLine(k_XR_DrawPolyLine, n, a, b);
}

MORVANE_API int32_t XR_PenPolyLine(int32_t n, const Point* a, const Point* b)
{
    return PolyLine(k_XR_PenPolyLine, n, a, b);
}

MORVANE_API int32_t XR_PatnPenPolyLine(int32_t n, const Point* a, const Point* b)
{
    return PolyLine(k_XR_PatnPenPolyLine, n, a, b);
}

MORVANE_API int32_t XR_FillPolygon(int32_t n, const Point* points)
{
    return Polygon(k_XR_FillPolygon, n, points);
}

MORVANE_API int32_t XR_PatnFillPolygon(int32_t n, const Point* points)
{
    return Polygon(k_XR_PatnFillPolygon, n, points);
}

MORVANE_API int32_t XR_EncloseFillRect(int32_t n, const Point* points)
{
    return Polygon(k_XR_EncloseFillRect, n, points);
}

}  // extern "C"
