// Firmware images as a generator takes them, in the three layouts a
// "firmware.bin" has by its size: 0x80000 bytes (the ISA flash parts'
// image, the version near its end in the processor's double form, 8-bit
// sums of the even and the odd bytes), 0x40000 bytes (no version, no sum)
// and any other size (a 256-byte big-endian header: version at 240, sums at
// 248, the file's size at 252, then the code). Tests and the demo write
// images with the makers; every port's flash checks with the same rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gensim::firmware {

constexpr std::size_t kIsaImageBytes = 0x80000;
constexpr std::size_t kNoVersionBytes = 0x40000;
constexpr std::size_t kHeaderBytes = 256;
constexpr std::size_t kHeaderVersionAt = 240;
constexpr std::size_t kHeaderSumsAt = 248;
constexpr std::size_t kHeaderSizeAt = 252;
constexpr std::size_t kIsaVersionAt = 524140;
constexpr std::size_t kIsaSumsAt = 524148;
// Since this version the header carries separate 16-bit sums of the even
// and the odd words; before it, one 32-bit sum of all.
constexpr double kSplitSumsSince = 7.002;

using Image = std::vector<uint8_t>;

// An image of the header layout of size bytes (even, at least 256) with
// its sums right; the code bytes follow a pattern of seed.
Image makeHeaderImage(double version, std::size_t size, unsigned seed = 1);
// The ISA layout with its sums right; version nullopt leaves the field 0.
Image makeIsaImage(std::optional<double> version, unsigned seed = 1);
Image makeNoVersionImage(unsigned seed = 1);
// Puts the header layout's sums right again after a change.
void resumHeader(Image& image);
void resumIsa(Image& image);

// The processor's 8-byte double: 3.0 is 00 00 00 00 00 00 1C 40.
void packProcessorDouble(double value, uint8_t out[8]);
double unpackProcessorDouble(const uint8_t in[8]);

// The header layout's fields and sums.
double headerVersion(const Image& image);
uint32_t headerSize(const Image& image);
struct HeaderSums {
    bool evenBad = false;
    bool oddBad = false;
    bool good() const { return !evenBad && !oddBad; }
};
// The sums of the first size bytes, in the form the image's version asks for
// (one 32-bit sum counts as both halves).
HeaderSums checkHeaderSums(const Image& image, std::size_t size);

// Whether a generator takes image, and the version it then runs (nullopt:
// the image names none, the generator keeps its own).
struct Verdict {
    bool accepted = false;
    std::optional<double> version;
    std::string why;  // for the trace when refused
};
Verdict check(const Image& image);

}  // namespace gensim::firmware
