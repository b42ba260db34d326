#pragma once
// An axis-aligned box, outlined or filled with a fill pattern: one "RECT"
// line of the image language. COval is the same box drawn as the ellipse
// inscribed in it; the box rules here serve both. On a canvas a box has
// nine handles: the corners, the middles of the edges and the centre.

#include "BoxRules.h"
#include "CFillPattern.h"
#include "Coloured.h"
#include "PlacedKind.h"

#include <array>

class CRectangle : public PlacedKind<CRectangle, Coloured<CPrimitive>> {
    DECLARE_SERIAL(CRectangle)
    friend PrimitiveKind<CRectangle, Coloured<CPrimitive>>;
    friend PlacedKind<CRectangle, Coloured<CPrimitive>>;

public:
    static constexpr int kHandles = BoxRules::kHandles;

    // No geometry: the loader or the line reader sets every value.
    CRectangle();
    // The box (x1, y1)-(x2, y2), both corners inside.
    CRectangle(int x1, int y1, int x2, int y2, int colour = CNamedColour::kWhite, int pattern = 0);
    // In the middle of the canvas's image, from 0.8 to 1.2 of its centre,
    // White, outlined, with its handles: (256, 192)-(384, 288) on 640 x 480.
    explicit CRectangle(CCanvas *canvas);
    ~CRectangle() override;

    // The class decides the oval flag: a stored flag against it is not taken.
    void Serialize(CArchive &ar) override;
    int Type() const override;
    QString GetTypeName() const override;
    // "RECT White  10 20  5 6  GrayPat0": colour, w, h, x, y, pattern; an
    // unfilled oval writes w - 1 and h - 1. While dragged, the drag's geometry.
    QString GetCommandText() const override;
    // colour name, w, h, x, y, pattern name
    void SetFromCommand(CCommandReader &reader) override;
    bool IsOval() const { return m_oval != 0; }
    bool IsFilled() const { return m_pattern.GetIndex() != 0; }
    QPoint TopLeft() const { return {m_x1, m_y1}; }
    QPoint BottomRight() const { return {m_x2, m_y2}; }
    bool HasPattern() const override { return true; }
    int GetPattern() const override { return m_pattern.GetIndex(); }
    void SetPattern(int index) override { m_pattern.SetIndex(index); }

    // --- On the canvas ----------------------------------------------------------------
    // The client pixels the box covers: from handle 1's point to handle 3's.
    QRect ClientBox() const;
    bool HitTest(const QPoint &client) const override;
    bool IntersectsRect(const QRect &client) const override;
    void Invalidate() override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    bool BeginTrack(int index) override;
    bool Track(int index, QPoint &point, bool test) override;
    void EndTrack(int index, bool moved) override;

    // The "Rectangle Properties" dialog ("Oval Properties" for an oval):
    // position and size (during a drag the drag's geometry).
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;

    // What the line gives while a handle is dragged: the box's corner and size.
    struct Geometry {
        int x;
        int y;
        int w;
        int h;
    };
    Geometry GetTrackGeometry() const;
    // The box's corner and size as its line gives them: when dragged, the
    // drag's geometry (the box's own drag by default).
    struct LineBox {
        std::int64_t x;
        std::int64_t y;
        std::int64_t w;
        std::int64_t h;
    };
    LineBox BoxForLine(bool dragged) const;
    LineBox BoxForLine() const { return BoxForLine(IsTracking() && HandleCount() >= kHandles); }
    // A line's width, height, x and y, and the box they give, grown by grow
    // pixels to the right and down.
    static LineBox NextLineBox(CCommandReader &reader);
    void SetLineBox(const LineBox &box, std::int64_t grow = 0);

protected:
    CRectangle(const CRectangle &other);
    // A box of the oval class or the rectangle's.
    CRectangle(bool oval, int x1, int y1, int x2, int y2, int colour, int pattern);
    CRectangle(bool oval, CCanvas *canvas);

    // The corners as given (the handles follow); a box that keeps other
    // values in the same places (a character box, a block copy's source)
    // sets them here. The handles beyond the box's nine are the class's own.
    void SetCorners(const QPoint &topLeft, const QPoint &bottomRight);
    static constexpr auto Values()
    {
        return std::tuple(&CRectangle::m_x1, &CRectangle::m_y1, &CRectangle::m_x2, &CRectangle::m_y2,
                          &CRectangle::m_colour, &CRectangle::m_pattern);
    }
    template <class F> void ForEachPoint(F f)
    {
        f(m_x1, m_y1);
        f(m_x2, m_y2);
    }
    void CreateHandles();
    // The nine handles onto the box (not while a drag runs).
    void PlaceHandles();
    // Outlined, or filled with the pattern.
    void Paint(QPainter &painter, const QRect &update);
    // A rectangle's corners, then (both) the edges' middles and the centre.
    std::vector<QPoint> SnapKeys() const;
    void ShowOutline();
    // The box's position and size into the dialog (during a drag the
    // drag's geometry), and back.
    void ShowBox(CPropertiesDlg &dialog) const;
    void TakeBox(CPropertiesDlg &dialog);

    // The corners, both inside; the box kinds keep them first in their archive forms.
    std::int32_t m_x1 = 0;
    std::int32_t m_y1 = 0;
    std::int32_t m_x2 = 0;
    std::int32_t m_y2 = 0;

private:
    // What the line writes as the size: an unfilled oval one pixel less.
    std::int64_t SizeShrink() const;
    void ComputePoints();
    bool MoveMode(int index) const;
    // Handle index's place in the box, from its top-left, by the extent.
    QPoint OffsetInBox(int index) const;
    // An edge handle's fixed coordinate.
    void PinEdge(int index);

    CFillPattern m_pattern{0};
    std::int32_t m_oval = 0;
    QPoint m_dragCentre;
    std::array<QPoint, kHandles> m_points{};
    int m_pinned = 0;
    QPoint m_extent;
    int m_trackIndex = 0;
};
