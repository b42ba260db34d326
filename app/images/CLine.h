#pragma once
// A straight line of one named colour between two image points: one
// "LINE" line of the image language.

#include "CPrimitive.h"

#include "CNamedColour.h"

class CLine : public CPrimitive {
    DECLARE_SERIAL(CLine)

public:
    // (10, 10)-(50, 50), White.
    CLine();
    CLine(int x1, int y1, int x2, int y2, int colour = CNamedColour::kWhite);
    ~CLine() override;

    void Serialize(CArchive &ar) override;
    CPrimitive *Clone() const override;
    int Type() const override { return 2; }
    // "LINE Red 0 0 639 479"
    QString GetCommandText() const override;
    bool HasColour() const override { return true; }
    int GetColour() const override { return m_colour.GetIndex(); }
    void SetColour(int index) override { m_colour.SetIndex(index); }
    QString GetTypeName() const override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    void Offset(int dx, int dy) override;
    void Scale(double sx, double sy) override;
    void VirtualAssign(const CPrimitive &other) override;
    // colour name, x1, y1, x2, y2
    void SetFromCommand(CCommandReader &reader) override;

    QPoint P1() const { return {m_x1, m_y1}; }
    QPoint P2() const { return {m_x2, m_y2}; }

protected:
    CLine(const CLine &other);

private:
    void TakeValues(const CLine &other);

    std::int32_t m_x1 = 10;
    std::int32_t m_y1 = 10;
    std::int32_t m_x2 = 50;
    std::int32_t m_y2 = 50;
    CNamedColour m_colour{CNamedColour::kWhite};
};
