// The 3-D and fixed-point members: matrices, vertices, points and number
// arrays staged in generator memory, computed there and copied back into
// the caller's arrays. Nothing is computed on the host.
#include "StagedArrays.h"

#include <cstddef>
#include <vector>

using namespace morvane;
using namespace morvane::dci;

namespace {

// Counts go into 16-bit words on the generator.
constexpr int32_t kTransformsMostItems = 32767;
constexpr int64_t kTransformsMatrixBytes = sizeof(FixMatrix);
constexpr int64_t kTransformsVertexBytes = sizeof(Vertex);
constexpr int64_t kTransformsPointBytes = sizeof(Point);

bool TransformsCountFits(int32_t n)
{
    return n >= 0 && n <= kTransformsMostItems;
}

std::size_t TransformsSize(int64_t bytes)
{
    return static_cast<std::size_t>(bytes);
}

// A matrix and n vertices, both copied back; the call has the count between
// them when withCount. Released matrix first; the last release's result.
int32_t TransformsMatrixAndVertices(Row row, FixMatrix* matrix, int32_t n, Vertex* vertices, bool withCount, PciUnit unit)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(matrix != nullptr && vertices != nullptr && TransformsCountFits(n)) || !session.Open())
        return 0;
    const int64_t vertexBytes = kTransformsVertexBytes * n;
    const uint32_t stagedMatrix = Stage(session, kTransformsMatrixBytes);
    if (stagedMatrix == 0)
        return 0;
    const uint32_t stagedVertices = Stage(session, vertexBytes);
    if (stagedVertices == 0)
        return static_cast<int32_t>(Release(session, stagedMatrix));
    if (PutStaged(session, stagedMatrix, matrix->m, TransformsSize(kTransformsMatrixBytes), unit)
        && PutStaged(session, stagedVertices, vertices, TransformsSize(vertexBytes), unit)) {
        if (withCount)
            CallIn(session, row, {stagedMatrix, n, stagedVertices});
        else
            CallIn(session, row, {stagedMatrix, stagedVertices});
        if (GetStaged(session, stagedMatrix, matrix->m, TransformsSize(kTransformsMatrixBytes), unit))
            GetStaged(session, stagedVertices, vertices, TransformsSize(vertexBytes), unit);
    }
    Release(session, stagedMatrix);
    return static_cast<int32_t>(Release(session, stagedVertices));
}

// n vertices in, n points back; the extra words follow the points.
int32_t TransformsVerticesToPoints(Row row, int32_t n, const Vertex* vertices, Point* points, std::vector<Arg> extra)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(vertices != nullptr && points != nullptr && TransformsCountFits(n)) || !session.Open())
        return 0;
    const int64_t pointBytes = kTransformsPointBytes * n;
    const int64_t vertexBytes = kTransformsVertexBytes * n;
    const uint32_t stagedPoints = Stage(session, pointBytes);
    if (stagedPoints == 0)
        return 0;
    const uint32_t stagedVertices = Stage(session, vertexBytes);
    if (stagedVertices == 0)
        return static_cast<int32_t>(Release(session, stagedPoints));
    if (PutStaged(session, stagedVertices, vertices, TransformsSize(vertexBytes), PciUnit::Int32)) {
        std::vector<Arg> args{n, stagedVertices, stagedPoints};
        args.insert(args.end(), extra.begin(), extra.end());
        CallIn(session, row, Args(args.data(), args.size()));
        GetStaged(session, stagedPoints, points, TransformsSize(pointBytes), PciUnit::Int16);
    }
    Release(session, stagedVertices);
    return static_cast<int32_t>(Release(session, stagedPoints));
}

// n values of inBytes each in, n of outBytes each back. The caller's out, or
// null when nothing was converted: a count refused, a staging or a transfer
// failed, or the call timed out.
void* TransformsConvert(Row row, int32_t n, const void* in, int64_t inBytes, void* out, int64_t outBytes)
{
    Session session;
    if (!HasPath(kDescriptors[row])) {
        ElsewhereResult(kDescriptors[row]);
        return nullptr;
    }
    if (!Accepted(in != nullptr && out != nullptr && TransformsCountFits(n)) || !session.Open())
        return nullptr;
    const int64_t inSize = inBytes * n;
    const int64_t outSize = outBytes * n;
    const uint32_t stagedIn = Stage(session, inSize);
    if (stagedIn == 0)
        return nullptr;
    const uint32_t stagedOut = Stage(session, outSize);
    if (stagedOut == 0) {
        Release(session, stagedIn);
        return nullptr;
    }
    const PciUnit inUnit = inBytes == 2 ? PciUnit::Int16 : PciUnit::Int32;
    const PciUnit outUnit = outBytes == 2 ? PciUnit::Int16 : PciUnit::Int32;
    bool converted = PutStaged(session, stagedIn, in, TransformsSize(inSize), inUnit);
    if (converted) {
        CallIn(session, row, {n, stagedIn, stagedOut});
        converted = GetStaged(session, stagedOut, out, TransformsSize(outSize), outUnit);
    }
    Release(session, stagedIn);
    Release(session, stagedOut);
    return converted ? out : nullptr;
}

}  // namespace

extern "C" {

MORVANE_API int32_t XR_Rotate(FixMatrix* matrix, Vertex* vertex)
{
    return TransformsMatrixAndVertices(k_XR_Rotate, matrix, 1, vertex, false, PciUnit::Int32);
}

MORVANE_API int32_t XR_Transform(FixMatrix* matrix, int32_t n, Vertex* vertices)
{
    return TransformsMatrixAndVertices(k_XR_Transform, matrix, n, vertices, true, PciUnit::Int32);
}

// These two move the same bytes as 16-bit values on PCI.
MORVANE_API int32_t XR_Translate(FixMatrix* matrix, Vertex* vertex)
{
    return TransformsMatrixAndVertices(k_XR_Translate, matrix, 1, vertex, false, PciUnit::Int16);
}

MORVANE_API int32_t XR_Scale(FixMatrix* matrix, Vertex* vertex)
{
    return TransformsMatrixAndVertices(k_XR_Scale, matrix, 1, vertex, false, PciUnit::Int16);
}

MORVANE_API int32_t XR_Perspec(int32_t n, const Vertex* vertices, Point* points, int32_t p4, int32_t p5, int32_t p6)
{
    return TransformsVerticesToPoints(k_XR_Perspec, n, vertices, points, {p4, p5, p6});
}

MORVANE_API int32_t XR_VertexToPoint(int32_t n, const Vertex* vertices, Point* points)
{
    return TransformsVerticesToPoints(k_XR_VertexToPoint, n, vertices, points, {});
}

MORVANE_API Fix* XR_Int32ToFix(int32_t n, const int32_t* in, Fix* out)
{
    return static_cast<Fix*>(TransformsConvert(k_XR_Int32ToFix, n, in, 4, out, 4));
}

MORVANE_API int32_t* XR_FixToInt32(int32_t n, const Fix* in, int32_t* out)
{
    return static_cast<int32_t*>(TransformsConvert(k_XR_FixToInt32, n, in, 4, out, 4));
}

MORVANE_API Fix* XR_Int16ToFix(int32_t n, const int16_t* in, Fix* out)
{
    return static_cast<Fix*>(TransformsConvert(k_XR_Int16ToFix, n, in, 2, out, 4));
}

MORVANE_API int16_t* XR_FixToInt16(int32_t n, const Fix* in, int16_t* out)
{
    return static_cast<int16_t*>(TransformsConvert(k_XR_FixToInt16, n, in, 4, out, 2));
}

}  // extern "C"
