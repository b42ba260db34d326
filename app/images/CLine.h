#pragma once
// A straight line of one named colour between two image points: one
// "LINE" line of the image language. On a canvas it has three handles:
// one on each end and one at the middle that moves the whole line.

#include "Coloured.h"
#include "PlacedKind.h"

#include <QPolygon>
#include <QRegion>

class CLine : public PlacedKind<CLine, Coloured<CPrimitive>> {
    DECLARE_SERIAL(CLine)
    friend PrimitiveKind<CLine, Coloured<CPrimitive>>;
    friend PlacedKind<CLine, Coloured<CPrimitive>>;

public:
    // (10, 10)-(50, 50), White.
    CLine();
    CLine(int x1, int y1, int x2, int y2, int colour = CNamedColour::kWhite);
    // In the middle of the canvas's image, from 0.8 to 1.2 of its centre,
    // White, with its handles: (256, 192)-(384, 288) on 640 x 480.
    explicit CLine(CCanvas *canvas);
    ~CLine() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 2; }
    QString GetTypeName() const override;
    // "LINE Red 0 0 639 479"; while dragged, the handles' image points.
    QString GetCommandText() const override;
    // colour name, x1, y1, x2, y2
    void SetFromCommand(CCommandReader &reader) override;
    QPoint P1() const { return {m_x1, m_y1}; }
    QPoint P2() const { return {m_x2, m_y2}; }

    // --- On the canvas: a band 10 image pixels wide along the line -------------------------
    // The band's corners in client pixels; none for a line shorter than a pixel.
    QPolygon GetHitPolygon() const;
    void Invalidate() override;
    bool HitTest(const QPoint &client) const override;
    bool IntersectsRect(const QRect &client) const override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    bool BeginTrack(int index) override;
    bool Track(int index, QPoint &point, bool test) override;
    void EndTrack(int index, bool moved) override;

    // The "Line Properties" dialog: points 0 and 1 are the ends (during a
    // drag the handles' image points).
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;

protected:
    CLine(const CLine &other);

private:
    static constexpr auto Values()
    {
        return std::tuple(&CLine::m_x1, &CLine::m_y1, &CLine::m_x2, &CLine::m_y2, &CLine::m_colour);
    }
    template <class F> void ForEachPoint(F f)
    {
        f(m_x1, m_y1);
        f(m_x2, m_y2);
    }
    // The middle handle is made at the client points' middle and placed at
    // the image middle's client point.
    void CreateHandles();
    QPoint ImageMidpoint() const;
    void PlaceHandles();
    void SetEnds(const QPoint &p1, const QPoint &p2);
    void Paint(QPainter &painter, const QRect &update);
    // The ends, then the middle.
    std::vector<QPoint> SnapKeys() const { return {P1(), P2(), ImageMidpoint()}; }
    // The whole line moves: the canvas moves wholes, or the middle handle is dragged.
    bool MoveMode(int index) const;
    QRegion Band() const;
    // The band and both end pixels: what a repaint of the line covers.
    QRegion Covered() const;
    void ShowOutline();

    std::int32_t m_x1 = 10;
    std::int32_t m_y1 = 10;
    std::int32_t m_x2 = 50;
    std::int32_t m_y2 = 50;
    // Where a drag began: the ends (image) and the dragged handle (client).
    QPoint m_dragStart1;
    QPoint m_dragStart2;
    QPoint m_dragStartClient;
};
