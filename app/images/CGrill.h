#pragma once
// Solid bars across the whole image, horizontal or vertical: one "GRIH" or
// "GRIV" line of the image language. Like the grid it has no place of its
// own: no handles, no bounds, no hit; offset, scale and drags leave it be.

#include "CPrimitive.h"

#include "CNamedColour.h"

class CGrill : public CPrimitive {
    DECLARE_SERIAL(CGrill)

public:
    enum Kind { kVertical = 0, kHorizontal = 1 };

    // Horizontal bars 10 thick, 40 apart, White.
    CGrill();
    CGrill(int kind, int bar, int space, int colour = CNamedColour::kWhite);
    // From the insert command's type code: 18 vertical bars, any other
    // horizontal; bar 10, space 40, White.
    CGrill(CCanvas *canvas, int typeCode);
    ~CGrill() override;

    void Serialize(CArchive &ar) override;
    CPrimitive *Clone() const override;
    // 17 horizontal, 18 vertical; 0 for a kind outside them.
    int Type() const override;
    void Draw(QPainter &painter, const QRect &update) override;
    void Invalidate() override;
    // "GRIH White 10 40" or "GRIV ..."; nothing for an unknown kind.
    QString GetCommandText() const override;
    bool HasColour() const override { return true; }
    int GetColour() const override { return m_colour.GetIndex(); }
    void SetColour(int index) override { m_colour.SetIndex(index); }
    QString GetTypeName() const override;
    void VirtualAssign(const CPrimitive &other) override;
    // colour name, bar, space
    void SetFromCommand(CCommandReader &reader) override;
    QString KindProblem() const override;

    int Kind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    int Bar() const { return m_bar; }
    int Space() const { return m_space; }
    void SetBars(int bar, int space);

protected:
    CGrill(const CGrill &other);

private:
    bool KnownKind() const;

    std::int32_t m_kind = kHorizontal;
    std::int32_t m_bar = 10;
    std::int32_t m_space = 40;
    CNamedColour m_colour{CNamedColour::kWhite};
};
