// The fill and pattern rows: solid and pattern fills, frames, seeds, block
// and pixel moves.
#include "Demonstrations.h"

#include <algorithm>

namespace demonstrations {

namespace {

const Point kStar[5] = {{200, 100}, {260, 280}, {110, 170}, {290, 170}, {140, 280}};

// Opaque fills white on blue from here.
void WhiteOnBlue(ToolLibrary& lib)
{
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
}

// Solid fills in green after TranspOFF.
template <class Draw>
void GreenFill(ToolLibrary& lib, uint32_t table, Draw draw)
{
    Opening(lib, table);
    lib.XR_TranspOFF();
    lib.XR_Set_color1(Colour(RCC_GREEN));
    draw();
}

// Pattern colours from the depth: white on blue at 8 bits, else colours 1
// and 0 of the depth's table.
void DepthColours(ToolLibrary& lib)
{
    const int32_t psize = lib.XR_Get_psize();
    lib.XR_Set_color0(psize == 8 ? Colour(RCC_BLUE) : lib.XR_RepPixel(0));
    lib.XR_Set_color1(psize == 8 ? Colour(RCC_WHITE) : lib.XR_RepPixel(1));
}

} // namespace

void FillOvalRow(ToolLibrary& lib) { GreenFill(lib, 0x30040, [&] { lib.XR_FillOval(200, 120, 100, 100); }); }
void FillRectRow(ToolLibrary& lib) { GreenFill(lib, 0x10004, [&] { lib.XR_FillRect(200, 120, 100, 100); }); }
void FillTriangleRow(ToolLibrary& lib) { GreenFill(lib, 0x10004, [&] { lib.XR_FillTriangle(100, 300, 200, 100, 300, 300); }); }
void FillPolygonRow(ToolLibrary& lib) { GreenFill(lib, 0x10004, [&] { lib.XR_FillPolygon(5, kStar); }); }

// A checker block copied right and outlined there.
void MoveRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    WhiteOnBlue(lib);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFillRect(100, 100, 100, 100);
    lib.XR_MoveRect(100, 100, 100, 100, 300, 150);
    lib.XR_DrawRect(102, 102, 299, 149);
}

// Two patterns side by side.
void PatnFillRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    WhiteOnBlue(lib);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFillRect(150, 150, 100, 100);
    lib.XR_SelectPatnNamed("MEME");
    lib.XR_PatnFillRect(150, 150, 300, 100);
}

void PatnFillTriangleRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    WhiteOnBlue(lib);
    const char* const names[3] = {"CHECKER8", "BARS_H2", "BARS_V2"};
    for (int32_t i = 0; i < 3; ++i) {
        lib.XR_SelectPatnNamed(names[i]);
        lib.XR_PatnFillTriangle(60 + 160 * i, 300, 130 + 160 * i, 150, 200 + 160 * i, 300);
    }
}

void PatnFillOvalRow(ToolLibrary& lib)
{
    Opening(lib, 0x30044);
    lib.XR_TranspOFF();
    DepthColours(lib);
    lib.XR_SelectPatn(1);
    lib.XR_PatnFillOval(200, 120, 100, 100);
}

// A pattern star, a solid one beside it and its outline.
void PatnFillPolygonRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    WhiteOnBlue(lib);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFillPolygon(5, kStar);
    Point moved[5];
    for (int i = 0; i < 5; ++i)
        moved[i] = {static_cast<int16_t>(kStar[i].x + 200), kStar[i].y};
    lib.XR_FillPolygon(5, moved);
    lib.XR_Transparent(Colour(RCC_YELLOW));
    for (int i = 0; i < 5; ++i)
        lib.XR_DrawLine(moved[i].x, moved[i].y, moved[(i + 1) % 5].x, moved[(i + 1) % 5].y);
}

void PatnFrameOvalRow(ToolLibrary& lib)
{
    Opening(lib, 0x8B0000);
    lib.XR_SelectPatnNamed("checker1");
    lib.XR_Set_color0(Colour(RCC_BLACK));
    lib.XR_Set_color1(lib.XR_RepPixel(static_cast<int32_t>(Colour(RCC_WHITE) & 0xFF)));
    lib.XR_PatnFrameOval(200, 160, 100, 100, 20, 20);
}

void FrameOvalRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_TranspOFF();
    lib.XR_Set_color1(lib.XR_RepPixel(static_cast<int32_t>(Colour(RCC_RED) & 0xFF)));
    lib.XR_FrameOval(200, 160, 100, 100, 12, 8);
}

void FrameRectRow(ToolLibrary& lib) { GreenFill(lib, 0x10004, [&] { lib.XR_FrameRect(200, 160, 100, 100, 12, 8); }); }

void PatnFrameRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    WhiteOnBlue(lib);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFrameRect(200, 160, 100, 100, 16, 16);
}

void SelectPatnRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    WhiteOnBlue(lib);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFillRect(200, 160, 100, 100);
}

// A label in a checker frame, its pixels copied one by one below it.
void PutPixelRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawString(106, 108, "OPIX9");
    const int32_t h = lib.XR_CharHigh();
    WhiteOnBlue(lib);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFrameRect(50, h + 16, 100, 100, 4, 4);
    for (int32_t y = 0; y < h + 16; ++y)
        for (int32_t x = 0; x < 50; ++x)
            lib.XR_PutPixel(100 + x, 200 + y, lib.XR_GetPixel(100 + x, 100 + y));
}

void PatnFillPieArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_Set_color0(Colour(RCC_BLUE));
    lib.XR_SelectPatn(0);
    lib.XR_PatnFillPieArc(200, 160, 100, 100, 30, 300);
}

// A pattern of the program's own put in slot 8, filled with and removed
// again (ISA: the other card has no such slot).
void InstallPatnRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    PatternImage diagonal{};
    for (int row = 0; row < 16; ++row)
        diagonal.rows[row] = static_cast<uint16_t>(0x0101u << (row % 8));
    lib.XR_InstallPatn(8, &diagonal);
    WhiteOnBlue(lib);
    lib.XR_PatnFillRect(200, 160, 100, 100);
    lib.XR_RemovePatn(8);
}

// A square of each pattern the card takes, in a row.
void GetPatnMaxRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_Set_color0(Colour(RCC_BLUE));
    const int32_t max = std::min(lib.XR_GetPatnMax(), 64);
    int32_t drawn = 0;
    for (int32_t slot = 0; slot < max && drawn < 8; ++slot)
        if (lib.XR_SelectPatn(slot) == slot)
            lib.XR_PatnFillRect(60, 60, 40 + 70 * drawn++, 100);
}

// A framed square blown up four times, framed and filled from its centre
// (ISA).
void ZoomRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    lib.XR_DrawRect(20, 20, 50, 50);
    lib.XR_ZoomRect(400, 20, 20, 50, 50, 200, 100, 4, 0);
    lib.XR_FrameRect(84, 84, 198, 98, 2, 2);
    lib.XR_Transparent(Colour(RCC_RED));
    lib.XR_SeedFill(240, 140, 0, 4096);
}

// A label moved pixel by pixel into a blue box.
void MovePixelRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_BLUE));
    lib.XR_FillRect(120, 40, 250, 100);
    lib.XR_SelectFontNamed("OPIX9");
    const int32_t a = lib.XR_GetAscent();
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawString(100, 110 - a / 2, "OPIX9");
    for (int32_t y = 100; y < 120; ++y)
        for (int32_t x = 100; x < 140; ++x)
            lib.XR_MovePixel(x, y, x + 160, y);
}

// A label in a blue box, its white pixels turned yellow.
void GetPixelRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_BLUE));
    lib.XR_FillRect(50, 20, 100, 100);
    lib.XR_SelectFontNamed("OPIX9");
    const int32_t a = lib.XR_GetAscent();
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawString(104, 110 - a / 2, "OPIX9");
    const uint32_t white = Colour(RCC_WHITE) & 0xFF, yellow = Colour(RCC_YELLOW);
    for (int32_t y = 100; y < 120; ++y)
        for (int32_t x = 100; x < 150; ++x)
            if (static_cast<uint32_t>(lib.XR_GetPixel(x, y)) == white)
                lib.XR_PutPixel(x, y, static_cast<int32_t>(yellow));
}

// An outline filled with a pattern from inside (ISA).
void SeedPatnFillRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_DrawRect(200, 160, 100, 100);
    lib.XR_SelectPatnNamed("CHECKER8");
    WhiteOnBlue(lib);
    lib.XR_SeedPatnFill(200, 180, 0, 4096);
}

// An outline filled from inside (ISA).
void SeedFillRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_DrawRect(200, 160, 100, 100);
    lib.XR_Set_color1(Colour(RCC_GREEN));
    lib.XR_SeedFill(200, 180, 0, 4096);
}

// A transparent and an opaque copy of one region side by side.
void TranspOffRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_Opaque(DiagnosticsWord(RCC_WHITE), DiagnosticsWord(RCC_BLUE));
    lib.XR_PatnFrameOval(150, 150, 45, 165, 35, 35);
    lib.XR_Transparent(DiagnosticsWord(RCC_RED));
    lib.XR_FillRect(190, 190, 225, 145);
    lib.XR_Transparent(DiagnosticsWord(RCC_GREEN));
    lib.XR_FillRect(30, 190, 305, 145);
    lib.XR_FillRect(190, 30, 225, 225);
    lib.XR_MoveRect(200, 200, 220, 140, 420, 140);
    lib.XR_TranspON();
    lib.XR_MoveRect(160, 160, 40, 160, 240, 160);
    lib.XR_TranspOFF();
    lib.XR_MoveRect(160, 160, 40, 160, 440, 160);
}

} // namespace demonstrations
