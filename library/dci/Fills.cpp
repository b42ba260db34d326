// The fill members that stage more than a text: convex polygons (points
// gathered on the host), the seed and boundary fills' work space, installed
// patterns, and the box measurement's two result slots.
#include "Dci.h"

#include <vector>

using namespace morvane;
using namespace morvane::dci;

namespace {

// Counts go into 16-bit words on the generator.
constexpr int32_t kFillsMostPoints = 32767;
constexpr int kPatternWords = 16;

// count 32-bit values into staged memory (PCI only); 0 when refused or the
// stream failed (the block is then released).
uint32_t FillsStageInt32(Session& session, const uint32_t* values, int32_t count)
{
    const uint32_t staged = Stage(session, 4 * int64_t{count});
    if (staged == 0)
        return 0;
    PciWriteInt32(values, staged, count);
    if (session.Check())
        return staged;
    Release(session, staged);
    return 0;
}

// The generator gets the points already in drawing order and an identity
// index list: 16-bit indexes on ISA, 32-bit on PCI.
int32_t FillsConvex(Row row, int32_t n, const int32_t* index, const Point* points)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    if (!Accepted(n >= 0 && n <= kFillsMostPoints && index != nullptr && points != nullptr))
        return 0;
    std::vector<Point> gathered(static_cast<std::size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        if (!Accepted(index[i] >= 0))
            return 0;
        gathered[static_cast<std::size_t>(i)] = points[index[i]];
    }
    Session session;
    if (!session.Open())
        return 0;
    uint32_t stagedIndex = 0;
    if (BoundPath() == Path::Isa) {
        std::vector<int16_t> identity(static_cast<std::size_t>(n));
        for (int32_t i = 0; i < n; ++i)
            identity[static_cast<std::size_t>(i)] = static_cast<int16_t>(i);
        stagedIndex = StageWords(session, identity.data(), n);
    } else {
        std::vector<uint32_t> identity(static_cast<std::size_t>(n));
        for (int32_t i = 0; i < n; ++i)
            identity[static_cast<std::size_t>(i)] = static_cast<uint32_t>(i);
        stagedIndex = FillsStageInt32(session, identity.data(), n);
    }
    if (stagedIndex == 0)
        return 0;
    const uint32_t stagedPoints =
        StageWords(session, reinterpret_cast<const int16_t*>(gathered.data()), 2 * int64_t{n});
    if (stagedPoints == 0) {
        Release(session, stagedIndex);
        return 0;
    }
    const uint32_t result = CallIn(session, row, {n, stagedIndex, stagedPoints});
    Release(session, stagedPoints);
    Release(session, stagedIndex);
    return static_cast<int32_t>(result);
}

// p3 is not passed on: `bytes` of work space take its place.
int32_t FillsWithWorkSpace(Row row, std::initializer_list<Arg> args, int32_t bytes)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!session.Open())
        return 0;
    const uint32_t space = Stage(session, bytes);
    if (space == 0)
        return 0;
    std::vector<Arg> sent(args);
    sent[2] = space;
    const uint32_t result = CallIn(session, row, Args(sent.data(), sent.size()));
    Release(session, space);
    return static_cast<int32_t>(result);
}

}  // namespace

extern "C" {

MORVANE_API int32_t XR_FillConvex(int32_t n, const int32_t* index, const Point* points)
{
    return FillsConvex(k_XR_FillConvex, n, index, points);
}

MORVANE_API int32_t XR_PatnFillConvex(int32_t n, const int32_t* index, const Point* points)
{
    return FillsConvex(k_XR_PatnFillConvex, n, index, points);
}

MORVANE_API int32_t XR_SeedFill(int32_t p1, int32_t p2, int32_t p3, int32_t bytes)
{
    return FillsWithWorkSpace(k_XR_SeedFill, {p1, p2, p3, bytes}, bytes);
}

MORVANE_API int32_t XR_SeedPatnFill(int32_t p1, int32_t p2, int32_t p3, int32_t bytes)
{
    return FillsWithWorkSpace(k_XR_SeedPatnFill, {p1, p2, p3, bytes}, bytes);
}

MORVANE_API int32_t XR_BoundFill(int32_t p1, int32_t p2, int32_t p3, int32_t bytes, uint32_t p5)
{
    return FillsWithWorkSpace(k_XR_BoundFill, {p1, p2, p3, bytes, p5}, bytes);
}

MORVANE_API int32_t XR_BoundPatnFill(int32_t p1, int32_t p2, int32_t p3, int32_t bytes, uint32_t p5)
{
    return FillsWithWorkSpace(k_XR_BoundPatnFill, {p1, p2, p3, bytes, p5}, bytes);
}

MORVANE_API int32_t XR_InstallPatn(int32_t n, const PatternImage* pattern)
{
    const Descriptor& d = kDescriptors[k_XR_InstallPatn];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(pattern != nullptr) || !session.Open())
        return 0;
    const uint32_t staged = StageWords(session, reinterpret_cast<const int16_t*>(pattern->rows), kPatternWords);
    if (staged == 0)
        return 0;
    const uint32_t result = CallIn(session, k_XR_InstallPatn, {n, staged});
    Release(session, staged);
    return static_cast<int32_t>(result);
}

// Two result slots in one staging: 16-bit words on ISA (addresses count
// bits), 32-bit words on PCI. The release's result.
MORVANE_API int32_t XR_Boxes(int32_t* out1, int32_t* out2, int32_t p3, int32_t p4)
{
    const Descriptor& d = kDescriptors[k_XR_Boxes];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(out1 != nullptr && out2 != nullptr))
        return 0;
    // Nothing stale for a caller that does not look at the result.
    *out1 = 0;
    *out2 = 0;
    if (!session.Open())
        return 0;
    const bool isa = BoundPath() == Path::Isa;
    const uint32_t staged = Stage(session, isa ? 4 : 8);
    if (staged == 0)
        return 0;
    const uint32_t second = staged + (isa ? 16 : 4);
    CallIn(session, k_XR_Boxes, {staged, second, p3, p4});
    if (isa) {
        uint16_t slots[2] = {};
        if (IsaReadWords(session, staged, slots, 2)) {
            *out1 = static_cast<int16_t>(slots[0]);
            *out2 = static_cast<int16_t>(slots[1]);
        }
    } else {
        const uint32_t first = PciRead(session, staged, 4);
        const uint32_t next = PciRead(session, second, 4);
        if (!session.Dead()) {
            *out1 = static_cast<int32_t>(first);
            *out2 = static_cast<int32_t>(next);
        }
    }
    return static_cast<int32_t>(Release(session, staged));
}

}  // extern "C"
