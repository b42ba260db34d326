#pragma once
// The ellipse inscribed in a box: one "OVAL" line of the image language.
// Everything but its type, name, clone and class is the rectangle's.

#include "CRectangle.h"

class COval : public PrimitiveKind<COval, CRectangle> {
    DECLARE_SERIAL(COval)
    friend PrimitiveKind<COval, CRectangle>;

public:
    COval();
    COval(int x1, int y1, int x2, int y2, int colour = CNamedColour::kWhite, int pattern = 0);
    // In the middle of the canvas's image, as the rectangle.
    explicit COval(CCanvas *canvas);
    ~COval() override;

protected:
    COval(const COval &other);
};
