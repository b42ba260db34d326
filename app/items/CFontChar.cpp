#include "CFontChar.h"

#include <QPainter>

#include <algorithm>

namespace {

std::uint32_t FontBit(int x)
{
    return 0x80000000u >> (x % 32);
}

} // namespace

void CFontChar::SetHeight(int rows)
{
    m_rows = rows < 0 ? 0 : rows;
    bits.resize(std::size_t(m_rows) * std::size_t(pitch32), 0u);
}

void CFontChar::SetImageWidth(int w)
{
    if (w <= 0) {
        bits.clear();
        textOffset = textWidth = imageWidth = pitch32 = 0;
        return;
    }
    const int newPitch = (w + 31) / 32;
    std::vector<std::uint32_t> packed(std::size_t(m_rows) * std::size_t(newPitch), 0u);
    const int common = pitch32 < newPitch ? pitch32 : newPitch;
    for (int row = 0; row < m_rows; ++row)
        for (int word = 0; word < common; ++word)
            packed[std::size_t(row * newPitch + word)] = bits[std::size_t(row * pitch32 + word)];
    const int used = w % 32;
    if (used != 0) {
        const std::uint32_t keep = ~(~0u >> used);
        for (int row = 0; row < m_rows; ++row)
            packed[std::size_t(row * newPitch + newPitch - 1)] &= keep;
    }
    bits = std::move(packed);
    pitch32 = newPitch;
    imageWidth = w;
}

void CFontChar::MakeBox()
{
    std::fill(bits.begin(), bits.end(), 0u);
    if (imageWidth <= 0 || m_rows <= 0)
        return;
    for (int row = 0; row < m_rows; ++row) {
        const bool edge = row == 0 || row == m_rows - 1;
        if (edge) {
            for (int x = 0; x < imageWidth; ++x)
                SetPixel(x, row, true);
        } else {
            SetPixel(0, row, true);
            SetPixel(imageWidth - 1, row, true);
        }
    }
}

bool CFontChar::Pixel(int x, int y) const
{
    return bits[std::size_t(y * pitch32 + x / 32)] & FontBit(x);
}

void CFontChar::SetPixel(int x, int y, bool ink)
{
    std::uint32_t &word = bits[std::size_t(y * pitch32 + x / 32)];
    word = ink ? word | FontBit(x) : word & ~FontBit(x);
}

void CFontChar::Draw(QPainter &painter, int x, int y, int size) const
{
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < imageWidth; ++column) {
            const QColor colour = Pixel(column, row) ? Qt::black : Qt::white;
            if (size == 1)
                painter.fillRect(x + column, y + row, 1, 1, colour);
            else
                painter.fillRect(x + column * size, y + row * size, size, size, colour);
        }
    }
}
