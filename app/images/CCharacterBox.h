#pragma once
// A box filled by the generator with one character of one of its fonts,
// repeated as a page ("PAGE" line). It is a box primitive: its corners,
// nine handles, moves and resizes, snapping points and repaints are the
// rectangle's; it keeps a font and a character code where the rectangle
// keeps its fill pattern and oval flag, and shows its outline with the code.

#include "CRectangle.h"

#include "CKindValue.h"

class CCharacterBox : public PlacedKind<CCharacterBox, CRectangle> {
    DECLARE_SERIAL(CCharacterBox)
    friend PrimitiveKind<CCharacterBox, CRectangle>;
    friend PlacedKind<CCharacterBox, CRectangle>;

public:
    // No geometry yet; colour 0, font 0, code 35.
    CCharacterBox();
    CCharacterBox(int x1, int y1, int x2, int y2, int colour = CNamedColour::kWhite, int font = 0, int code = 35);
    // White, font 0, code 35, from 0.8 to 1.2 of the canvas's centre, with
    // its handles: (256, 192)-(384, 288) on 640 x 480.
    explicit CCharacterBox(CCanvas *canvas);
    ~CCharacterBox() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 9; }
    QString GetTypeName() const override;
    // "PAGE White 10 20 5 6 sys16 65"; while dragged, the drag's geometry.
    QString GetCommandText() const override;
    // colour name, w, h, x, y, font name, code
    void SetFromCommand(CCommandReader &reader) override;
    int Code() const { return m_code; }
    void SetCode(int code) { m_code = code; }
    bool HasPattern() const override { return false; }
    bool HasFont() const override { return true; }
    int GetPattern() const override { return 0; }
    void SetPattern(int) override {}
    int GetFont() const override { return m_font.GetIndex(); }
    void SetFont(int index) override { m_font.SetIndex(index); }

    // The "Character Box Properties" dialog: the rectangle's position and
    // size (during a drag the drag's geometry) and the character code.
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;

protected:
    CCharacterBox(const CCharacterBox &other);

private:
    // The rectangle's layout, with a font and a code for the pattern and the oval flag.
    static constexpr auto Values()
    {
        return std::tuple(&CCharacterBox::m_x1, &CCharacterBox::m_y1, &CCharacterBox::m_x2, &CCharacterBox::m_y2,
                          &CCharacterBox::m_colour, &CCharacterBox::m_font, &CCharacterBox::m_code);
    }
    // The box's outline with "PAGE: 65" inside.
    void Paint(QPainter &painter, const QRect &update);

    CFontKind m_font{0};
    std::int32_t m_code = 35;
};
