// The viewport rows: origin, clipping, size, position and copies of a
// viewport of the row's own, the saved one current again at the end.
#include "Demonstrations.h"

namespace demonstrations {

namespace {

// A square around the origin, its corners (±s, ±s) in order.
void Square(Point* points, int16_t s)
{
    points[0] = {static_cast<int16_t>(-s), static_cast<int16_t>(-s)};
    points[1] = {s, static_cast<int16_t>(-s)};
    points[2] = {s, s};
    points[3] = {static_cast<int16_t>(-s), s};
}

} // namespace

// A diamond about the centre in a colour the depth has, its outline in
// another.
void FillConvexRow(ToolLibrary& lib)
{
    Opening(lib, 0x30040);
    const OwnVuport own(lib);
    lib.XR_TranspOFF();
    own.Centre();
    const int32_t psize = lib.XR_Get_psize();
    lib.XR_Set_color1(psize == 8 ? Colour(RCC_GREEN) : Colour(RCC_WHITE));
    const Point diamond[4] = {{0, -100}, {120, 0}, {0, 100}, {-120, 0}};
    const int32_t order[4] = {0, 1, 2, 3};
    lib.XR_FillConvex(4, order, diamond);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_DrawTriangle(-120, 0, 0, -100, 120, 0);
    own.End();
}

void PatnFillConvexRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    lib.XR_TranspOFF();
    own.Centre();
    const int32_t psize = lib.XR_Get_psize();
    lib.XR_Set_color0(psize == 8 ? Colour(RCC_BLUE) : Colour(RCC_BLACK));
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_SelectPatn(3);
    const Point diamond[4] = {{0, -100}, {120, 0}, {0, 100}, {-120, 0}};
    const int32_t order[4] = {0, 1, 2, 3};
    lib.XR_PatnFillConvex(4, order, diamond);
    own.End();
}

// A checker rectangle drawn in a viewport opened for it, which is then
// removed.
void ViewPort1Row(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    const int32_t saved = lib.XR_CurrentVuport();
    const int32_t own = lib.XR_OpenVuport();
    lib.XR_Set_color1(Colour(RCC_YELLOW));
    lib.XR_PatnFillRect(200, 120, 100, 100);
    lib.XR_SelectVuport(saved);
    lib.XR_RemoveVuport(own);
}

// A checker oval in a viewport moved to (200, 150).
void ViewPort2Row(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectPatnNamed("CHECKER8");
    const OwnVuport own(lib, false);
    lib.XR_MoveVuport(200, 150);
    lib.XR_SelectVuport(own.Own());
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    lib.XR_PatnFillOval(200, 120, 0, 0);
    own.End();
}

// A square about the screen's centre drawn from the moved origin.
void SetOriginRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_SetOrigin(ContextInt(RCC_CENTERLEFT), ContextInt(RCC_CENTERTOP));
    Point corners[5];
    Square(corners, 80);
    corners[4] = corners[0];
    Point work[4] = {};
    lib.XR_DrawPolyLine(4, work, corners);
    own.End();
}

// A fill far larger than the viewport, cut to its 200 x 150.
void SizeVuportRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    lib.XR_SizeVuport(200, 150);
    lib.XR_Set_color1(lib.XR_RepPixel(static_cast<int32_t>(Colour(RCC_CYAN) & 0xFF)));
    lib.XR_FillRect(2000, 2000, -500, -500);
    own.End();
}

// A framed label panel in a viewport moved to (100, 80).
void MoveVuportRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Set_color0(Colour(RCC_BLUE));
    lib.XR_MoveVuport(100, 80);
    lib.XR_Set_color1(Colour(RCC_BLUE));
    lib.XR_FillRect(200, 100, 0, 0);
    lib.XR_Set_color1(Colour(RCC_WHITE));
    lib.XR_FrameRect(200, 100, 0, 0, 2, 2);
    const int32_t w = lib.XR_CharWideMax(), a = lib.XR_GetAscent();
    lib.XR_DrawString(w, 40 - a, "OPIX9");
    lib.XR_DrawString(w, 40 - a + lib.XR_CharHigh(), "OPIX9");
    own.End();
}

// A square's corners made points on the card, filled with checkers about
// the centre.
void VertexToPointRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    own.Centre();
    static const int32_t corners[12] = {-90, -60, 0, 90, -60, 0, 90, 60, 0, -90, 60, 0};
    Vertex vertices[4];
    lib.XR_Int32ToFix(12, corners, &vertices[0].x);
    Point points[4] = {};
    lib.XR_VertexToPoint(4, vertices, points);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    const int32_t order[4] = {0, 1, 2, 3};
    lib.XR_PatnFillConvex(4, order, points);
    own.End();
}

// Fills cut to a clip rectangle, from two origins and a moved viewport.
void SetClipRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    lib.XR_SetClipRect(200, 150, 100, 100);
    lib.XR_SelectPatnNamed("CHECKER8");
    lib.XR_PatnFillRect(400, 400, 0, 0);
    lib.XR_SetOrigin(200, 175);
    lib.XR_PatnFillOval(160, 160, -80, -80);
    lib.XR_MoveVuport(350, 250);
    lib.XR_Transparent(Colour(RCC_RED));
    lib.XR_FillRect(400, 400, -300, -300);
    own.End();
}

// A red square in a small viewport copied to the screen's top-left.
void CopyVuportRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const int32_t saved = lib.XR_CurrentVuport();
    const int32_t own = lib.XR_OpenVuport();
    lib.XR_SizeVuport(100, 80);
    lib.XR_MoveVuport(200, 150);
    lib.XR_Transparent(Colour(RCC_RED));
    lib.XR_FillRect(60, 40, 20, 20);
    lib.XR_CopyVuport(own, saved);
    lib.XR_SelectVuport(saved);
    lib.XR_CloseVuport(own);
}

// Lines from the centre, the pen growing.
void SetPenSizeRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    own.Centre();
    lib.XR_Set_color1(lib.XR_RepPixel(static_cast<int32_t>(Colour(RCC_YELLOW) & 0xFF)));
    for (int32_t size = 1; size <= 6; ++size) {
        lib.XR_SetPenSize(size, size);
        lib.XR_PenLine(0, 0, 30 * size - 100, -100);
    }
    own.End();
}

// Dashed lines about the centre, each starting where the last left off.
void StyledLineRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    own.Centre();
    lib.XR_Transparent(Colour(RCC_WHITE));
    uint32_t phase = 0;
    for (int32_t i = 0; i < 5; ++i)
        phase = lib.XR_StyledLine(-150, -80 + 40 * i, 150, -80 + 40 * i, 0xF0F0FF00u, static_cast<int32_t>(phase));
    own.End();
}

} // namespace demonstrations
