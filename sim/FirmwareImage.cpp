#include "gensim/FirmwareImage.h"

#include <cmath>
#include <cstring>

namespace gensim::firmware {

namespace {

uint32_t big(const Image& image, std::size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | image[at + static_cast<std::size_t>(i)];
    return v;
}

void putBig(Image& image, std::size_t at, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        image[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value & 0xFF);
}

Image pattern(std::size_t size, unsigned seed)
{
    Image image(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : image) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return image;
}

}  // namespace

void packProcessorDouble(double value, uint8_t out[8])
{
    std::memset(out, 0, 8);
    if (value == 0)
        return;
    const bool negative = value < 0;
    int exponent = 0;
    // value = m * 2^exponent with 0.5 <= m < 1: the processor keeps m's
    // leading one at bit 51 and an exponent one above IEEE's.
    const double m = std::frexp(std::fabs(value), &exponent);
    const uint64_t fraction = static_cast<uint64_t>(std::ldexp(m, 52));
    const uint64_t e = static_cast<uint64_t>(exponent - 1 + 1023 + 1);
    const uint64_t bits = (negative ? 1ull << 63 : 0) | (e & 0x7FF) << 52 | (fraction & ((1ull << 52) - 1));
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

double unpackProcessorDouble(const uint8_t in[8])
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | in[i];
    if (bits == 0)
        return 0;
    const int e = static_cast<int>((bits >> 52) & 0x7FF);
    const double f = static_cast<double>(bits & ((1ull << 52) - 1));
    const double v = std::ldexp(f, e - 1023 - 52);
    return (bits >> 63) ? -v : v;
}

double headerVersion(const Image& image)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | image[kHeaderVersionAt + static_cast<std::size_t>(i)];
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint32_t headerSize(const Image& image) { return big(image, kHeaderSizeAt, 4); }

namespace {

void headerTotals(const Image& image, std::size_t size, uint32_t& even, uint32_t& odd)
{
    even = odd = 0;
    for (std::size_t w = 0; w < size / 2; ++w) {
        if (w == kHeaderSumsAt / 2 || w == kHeaderSumsAt / 2 + 1)
            continue;
        (w % 2 == 0 ? even : odd) += big(image, 2 * w, 2);
    }
}

void isaTotals(const Image& image, uint8_t& even, uint8_t& odd)
{
    even = odd = 0;
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (i == kIsaSumsAt || i == kIsaSumsAt + 1)
            continue;
        (i % 2 == 0 ? even : odd) = static_cast<uint8_t>((i % 2 == 0 ? even : odd) + image[i]);
    }
}

}  // namespace

HeaderSums checkHeaderSums(const Image& image, std::size_t size)
{
    uint32_t even = 0, odd = 0;
    headerTotals(image, size, even, odd);
    HeaderSums sums;
    if (headerVersion(image) < kSplitSumsSince) {
        sums.evenBad = sums.oddBad = even + odd != big(image, kHeaderSumsAt, 4);
        return sums;
    }
    sums.evenBad = (even & 0xFFFF) != big(image, kHeaderSumsAt, 2);
    sums.oddBad = (odd & 0xFFFF) != big(image, kHeaderSumsAt + 2, 2);
    return sums;
}

void resumHeader(Image& image)
{
    uint32_t even = 0, odd = 0;
    headerTotals(image, image.size(), even, odd);
    if (headerVersion(image) < kSplitSumsSince) {
        putBig(image, kHeaderSumsAt, even + odd, 4);
    } else {
        putBig(image, kHeaderSumsAt, even & 0xFFFF, 2);
        putBig(image, kHeaderSumsAt + 2, odd & 0xFFFF, 2);
    }
}

void resumIsa(Image& image)
{
    uint8_t even = 0, odd = 0;
    isaTotals(image, even, odd);
    image[kIsaSumsAt] = even;
    image[kIsaSumsAt + 1] = odd;
}

Image makeHeaderImage(double version, std::size_t size, unsigned seed)
{
    Image image = pattern(size, seed);
    uint64_t bits = 0;
    std::memcpy(&bits, &version, sizeof bits);
    putBig(image, kHeaderVersionAt, bits, 8);
    putBig(image, kHeaderSizeAt, size, 4);
    resumHeader(image);
    return image;
}

Image makeIsaImage(std::optional<double> version, unsigned seed)
{
    Image image = pattern(kIsaImageBytes, seed);
    std::memset(image.data() + kIsaVersionAt, 0, 8);
    if (version)
        packProcessorDouble(*version, image.data() + kIsaVersionAt);
    resumIsa(image);
    return image;
}

Image makeNoVersionImage(unsigned seed) { return pattern(kNoVersionBytes, seed); }

Verdict check(const Image& image)
{
    Verdict v;
    if (image.size() == kIsaImageBytes) {
        uint8_t even = 0, odd = 0;
        isaTotals(image, even, odd);
        if (even != image[kIsaSumsAt] || odd != image[kIsaSumsAt + 1]) {
            v.why = "ISA image: bad byte sums";
            return v;
        }
        v.accepted = true;
        if (image[kIsaVersionAt + 7] == 0x40) {
            const double version = unpackProcessorDouble(image.data() + kIsaVersionAt);
            if (version >= 2.0 && version < 7.0)
                v.version = version;
        }
        return v;
    }
    if (image.size() == kNoVersionBytes) {
        v.accepted = true;
        return v;
    }
    if (image.size() < kHeaderBytes || image.size() % 2 != 0) {
        v.why = "image too short or of odd size";
        return v;
    }
    if (headerSize(image) != image.size()) {
        v.why = "header size differs from the image's";
        return v;
    }
    const double version = headerVersion(image);
    if (!std::isfinite(version) || version < 2.0 || version > 20.0) {
        v.why = "implausible version";
        return v;
    }
    if (!checkHeaderSums(image, image.size()).good()) {
        v.why = "bad word sums";
        return v;
    }
    v.accepted = true;
    v.version = version;
    return v;
}

}  // namespace gensim::firmware
