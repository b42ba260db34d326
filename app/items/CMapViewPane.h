#pragma once
// The overview at the top right of the pixel map editor: the map as an
// indexed picture whose colour table is the map's LUT, each pixel a
// zoom x zoom square on white, 10 pixels in from the corner. Only what a
// repaint exposes is drawn.

#include <QAbstractScrollArea>
#include <QImage>

struct PixelMapData;

class CMapViewPane : public QAbstractScrollArea {
public:
    static constexpr int kMargin = 10;
    static constexpr int kLineStep = 5;

    // Shows map, which must outlive the pane.
    CMapViewPane(const PixelMapData &map, QWidget *parent = nullptr);

    // The whole picture anew: after a new size, depth or pixels.
    void Rebuild();
    // The LUT changed.
    void UpdateColours();
    // One pixel changed.
    void UpdatePixel(int x, int y);

    // 1, 2 or 4.
    void SetZoom(int zoom);
    int Zoom() const { return m_zoom; }
    const QImage &Picture() const { return m_picture; }

    // The map's pixels as an 8-bit indexed picture with the LUT as colours.
    static QImage IndexedPicture(const PixelMapData &map);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void UpdateScrollBars();
    // Where the picture lies in the viewport.
    QRect PictureRect() const;

    const PixelMapData &m_map;
    QImage m_picture;
    int m_zoom = 1;
};
