// The PCI card writes the firmware image the host left in video memory into
// its flash (rules in CardBlocks.h).
#include "gensim/CardDci.h"
#include "gensim/FirmwareImage.h"

#include <cmath>
#include <cstring>

namespace gensim {

namespace {

constexpr std::size_t kFlashLeast = firmware::kHeaderBytes;

// The image's result word: 0 when it is good. The card takes only the
// header layout, of its own family (7 and later, thousandths digit 5).
uint32_t flashCheck(const std::vector<uint8_t>& image, std::size_t size)
{
    const double version = firmware::headerVersion(image);
    if (!std::isfinite(version) || version < 7.0 || version >= 100.0)
        return blocks::kFlashBadVersion;
    if (static_cast<int64_t>(version * 1000) % 10 != 5)
        return blocks::kFlashBadId;
    const firmware::HeaderSums sums = firmware::checkHeaderSums(image, size);
    if (sums.good())
        return 0;
    return blocks::kFlashChecksum | (sums.evenBad ? blocks::kFlashEvenBad : 0) | (sums.oddBad ? blocks::kFlashOddBad : 0);
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

uint64_t CardDci::flashCount() const
{
    std::lock_guard lock(m_mutex);
    return m_flashCount;
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
        const uint32_t size = firmware::headerSize(image);
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
        ++m_flashCount;
        return 0;
    }
    m_end.code = blocks::kFlashFailed;
    return word;
}

} // namespace gensim
