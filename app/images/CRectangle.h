#pragma once
// An axis-aligned box, outlined or filled with a fill pattern: one "RECT"
// line of the image language. COval is the same box drawn as the ellipse
// inscribed in it; the box rules here serve both.

#include "CPrimitive.h"

#include "CFillPattern.h"
#include "CNamedColour.h"

class CRectangle : public CPrimitive {
    DECLARE_SERIAL(CRectangle)

public:
    // No geometry: the loader or the line reader sets every value.
    CRectangle();
    // The box (x1, y1)-(x2, y2), both corners inside.
    CRectangle(int x1, int y1, int x2, int y2, int colour = CNamedColour::kWhite, int pattern = 0);
    ~CRectangle() override;

    // The class decides the oval flag: a stored flag against it is not taken.
    void Serialize(CArchive &ar) override;
    CPrimitive *Clone() const override;
    int Type() const override;
    // "RECT White  10 20  5 6  GrayPat0": colour, w, h, x, y, pattern.
    QString GetCommandText() const override;
    bool HasColour() const override { return true; }
    bool HasPattern() const override { return true; }
    int GetColour() const override { return m_colour.GetIndex(); }
    int GetPattern() const override { return m_pattern.GetIndex(); }
    void SetColour(int index) override { m_colour.SetIndex(index); }
    void SetPattern(int index) override { m_pattern.SetIndex(index); }
    QString GetTypeName() const override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    void Offset(int dx, int dy) override;
    void Scale(double sx, double sy) override;
    void VirtualAssign(const CPrimitive &other) override;
    // colour name, w, h, x, y, pattern name
    void SetFromCommand(CCommandReader &reader) override;

    bool IsOval() const { return m_oval != 0; }
    bool IsFilled() const { return m_pattern.GetIndex() != 0; }
    QPoint TopLeft() const { return {m_x1, m_y1}; }
    QPoint BottomRight() const { return {m_x2, m_y2}; }

protected:
    CRectangle(const CRectangle &other);
    // A box of the oval class or the rectangle's.
    CRectangle(bool oval, int x1, int y1, int x2, int y2, int colour, int pattern);

private:
    void TakeValues(const CRectangle &other);
    // What the line writes as the size: an unfilled oval one pixel less.
    std::int64_t SizeShrink() const;

    std::int32_t m_x1 = 0;
    std::int32_t m_y1 = 0;
    std::int32_t m_x2 = 0;
    std::int32_t m_y2 = 0;
    CNamedColour m_colour{CNamedColour::kWhite};
    CFillPattern m_pattern{0};
    std::int32_t m_oval = 0;
};
