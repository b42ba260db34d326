#pragma once
// The zoomed grid at the bottom right of the pixel map editor: each pixel a
// 12 x 12 cell filled with its LUT colour, grey grid lines between them,
// 30 pixels in from the corner. Pressing the left button on a cell and
// dragging paints every cell the pointer passes; only what a repaint
// exposes is drawn.

#include <QAbstractScrollArea>

#include <functional>
#include <optional>

struct PixelMapData;

class CMapEditPane : public QAbstractScrollArea {
public:
    static constexpr int kMargin = 30;
    static constexpr int kCell = 12;

    // Shows map, which must outlive the pane; paint gives a pixel the
    // current entry (the editor then repaints it here and in the overview).
    CMapEditPane(const PixelMapData &map, std::function<void(int x, int y)> paint, QWidget *parent = nullptr);

    // After a new size, depth, pixels or LUT.
    void Rebuild();
    void UpdatePixel(int x, int y);

    // The cell of pixel (x, y) in the viewport.
    QRect CellRect(int x, int y) const;
    // The pixel under a viewport point; none outside the map.
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
    // Paints the cells on the line from the last cell to cell.
    void PaintTo(QPoint cell);
    void PaintCell(QPoint cell);

    const PixelMapData &m_map;
    std::function<void(int x, int y)> m_paint;
    bool m_tracking = false;
    QPoint m_lastCell;
};
