#pragma once
// The font editor's pixel grid: the current character's pixels as 12 x 12
// cells 36 pixels in from the corner, the grid in grey and the base line in
// dark blue. Pressing the left button on a pixel toggles it and makes its
// new state the drawing state (outside the image the state is ink); every
// pixel the pointer enters while the button is down takes that state.

#include <QAbstractScrollArea>

#include <functional>
#include <optional>

class CFontChar;

class CFontEditPane : public QAbstractScrollArea {
public:
    static constexpr int kMargin = 36;
    static constexpr int kCell = 12;

    // painted runs after each pixel the mouse changed.
    explicit CFontEditPane(std::function<void()> painted, QWidget *parent = nullptr);

    // The character shown (nullptr: none) and the base line's row.
    void SetChar(CFontChar *character, int ascent);
    CFontChar *Char() const { return m_char; }

    QRect CellRect(int x, int y) const;
    // The pixel under a viewport point; none outside the image.
    std::optional<QPoint> PixelAt(QPoint point) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void UpdateScrollBars();
    QPoint CellOf(QPoint point) const;
    void PaintTo(QPoint cell);
    void PaintCell(QPoint cell);
    bool Inside(QPoint cell) const;

    std::function<void()> m_painted;
    CFontChar *m_char = nullptr;
    int m_ascent = 0;
    bool m_tracking = false;
    bool m_ink = true;
    QPoint m_lastCell;
};
