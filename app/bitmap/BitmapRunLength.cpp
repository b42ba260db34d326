#include "BitmapRunLength.h"

#include "ResourceIds.h"

namespace {

constexpr uint8_t kEscape = 0;
constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

class RunLengthDecoder {
public:
    RunLengthDecoder(const uint8_t *data, size_t size, const RunLengthShape &shape, RunLengthImage &image)
        : m_data(data), m_size(size), m_shape(shape), m_image(image)
    {
    }

    unsigned Run()
    {
        while (m_pos < m_size) {
            if (m_size - m_pos < 2)
                return IDS_BMP_RLE_ENDS_IN_RUN;
            const uint8_t count = m_data[m_pos];
            const uint8_t second = m_data[m_pos + 1];
            m_pos += 2;
            unsigned failure = 0;
            if (count != kEscape)
                failure = Encoded(count, second);
            else if (second == kEndOfLine)
                failure = EndOfLine();
            else if (second == kEndOfBitmap)
                return 0;
            else if (second == kDelta)
                failure = Delta();
            else
                failure = Absolute(second);
            if (failure)
                return failure;
        }
        // Data ending without its end-of-bitmap mark is complete once every row is.
        if (m_y >= m_shape.height || (m_y + 1 == m_shape.height && m_x >= m_shape.width))
            return 0;
        return IDS_BMP_RLE_ENDS_EARLY;
    }

private:
    // Writers may code a row's padding too, so a row ends with its stored bytes.
    uint32_t RowPixels() const { return m_shape.rowBytes * 8 / uint32_t(m_shape.bitsPerPixel); }

    unsigned CheckRun(uint32_t count) const
    {
        if (m_y >= m_shape.height)
            return IDS_BMP_RLE_RUN_PAST_LAST_ROW;
        if (count > RowPixels() - m_x)
            return IDS_BMP_RLE_RUN_LEAVES_ROW;
        return 0;
    }

    // Encoded run: at 4 bits the two nibbles of value alternate, high first.
    unsigned Encoded(uint8_t count, uint8_t value)
    {
        if (const unsigned failure = CheckRun(count))
            return failure;
        uint8_t *row = CurrentRow();
        for (uint32_t i = 0; i < count; ++i)
            Put(row, m_shape.bitsPerPixel == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
        return 0;
    }

    // Absolute run of count pixels, its bytes padded to a 16-bit boundary.
    unsigned Absolute(uint8_t count)
    {
        if (const unsigned failure = CheckRun(count))
            return failure;
        const size_t bytes = m_shape.bitsPerPixel == 8 ? count : (count + 1u) / 2;
        const size_t padded = bytes + bytes % 2;
        if (m_size - m_pos < padded)
            return IDS_BMP_RLE_ENDS_IN_RUN;
        uint8_t *row = CurrentRow();
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t byte = m_data[m_pos + (m_shape.bitsPerPixel == 8 ? i : i / 2)];
            Put(row, m_shape.bitsPerPixel == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F));
        }
        m_pos += padded;
        return 0;
    }

    unsigned EndOfLine()
    {
        if (m_y >= m_shape.height)
            return IDS_BMP_RLE_EOL_PAST_LAST_ROW;
        ++m_y;
        m_x = 0;
        return 0;
    }

    unsigned Delta()
    {
        if (m_size - m_pos < 2)
            return IDS_BMP_RLE_ENDS_IN_DELTA;
        const uint8_t dx = m_data[m_pos];
        const uint8_t dy = m_data[m_pos + 1];
        m_pos += 2;
        if (m_y >= m_shape.height || dx > RowPixels() - m_x || dy >= m_shape.height - m_y)
            return IDS_BMP_RLE_DELTA_LEAVES;
        m_x += dx;
        m_y += dy;
        return 0;
    }

    // The row is made on its first pixel, so skipped rows cost nothing.
    uint8_t *CurrentRow()
    {
        std::vector<uint8_t> &row = m_image.rows[m_y];
        if (row.empty())
            row.assign(m_shape.rowBytes, 0);
        return row.data();
    }

    void Put(uint8_t *row, uint8_t index)
    {
        if (m_shape.bitsPerPixel == 8)
            row[m_x] = index;
        else
            row[m_x / 2] |= m_x % 2 == 0 ? uint8_t(index << 4) : index;
        ++m_x;
    }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
    const RunLengthShape &m_shape;
    RunLengthImage &m_image;
    uint32_t m_x = 0;
    uint32_t m_y = 0;
};

} // namespace

unsigned DecodeRunLength(const uint8_t *data, size_t size, const RunLengthShape &shape, RunLengthImage &image)
{
    image.rows.clear();
    return RunLengthDecoder(data, size, shape, image).Run();
}
