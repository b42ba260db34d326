#pragma once
// A grid or hatch of one-pixel lines across the whole image: one "GRID",
// "HATI" or "HATO" line of the image language, whose two values are the
// boxes across and down.

#include "WholeImagePattern.h"

#include "PrimitiveKind.h"

class CGrid : public PrimitiveKind<CGrid, WholeImagePattern> {
    DECLARE_SERIAL(CGrid)
    friend PrimitiveKind<CGrid, WholeImagePattern>;

public:
    enum Kind { kCentred = 1, kInsideOut = 2, kOutsideIn = 3 };

    // A centred grid of 10 by 10 boxes, White.
    CGrid();
    CGrid(int kind, int h, int v, int colour = CNamedColour::kWhite);
    // 3 by 3 boxes of kind (outside 1..3: a centred grid), White.
    CGrid(CCanvas *canvas, int kind);
    ~CGrid() override;

    // Types 11, 12, 13 by kind.
    void Draw(QPainter &painter, const QRect &update) override;
    // The "Grid Properties" dialog ("Hatch Properties" for a hatch): boxes across and down.
    CPropertiesDlg *OpenProperties(QWidget *parent) override;

    int BoxesAcross() const { return m_first; }
    int BoxesDown() const { return m_second; }
    void SetBoxes(int h, int v);

protected:
    CGrid(const CGrid &other);
};
