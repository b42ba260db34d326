#include "COval.h"

IMPLEMENT_SERIAL(COval, CRectangle, VERSIONABLE_SCHEMA | 1)

COval::COval() : PrimitiveKind(true, 0, 0, 0, 0, CNamedColour::kWhite, 0) {}

COval::COval(int x1, int y1, int x2, int y2, int colour, int pattern)
    : PrimitiveKind(true, x1, y1, x2, y2, colour, pattern)
{
}

COval::COval(CCanvas *canvas) : PrimitiveKind(true, canvas) {}

COval::COval(const COval &other) : PrimitiveKind(other) {}

COval::~COval() = default;
