#pragma once
// A triangle given by three corners, outlined or filled with a fill
// pattern: one "TRIA" line of the image language. On a canvas it has seven
// handles: the corners, the centroid (moves the whole triangle) and the
// middles of the edges 1-2, 2-3 and 1-3 (each moves its edge).

#include "CFillPattern.h"
#include "Coloured.h"
#include "PlacedKind.h"

#include <QPolygon>
#include <QRegion>

#include <array>

class CTriangle : public PlacedKind<CTriangle, Coloured<CPrimitive>> {
    DECLARE_SERIAL(CTriangle)
    friend PrimitiveKind<CTriangle, Coloured<CPrimitive>>;
    friend PlacedKind<CTriangle, Coloured<CPrimitive>>;

public:
    static constexpr int kHandles = 7;
    static constexpr int kCentroidHandle = 4;

    // No corners yet (the loader or the line reader sets them); White, outlined.
    CTriangle();
    CTriangle(const QPoint &a, const QPoint &b, const QPoint &c, int colour = CNamedColour::kWhite, int pattern = 0);
    // Upright in the middle of the canvas's image, White, outlined, with its
    // handles: (320, 192), (256, 288), (384, 288) on 640 x 480.
    explicit CTriangle(CCanvas *canvas);
    ~CTriangle() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 3; }
    QString GetTypeName() const override;
    // "TRIA White  320 192  256 288  384 288  GrayPat0"; while dragged, the
    // image points of handles 1-3.
    QString GetCommandText() const override;
    // colour name, x1, y1, x2, y2, x3, y3, pattern name
    void SetFromCommand(CCommandReader &reader) override;
    QPoint Corner(int i) const { return m_corners[size_t(i)]; }
    bool HasPattern() const override { return true; }
    int GetPattern() const override { return m_pattern.GetIndex(); }
    void SetPattern(int index) override { m_pattern.SetIndex(index); }

    // --- On the canvas: the triangle's region; a flat triangle has none -----------------
    bool HitTest(const QPoint &client) const override;
    bool IntersectsRect(const QRect &client) const override;
    void Invalidate() override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    bool BeginTrack(int index) override;
    bool Track(int index, QPoint &point, bool test) override;
    void EndTrack(int index, bool moved) override;

    // The "Triangle Properties" dialog: the three corners (during a drag the
    // corner handles' image points).
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;

    // The centroid, a third of the sum rounded half up; the middle of two
    // points, half the sum rounded half up.
    static QPoint Centroid(const QPoint &a, const QPoint &b, const QPoint &c);
    static QPoint Midpoint(const QPoint &a, const QPoint &b);

protected:
    CTriangle(const CTriangle &other);

private:
    static constexpr auto Values()
    {
        return std::tuple(&CTriangle::m_corners, &CTriangle::m_colour, &CTriangle::m_pattern);
    }
    template <class F> void ForEachPoint(F f)
    {
        for (QPoint &corner : m_corners)
            f(corner.rx(), corner.ry());
    }
    // The client corners from the image corners.
    void UpdateClientPoints();
    QPolygon ClientPolygon() const;
    QRegion Region() const;
    void CreateHandles();
    void PlaceHandles();
    // Filled with the pattern, or outlined.
    void Paint(QPainter &painter, const QRect &update);
    // The corners, the centroid, then the middles of 1-2, 2-3 and 1-3.
    std::vector<QPoint> SnapKeys() const;
    // Handles 4-7 from the client points of handles 1-3.
    void PlaceDerivedHandles();
    bool MoveMode(int index) const;
    void ShowOutline();

    std::array<QPoint, 3> m_corners{};
    CFillPattern m_pattern{0};
    std::array<QPoint, 3> m_clientCorners{};
    // Where a drag began: the corners (image) and the dragged handle (client).
    std::array<QPoint, 3> m_dragCorners{};
    QPoint m_dragStart;
};
