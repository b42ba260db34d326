#pragma once
// The zoomed grid at the bottom right of the pixel map editor: each pixel a
// 12 x 12 cell filled with its LUT colour, grey grid lines between them,
// 30 pixels in from the corner. Pressing the left button on a cell and
// dragging paints every cell the pointer passes; only what a repaint
// exposes is drawn.

#include "CellGridPane.h"

#include <functional>

struct PixelMapData;

class CMapEditPane : public CellGridPane {
public:
    static constexpr int kMargin = 30;

    // Shows map, which must outlive the pane; paint gives a pixel the
    // current entry (the editor then repaints it here and in the overview).
    CMapEditPane(const PixelMapData &map, std::function<void(int x, int y)> paint, QWidget *parent = nullptr);

    // After a new size, depth, pixels or LUT.
    void Rebuild();
    void UpdatePixel(int x, int y);

protected:
    QSize GridSize() const override;
    void PaintCell(QPoint cell) override;
    void paintEvent(QPaintEvent *event) override;

private:
    const PixelMapData &m_map;
    std::function<void(int x, int y)> m_paint;
};
