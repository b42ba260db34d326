// The PCI card writes the firmware image the host left in video memory into
// its flash (rules in CardBlocks.h).
#include "gensim/CardDci.h"

#include <cmath>
#include <cstring>

namespace gensim {

namespace {

constexpr std::size_t kFlashSizeAt = 252;
constexpr std::size_t kFlashVersionAt = 240;
constexpr std::size_t kFlashSumsAt = 248;
constexpr std::size_t kFlashLeast = 256;
// Words 124 and 125 hold the sums themselves.
constexpr std::size_t kFlashSumWord = kFlashSumsAt / 2;

uint32_t flashBig(const std::vector<uint8_t>& image, std::size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | image[at + static_cast<std::size_t>(i)];
    return v;
}

// The image's result word: 0 when it is good.
uint32_t flashCheck(const std::vector<uint8_t>& image, std::size_t size)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | image[kFlashVersionAt + static_cast<std::size_t>(i)];
    double version = 0;
    std::memcpy(&version, &bits, sizeof version);
    if (!std::isfinite(version) || version < 7.0 || version >= 100.0)
        return blocks::kFlashBadVersion;
    if (static_cast<int64_t>(version * 1000) % 10 != 5)
        return blocks::kFlashBadId;
    uint32_t even = 0, odd = 0, all = 0;
    for (std::size_t w = 0; w < size / 2; ++w) {
        if (w == kFlashSumWord || w == kFlashSumWord + 1)
            continue;
        const uint32_t word = flashBig(image, 2 * w, 2);
        (w % 2 == 0 ? even : odd) += word;
        all += word;
    }
    if (version < 7.002)
        return all == flashBig(image, kFlashSumsAt, 4)
                   ? 0
                   : blocks::kFlashChecksum | blocks::kFlashEvenBad | blocks::kFlashOddBad;
    const bool evenBad = (even & 0xFFFF) != flashBig(image, kFlashSumsAt, 2);
    const bool oddBad = (odd & 0xFFFF) != flashBig(image, kFlashSumsAt + 2, 2);
    if (!evenBad && !oddBad)
        return 0;
    return blocks::kFlashChecksum | (evenBad ? blocks::kFlashEvenBad : 0) | (oddBad ? blocks::kFlashOddBad : 0);
}

} // namespace

void CardDci::setFlashFaults(FlashFaults faults)
{
    std::lock_guard lock(m_mutex);
    m_flashFaults = faults;
}

std::vector<uint8_t> CardDci::flashedImage() const
{
    std::lock_guard lock(m_mutex);
    return m_flashed;
}

uint32_t CardDci::flashFromVideo(const std::vector<double>&)
{
    m_end.never = m_flashFaults.neverFinishes;
    m_end.laterMs = m_flashFaults.finishMs;
    uint32_t word = 0;
    std::vector<uint8_t> image;
    if (m_flashFaults.word) {
        word = *m_flashFaults.word;
    } else if (m_videoBytes < kFlashLeast) {
        word = blocks::kFlashBadSize;
    } else {
        // The host wrote each 4-byte group of the file in the other order.
        auto fileByte = [this](std::size_t i) { return m_video[(i & ~std::size_t{3}) + 3 - (i & 3)]; };
        image.resize(kFlashLeast);
        for (std::size_t i = 0; i < kFlashLeast; ++i)
            image[i] = fileByte(i);
        const uint32_t size = flashBig(image, kFlashSizeAt, 4);
        if (size < kFlashLeast || size > (m_videoBytes & ~std::size_t{3})) {
            word = blocks::kFlashBadSize;
        } else {
            image.resize(size);
            for (std::size_t i = kFlashLeast; i < size; ++i)
                image[i] = fileByte(i);
            word = flashCheck(image, size);
        }
    }
    if (word == 0 && !m_flashFaults.word) {
        m_flashed = std::move(image);
        return 0;
    }
    m_end.code = blocks::kFlashFailed;
    return word;
}

} // namespace gensim
