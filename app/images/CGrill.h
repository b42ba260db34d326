#pragma once
// Solid bars across the whole image, horizontal or vertical: one "GRIH" or
// "GRIV" line of the image language, whose two values are the bars'
// thickness and the space between them.

#include "WholeImagePattern.h"

#include "PrimitiveKind.h"

class CGrill : public PrimitiveKind<CGrill, WholeImagePattern> {
    DECLARE_SERIAL(CGrill)
    friend PrimitiveKind<CGrill, WholeImagePattern>;

public:
    enum Kind { kVertical = 0, kHorizontal = 1 };

    // Horizontal bars 10 thick, 40 apart, White.
    CGrill();
    CGrill(int kind, int bar, int space, int colour = CNamedColour::kWhite);
    // From the insert command's type code: 18 vertical bars, any other
    // horizontal; bar 10, space 40, White.
    CGrill(CCanvas *canvas, int typeCode);
    ~CGrill() override;

    // Types 17 horizontal, 18 vertical.
    void Draw(QPainter &painter, const QRect &update) override;
    // The "Grill Properties" dialog: bar thickness and space between bars.
    CPropertiesDlg *OpenProperties(QWidget *parent) override;

    int Bar() const { return m_first; }
    int Space() const { return m_second; }
    void SetBars(int bar, int space);

protected:
    CGrill(const CGrill &other);
};
