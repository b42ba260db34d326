// The pen and arc rows: shapes drawn with the pen's rectangle.
#include "Demonstrations.h"

#include <algorithm>

namespace demonstrations {

namespace {

const Point kZigzag[5] = {{100, 250}, {160, 120}, {220, 250}, {280, 120}, {340, 250}};

// Pattern 0 (CHECKER8) from the card's table, white on blue.
void CheckerColours(ToolLibrary& lib)
{
    lib.XR_Set_color0(Colour(RCC_BLUE));
    lib.XR_Set_color1(Colour(RCC_WHITE));
}

} // namespace

void PenPolyLineRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(4, 4);
    lib.XR_Transparent(Colour(RCC_WHITE));
    Point work[4] = {};
    lib.XR_PenPolyLine(4, work, kZigzag);
}

// A row of square dots, the pen growing.
void PenPointRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    for (int32_t size = 1; size <= 8; ++size) {
        lib.XR_SetPenSize(size, size);
        lib.XR_PenPoint(100 + 30 * size, 150);
    }
}

// ISA only.
void PatnPenPieArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(6, 6);
    lib.XR_SelectPatn(0);
    CheckerColours(lib);
    lib.XR_PatnPenPieArc(200, 160, 100, 100, 45, 270);
}

// ISA only.
void PenOvalArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_SetPenSize(3, 3);
    lib.XR_PenOvalArc(200, 160, 100, 100, 0, 180);
}

// ISA only.
void PatnPenOvalArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(8, 8);
    CheckerColours(lib);
    // The third pattern when the card has that many.
    lib.XR_SelectPatn(lib.XR_GetPatnMax() > 2 ? 2 : 0);
    lib.XR_PatnPenOvalArc(200, 160, 100, 100, 90, 270);
}

void PenLineRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(5, 3);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_PenLine(100, 100, 300, 220);
}

void PatnPenLineRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(12, 12);
    lib.XR_TranspOFF();
    CheckerColours(lib);
    lib.XR_SelectPatn(0);
    lib.XR_PatnPenLine(100, 100, 300, 220);
}

void PatnPenPolyLineRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(10, 10);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    Point work[4] = {};
    lib.XR_PatnPenPolyLine(4, work, kZigzag);
}

void PatnPenPointRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_TranspOFF();
    CheckerColours(lib);
    lib.XR_SetPenSize(32, 32);
    // A square of each of the first four patterns the card takes.
    const int32_t max = std::min(lib.XR_GetPatnMax(), 64);
    int32_t drawn = 0;
    for (int32_t slot = 0; slot < max && drawn < 4; ++slot)
        if (lib.XR_SelectPatn(slot) == slot)
            lib.XR_PatnPenPoint(100 + 48 * drawn++, 150);
}

} // namespace demonstrations
