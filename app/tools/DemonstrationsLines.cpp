// The line and shape rows.
#include "Demonstrations.h"

namespace demonstrations {

// 202 lines whose ends turn together around (305, 222), red, green, blue
// in turn.
void DrawLineRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const RemoteCallWord colours[3] = {RCC_RED, RCC_GREEN, RCC_BLUE};
    int32_t x1 = 80 * 65536, y1 = 280 * 65536, x2 = -40 * 65536, y2 = 80 * 65536;
    for (int step = 0; step < 202; ++step) {
        lib.XR_Set_color1(DiagnosticsWord(colours[step % 3]));
        lib.XR_DrawLine((x1 >> 16) + 305, (y1 >> 16) + 222, (x2 >> 16) + 305, (y2 >> 16) + 222);
        RotateStep(x1, y1, 5);
        RotateStep(x2, y2, 5);
    }
}

} // namespace demonstrations

namespace demonstrations {

namespace {

// Transparent white, then the figure.
template <class Draw>
void WhiteFigure(ToolLibrary& lib, Draw draw)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    draw();
}

} // namespace

// A white and a red line, each copied down into a block.
void CurtainFillRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawLine(100, 100, 199, 100);
    lib.XR_CurtainFillRect(100, 100, 100, 100, 0);
    lib.XR_Set_color1(DiagnosticsWord(RCC_RED));
    lib.XR_DrawLine(300, 100, 399, 100);
    lib.XR_CurtainFillRect(100, 100, 300, 100, 0);
}

// A triangle's enclosing box in blue, its sides in yellow.
void EncloseFillRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const Point corners[3] = {{150, 100}, {350, 180}, {220, 300}};
    lib.XR_Transparent(DiagnosticsWord(RCC_BLUE));
    lib.XR_EncloseFillRect(3, corners);
    lib.XR_Set_color1(DiagnosticsWord(RCC_YELLOW));
    for (int i = 0; i < 3; ++i)
        lib.XR_DrawLine(corners[i].x, corners[i].y, corners[(i + 1) % 3].x, corners[(i + 1) % 3].y);
}

void DrawOvalRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawOval(200, 120, 100, 100); }); }
void DottedOvalRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DottedOval(200, 120, 100, 100, 4); }); }

// A diagonal of points every four pixels.
void DrawPointRow(ToolLibrary& lib)
{
    WhiteFigure(lib, [&] {
        for (int32_t i = 0; i < 50; ++i)
            lib.XR_DrawPoint(100 + 4 * i, 100 + 2 * i);
    });
}

// A zigzag of four lines.
void DrawPolyLineRow(ToolLibrary& lib)
{
    WhiteFigure(lib, [&] {
        const Point points[5] = {{100, 200}, {150, 100}, {200, 200}, {250, 100}, {300, 200}};
        Point work[4] = {};
        lib.XR_DrawPolyLine(4, work, points);
    });
}

void DrawRectRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawRect(200, 120, 100, 100); }); }
void DrawTriangleRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawTriangle(100, 300, 200, 100, 300, 300); }); }
void DrawCenterMarkRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawCenterMark(); }); }
void DrawLimitsRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawLimits(); }); }
void DrawCrossRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawCross(); }); }

// The box figure opaque, white on blue, then transparent in yellow over it.
void DrawTBoxRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_Set_color0(DiagnosticsWord(RCC_BLUE));
    lib.XR_DrawTBox(200, 150);
    lib.XR_Transparent(DiagnosticsWord(RCC_YELLOW));
    lib.XR_DrawTBox(100, 75);
}

void DrawFormatRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_Set_color0(DiagnosticsWord(RCC_BLUE));
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_DrawFormat(64, 48);
    lib.XR_Transparent(DiagnosticsWord(RCC_YELLOW));
    lib.XR_DrawFormat(128, 96);
}

void DrawStepRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_Set_color0(DiagnosticsWord(RCC_BLUE));
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_DrawStep(64, 40);
}

void DrawGridRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawGrid(40, 40, 1); }); }
void DrawGrillRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawGrill(240, 160, 100, 100, 4, 8, 1); }); }

// As many 64 x 48 boxes as fit, outlined by the grid of that size.
void BoxesRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    int32_t across = 0, down = 0;
    lib.XR_Boxes(&across, &down, 64, 48);
    lib.XR_Transparent(Colour(RCC_WHITE));
    if (across > 0 && down > 0)
        lib.XR_DrawGrid(64, 48, 1);
}

void DrawOvalArcRow(ToolLibrary& lib) { WhiteFigure(lib, [&] { lib.XR_DrawOvalArc(200, 160, 100, 100, 30, 240); }); }

} // namespace demonstrations
