#pragma once
// A copy the generator makes of a rectangle of the image drawn so far to
// another place ("MMAP" line). Shown as the source box, the destination box
// of the same size and a line between their top-left corners. The source
// is a box with the rectangle's nine handles and rules; handles 10-18 move
// the destination, handle 19 (between the two) moves both.

#include "CRectangle.h"

#include <QPolygon>

class CBlockCopy : public PlacedKind<CBlockCopy, CRectangle> {
    DECLARE_SERIAL(CBlockCopy)
    friend PrimitiveKind<CBlockCopy, CRectangle>;
    friend PlacedKind<CBlockCopy, CRectangle>;

public:
    static constexpr int kAllHandles = 19;
    static constexpr int kFirstDestinationHandle = 10;
    static constexpr int kJoinHandle = 19;

    // No geometry yet.
    CBlockCopy();
    CBlockCopy(int x1, int y1, int x2, int y2, int dstX, int dstY);
    // The source left of the canvas's centre and the destination 10 pixels
    // right of it: (187, 192)-(315, 288) to (325, 192) on 640 x 480.
    explicit CBlockCopy(CCanvas *canvas);
    ~CBlockCopy() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 25; }
    QString GetTypeName() const override;
    // "MMAP 100 50  10 20  300 400"; while dragged, what the drag would give.
    QString GetCommandText() const override;
    // w, h, x, y, destination x, destination y
    void SetFromCommand(CCommandReader &reader) override;
    bool HasColour() const override { return false; }
    bool HasPattern() const override { return false; }

    // --- On the canvas: an offset moves the source only, a scale both boxes ---------------
    // In the source box or the destination box; the line between them is no hit.
    bool HitTest(const QPoint &client) const override;
    // Either box or the band along the line.
    bool IntersectsRect(const QRect &client) const override;
    void Invalidate() override;
    void Scale(double sx, double sy) override;
    bool BeginTrack(int index) override;
    bool Track(int index, QPoint &point, bool test) override;
    void EndTrack(int index, bool moved) override;

    // No property window, not the rectangle's: the editor shows its placeholder.
    CPropertiesDlg *OpenProperties(QWidget *) override { return nullptr; }
    void UpdateProperties() override {}
    void ApplyProperties() override {}

    QPoint Destination() const { return {m_dstX, m_dstY}; }
    // The destination box in client pixels.
    QRect DestinationBox() const;
    // The band 5 image pixels either side of the line, in client pixels;
    // none for a line shorter than a pixel.
    QPolygon JoiningBand() const;

protected:
    CBlockCopy(const CBlockCopy &other);

private:
    // The source's corners, then the destination.
    static constexpr auto Values()
    {
        return std::tuple(&CBlockCopy::m_x1, &CBlockCopy::m_y1, &CBlockCopy::m_x2, &CBlockCopy::m_y2,
                          &CBlockCopy::m_dstX, &CBlockCopy::m_dstY);
    }
    // The destination's handles when the source's are there.
    void CreateHandles();
    // The source's handles and the destination's.
    void PlaceHandles();
    // The three outlines: the source dashed, the destination dotted, the line dash-dotted.
    void Paint(QPainter &painter, const QRect &update);
    // None.
    std::vector<QPoint> SnapKeys() const { return {}; }
    void PlaceDestinationHandles();
    std::array<QPoint, 10> DestinationPoints(const QPoint &sourceTopLeft, const QPoint &destination,
                                             const QPoint &size) const;
    void ShowOutline();

    std::int32_t m_dstX = 0;
    std::int32_t m_dstY = 0;
    int m_trackIndex = 0;
};
