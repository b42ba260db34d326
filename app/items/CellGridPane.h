#pragma once
// What the font and pixel map editors' zoomed grids share: each pixel a
// 12 x 12 cell some pixels in from the corner, scroll bars over the whole
// grid, grey grid lines between the cells, and a stroke of the left button
// that paints every cell the pointer passes, however fast it moved.

#include <QAbstractScrollArea>

#include <optional>

class QPainter;

class CellGridPane : public QAbstractScrollArea {
public:
    static constexpr int kCell = 12;

    // The cell of pixel (x, y) in the viewport.
    QRect CellRect(int x, int y) const;
    // The pixel under a viewport point; none outside the grid.
    std::optional<QPoint> PixelAt(QPoint point) const;

protected:
    CellGridPane(int margin, QWidget *parent);

    // The grid's columns and rows.
    virtual QSize GridSize() const = 0;
    // The left button went down on cell (inside the grid or not), before the
    // cell is painted.
    virtual void StrokeStarts(QPoint) {}
    // The stroke reached cell, which is inside the grid.
    virtual void PaintCell(QPoint cell) = 0;

    bool Inside(QPoint cell) const;
    QPoint CellOf(QPoint point) const;
    // After the grid's size changed.
    void UpdateScrollBars();
    void StopStroke() { m_tracking = false; }
    // Grey lines around the cells of the rectangle cells (in cells).
    void DrawGridLines(QPainter &painter, const QRect &cells) const;

    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Paints the cells on the line from the last cell to cell.
    void PaintTo(QPoint cell);
    void PaintIfInside(QPoint cell);

    int m_margin;
    bool m_tracking = false;
    QPoint m_lastCell;
};
