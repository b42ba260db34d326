#pragma once
// A grid or hatch of one-pixel lines across the whole image: one "GRID",
// "HATI" or "HATO" line of the image language. It has no place of its
// own: no handles, no bounds, no hit; offset, scale and drags leave it be.

#include "CPrimitive.h"

#include "CNamedColour.h"

class CGrid : public CPrimitive {
    DECLARE_SERIAL(CGrid)

public:
    enum Kind { kCentred = 1, kInsideOut = 2, kOutsideIn = 3 };

    // A centred grid of 10 by 10 boxes, White.
    CGrid();
    CGrid(int kind, int h, int v, int colour = CNamedColour::kWhite);
    // 3 by 3 boxes of kind (outside 1..3: a centred grid), White.
    CGrid(CCanvas *canvas, int kind);
    ~CGrid() override;

    void Serialize(CArchive &ar) override;
    CPrimitive *Clone() const override;
    // 11, 12, 13 by kind; 0 for a kind outside them.
    int Type() const override;
    void Draw(QPainter &painter, const QRect &update) override;
    void Invalidate() override;
    // "GRID White 10 10" ("HATI", "HATO"); nothing for an unknown kind.
    QString GetCommandText() const override;
    bool HasColour() const override { return true; }
    int GetColour() const override { return m_colour.GetIndex(); }
    void SetColour(int index) override { m_colour.SetIndex(index); }
    QString GetTypeName() const override;
    void VirtualAssign(const CPrimitive &other) override;
    // colour name, h, v
    void SetFromCommand(CCommandReader &reader) override;
    QString KindProblem() const override;

    int Kind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    // Boxes across and down.
    int BoxesAcross() const { return m_h; }
    int BoxesDown() const { return m_v; }
    void SetBoxes(int h, int v);

protected:
    CGrid(const CGrid &other);

private:
    bool KnownKind() const;

    std::int32_t m_kind = kCentred;
    std::int32_t m_h = 10;
    std::int32_t m_v = 10;
    CNamedColour m_colour{CNamedColour::kWhite};
};
