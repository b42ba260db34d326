#pragma once
// A named map stored in the generator, placed on the image at a point: one
// "RMAP" line of the image language. It comes only from image files (no
// insert command, no line reader row); the editor shows a white frame of
// its stored size with the name inside. All nine handles move it.

#include "MovedWholeKind.h"

#include <array>

class CRenderMap : public MovedWholeKind<CRenderMap> {
    DECLARE_SERIAL(CRenderMap)
    friend PrimitiveKind<CRenderMap>;
    friend PlacedKind<CRenderMap>;
    friend MovedWholeKind<CRenderMap>;

public:
    static constexpr int kHandles = 9;

    // (10, 10), no name, 32 x 32.
    CRenderMap();
    CRenderMap(int x, int y, const QString &name, int w, int h);
    ~CRenderMap() override;

    void Serialize(CArchive &ar) override;
    // The triangle's code.
    int Type() const override { return 3; }
    QString GetTypeName() const override;
    // "RMAP 10 10 Arrow"; while dragged, handle 1's image point.
    QString GetCommandText() const override;
    // The name is a bare word of the line.
    QStringList WordsInLine() const override { return {m_name}; }
    QPoint Position() const { return {m_x, m_y}; }
    QString Name() const { return m_name; }
    QSize Size() const { return {m_w, m_h}; }

    // --- On the canvas: a frame of its size with its name, which clicks hit -------------
    // The client pixels of the map (image pixels without a canvas).
    QRect GetRect() const;
    void Invalidate() override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    // The size scales with the place.
    void Scale(double sx, double sy) override;
    // Handle 1's place, neither snapped nor kept in the image.
    void EndTrack(int index, bool moved) override;

protected:
    CRenderMap(const CRenderMap &other);

private:
    static constexpr auto Values()
    {
        return std::tuple(&CRenderMap::m_x, &CRenderMap::m_y, &CRenderMap::m_name, &CRenderMap::m_w, &CRenderMap::m_h);
    }
    template <class F> void ForEachPoint(F f) { f(m_x, m_y); }
    // The client size of an image size.
    QPoint ClientSize(std::int64_t w, std::int64_t h) const;
    std::array<QPoint, kHandles> HandlePoints() const;
    QRect HitRect() const { return GetRect(); }
    QRect FrameAt(const QPoint &client) const;
    // The frame with the name inside.
    void Paint(QPainter &painter, const QRect &update);
    // The box's corners, the middles of its edges and its centre.
    std::vector<QPoint> SnapKeys() const;
    void ShowOutline();

    std::int32_t m_x = 10;
    std::int32_t m_y = 10;
    QString m_name;
    std::int32_t m_w = 32;
    std::int32_t m_h = 32;
};
