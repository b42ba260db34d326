// The pixel-block members: rectangles of pixels between a caller's buffer
// and the screen (get, put, expand, zoom), and run-length blocks coded and
// drawn on the generator. Buffers are staged for the length of one call.
#include "StagedArrays.h"

#include <cstring>
#include <vector>

using namespace morvane;
using namespace morvane::dci;

namespace {

// A block's units are the product of two parameters; anything beyond this
// is a caller's mistake, not a screen.
constexpr int64_t kBlocksMostUnits = int64_t{16} << 20;
// The run-length block states its byte length in its fourth 16-bit word.
constexpr std::size_t kBlocksLengthAt = 6;

// ISA: a bit per unit in 16-bit words; PCI: a 32-bit word per unit.
int64_t BlocksBufferBytes(int64_t units)
{
    return BoundPath() == Path::Isa ? 2 * ((units + 15) / 16) : 4 * units;
}

// The buffer staged in the place of args[at] and copied in. With back the
// card's block comes back there: on ISA after going in, so the bits the
// generator leaves keep the caller's; PCI copies nothing in. The release's
// result.
int32_t BlocksPixelBlock(Row row, std::vector<Arg> args, std::size_t at, const void* buffer, void* back,
                         int64_t units)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(buffer != nullptr && units >= 0 && units <= kBlocksMostUnits) || !session.Open())
        return 0;
    const int64_t bytes = BlocksBufferBytes(units);
    const uint32_t staged = Stage(session, bytes);
    if (staged == 0)
        return 0;
    const auto size = static_cast<std::size_t>(bytes);
    const bool copyIn = back == nullptr || BoundPath() == Path::Isa;
    if (!copyIn || PutStaged(session, staged, buffer, size, PciUnit::Int32)) {
        args[at] = Arg(staged);
        CallIn(session, row, Args(args.data(), args.size()));
        if (back != nullptr)
            GetStaged(session, staged, back, size, PciUnit::Int32);
    }
    return static_cast<int32_t>(Release(session, staged));
}

}  // namespace

extern "C" {

MORVANE_API int32_t XR_GetRect(int32_t p1, int32_t p2, int32_t p3, int32_t p4, void* buffer, uint32_t p6)
{
    return BlocksPixelBlock(k_XR_GetRect, {p1, p2, p3, p4, 0u, p6}, 4, buffer, buffer,
                            int64_t{p2} * int64_t{p6});
}

MORVANE_API int32_t XR_PutRect(const void* buffer, uint32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6)
{
    return BlocksPixelBlock(k_XR_PutRect, {0u, p2, p3, p4, p5, p6}, 0, buffer, nullptr,
                            int64_t{p2} * int64_t{p4});
}

MORVANE_API int32_t XR_PixelExpand(const void* buffer, uint32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6,
                                   int32_t p7)
{
    return BlocksPixelBlock(k_XR_PixelExpand, {0u, p2, p3, p4, p5, p6, p7}, 0, buffer, nullptr,
                            int64_t{p2} * int64_t{p5});
}

MORVANE_API int32_t XR_BitExpand(const void* buffer, uint32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6)
{
    return BlocksPixelBlock(k_XR_BitExpand, {0u, p2, p3, p4, p5, p6}, 0, buffer, nullptr,
                            int64_t{p2} * int64_t{p4});
}

// p1 bytes of work space; PCI has no call but stages and releases all the
// same. p9 is not used.
MORVANE_API int32_t XR_ZoomRect(int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6, int32_t p7,
                                int32_t p8, int32_t /*p9*/)
{
    if (BoundPath() == Path::None)
        return static_cast<int32_t>(ElsewhereResult(kDescriptors[k_XR_ZoomRect]));
    Session session;
    if (!session.Open())
        return 0;
    const uint32_t staged = Stage(session, p1);
    if (staged == 0)
        return 0;
    if (BoundPath() == Path::Isa)
        CallIn(session, k_XR_ZoomRect, {p1, p2, p3, p4, p5, p6, p7, p8, staged});
    return static_cast<int32_t>(Release(session, staged));
}

// size bytes of buffer staged in whole words; exactly size bytes come back.
MORVANE_API int32_t XR_RunEncode(int32_t p1, int32_t p2, int32_t p3, int32_t p4, void* buffer, uint32_t size)
{
    const Descriptor& d = kDescriptors[k_XR_RunEncode];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    Session session;
    if (!Accepted(buffer != nullptr) || !session.Open())
        return 0;
    const int64_t rounded = (int64_t{size} + 1) / 2 * 2;
    const uint32_t staged = Stage(session, rounded);
    if (staged == 0)
        return 0;
    int32_t result = 0;
    if (PutStaged(session, staged, buffer, size, PciUnit::Int16)) {
        result = static_cast<int32_t>(CallIn(session, k_XR_RunEncode, {p1, p2, p3, p4, staged, size}));
        GetStaged(session, staged, buffer, size, PciUnit::Int16);
    }
    Release(session, staged);
    return result;
}

// The block's own length word says how much of data there is; a negative
// one is refused.
MORVANE_API int32_t XR_RunDecode(int32_t p1, int32_t p2, const void* data)
{
    const Descriptor& d = kDescriptors[k_XR_RunDecode];
    if (!HasPath(d))
        return static_cast<int32_t>(ElsewhereResult(d));
    if (!Accepted(data != nullptr))
        return 0;
    int16_t length = 0;
    std::memcpy(&length, static_cast<const uint8_t*>(data) + kBlocksLengthAt, sizeof length);
    Session session;
    if (!Accepted(length >= 0) || !session.Open())
        return 0;
    const uint32_t staged = Stage(session, (int64_t{length} + 1) / 2 * 2);
    if (staged == 0)
        return 0;
    if (PutStaged(session, staged, data, static_cast<std::size_t>(length), PciUnit::Int16))
        CallIn(session, k_XR_RunDecode, {p1, p2, staged});
    return static_cast<int32_t>(Release(session, staged));
}

}  // extern "C"
