// By bit operations on the IEEE fields, independent of the host's byte order.
#include "ProcessorNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Layout {
    int fractionBits;  // 52 or 23
    int exponentBits;  // 11 or 8
    int bias;          // 1023 or 127
};
constexpr Layout kDouble{52, 11, 1023};
constexpr Layout kFloat{23, 8, 127};

uint64_t ToProcessor(uint64_t bits, const Layout &layout)
{
    const int signShift = layout.fractionBits + layout.exponentBits;
    const uint64_t sign = (bits >> signShift) & 1;
    const uint64_t fractionMask = (uint64_t{1} << layout.fractionBits) - 1;
    const uint64_t exponentMax = (uint64_t{1} << layout.exponentBits) - 1;
    const uint64_t exponent = (bits >> layout.fractionBits) & exponentMax;
    uint64_t e = exponent + 1;
    uint64_t mantissa = uint64_t{1} << (layout.fractionBits - 1) | (bits & fractionMask) >> 1;
    if (exponent == exponentMax) {
        e = exponentMax;
        mantissa = fractionMask;
    }
    return sign << signShift | e << layout.fractionBits | mantissa;
}

double FromProcessor(uint64_t bits, const Layout &layout)
{
    const int signShift = layout.fractionBits + layout.exponentBits;
    const uint64_t fractionMask = (uint64_t{1} << layout.fractionBits) - 1;
    const uint64_t exponentMax = (uint64_t{1} << layout.exponentBits) - 1;
    const int e = static_cast<int>((bits >> layout.fractionBits) & exponentMax);
    const double magnitude
        = std::ldexp(static_cast<double>(bits & fractionMask), e - layout.bias - layout.fractionBits);
    return (bits >> signShift) & 1 ? -magnitude : magnitude;
}

void StoreLittleEndian(uint64_t value, uint8_t *out, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t LoadLittleEndian(const uint8_t *in, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t{in[i]} << (8 * i);
    return value;
}

} // namespace

void PackDouble(double value, uint8_t out[8])
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    StoreLittleEndian(ToProcessor(bits, kDouble), out, 8);
}

double UnpackDouble(const uint8_t in[8])
{
    return FromProcessor(LoadLittleEndian(in, 8), kDouble);
}

void PackFloat(float value, uint8_t out[4])
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    StoreLittleEndian(ToProcessor(bits, kFloat), out, 4);
}

double UnpackFloat(const uint8_t in[4])
{
    return FromProcessor(LoadLittleEndian(in, 4), kFloat);
}

void SwapBytes(uint8_t *bytes, std::size_t count)
{
    std::reverse(bytes, bytes + count);
}
