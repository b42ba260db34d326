#pragma once
// One character of the font editor, unpacked from the font's strike: its
// widths and offset and its image, rows of pitch32 words, bit 31 the
// leftmost pixel. The row count is kept apart from the words, so an image
// of width 0 (no words) still knows the font's height.

#include <cstdint>
#include <vector>

class QPainter;

class CFontChar {
public:
    int code = 0;
    int textOffset = 0;
    int textWidth = 0;
    int imageWidth = 0;
    int pitch32 = 0;
    std::vector<std::uint32_t> bits;

    int Rows() const { return m_rows; }
    // Rows rows of pitch32 words; new words are zero.
    void SetHeight(int rows);
    // Re-packs every row to w / 32 words rounded up, keeping the common
    // words and clearing the bits beyond w; w 0 empties the image and sets
    // the offset, the widths and pitch32 to 0.
    void SetImageWidth(int w);
    // Clears the image and draws its outline: the top and bottom rows full,
    // the first and last pixel of every other row.
    void MakeBox();
    // Each pixel a size x size square (one pixel for size 1), black when
    // set, white when clear.
    void Draw(QPainter &painter, int x, int y, int size) const;

    // Pixel (x, y) inside the image.
    bool Pixel(int x, int y) const;
    void SetPixel(int x, int y, bool ink);

private:
    int m_rows = 0;
};
