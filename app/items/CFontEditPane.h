#pragma once
// The font editor's pixel grid: the current character's pixels as 12 x 12
// cells 36 pixels in from the corner, the grid in grey and the base line in
// dark blue. Pressing the left button on a pixel toggles it and makes its
// new state the drawing state (outside the image the state is ink); every
// pixel the pointer enters while the button is down takes that state.

#include "CellGridPane.h"

#include <functional>

class CFontChar;

class CFontEditPane : public CellGridPane {
public:
    static constexpr int kMargin = 36;

    // painted runs after each pixel the mouse changed.
    explicit CFontEditPane(std::function<void()> painted, QWidget *parent = nullptr);

    // The character shown (nullptr: none) and the base line's row.
    void SetChar(CFontChar *character, int ascent);
    CFontChar *Char() const { return m_char; }

protected:
    QSize GridSize() const override;
    void StrokeStarts(QPoint cell) override;
    void PaintCell(QPoint cell) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<void()> m_painted;
    CFontChar *m_char = nullptr;
    int m_ascent = 0;
    bool m_ink = true;
};
