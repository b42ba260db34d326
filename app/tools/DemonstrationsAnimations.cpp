// The animated rows that keep their own viewport or display registers.
#include "Demonstrations.h"

namespace demonstrations {

// A square scaled along x, then y, then z, three frames a step, in a
// viewport whose origin is the screen's centre.
void WaitFrameRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const uint32_t black = DiagnosticsWord(RCC_BLACK), red = DiagnosticsWord(RCC_RED);
    const int32_t saved = lib.XR_CurrentVuport();
    const int32_t own = lib.XR_OpenVuport();
    lib.XR_SelectVuport(own);
    lib.XR_Transparent(red);
    lib.XR_SetOrigin(ContextInt(RCC_CENTERLEFT), ContextInt(RCC_CENTERTOP));
    lib.XR_SetClipRect(ContextInt(RCC_WIDTH), ContextInt(RCC_HEIGHT), 0, 0);
    static const int32_t square[12] = {-25, -25, 0, 25, -25, 0, 25, 25, 0, -25, 25, 0};
    static const int32_t order[4] = {0, 1, 2, 3};
    Point buffers[2][4] = {};
    int next = 0;
    auto animate = [&] {
    for (int axis = 0; axis < 3; ++axis)
        for (Fix factor = 0x8000; factor <= 0x18000; factor += 512) {
            if (!KeepAnimating(lib))
                return;
            FixMatrix matrix;
            lib.XR_InitMatrix(&matrix);
            Vertex scale{0x10000, 0x10000, 0x10000};
            (axis == 0 ? scale.x : axis == 1 ? scale.y : scale.z) = factor;
            lib.XR_Scale(&matrix, &scale);
            Vertex vertices[4];
            lib.XR_Int32ToFix(12, square, &vertices[0].x);
            lib.XR_Transform(&matrix, 4, vertices);
            lib.XR_Perspec(4, vertices, buffers[next], -200, 0, 0);
            lib.XR_WaitFrame(lib.XR_WaitFrame(0) + 3);
            // The first step erases the unused buffer's point at the origin.
            lib.XR_Opaque(black, black);
            lib.XR_EncloseFillRect(4, buffers[1 - next]);
            lib.XR_Transparent(red);
            lib.XR_FillConvex(4, order, buffers[next]);
            next = 1 - next;
        }
    };
    animate();
    lib.XR_SelectVuport(saved);
    lib.XR_CloseVuport(own);
}

namespace {

// Bars `width` wide every `step` pixels across the viewport.
void Bars(ToolLibrary& lib, int32_t width, int32_t step, int32_t height, int32_t screenWidth)
{
    for (int32_t x = 0; x < screenWidth; x += step)
        lib.XR_FillRect(width, height, x, 0);
}

} // namespace

// Two patterns of bars in separate planes, shown in turn through the display
// registers, frame by frame; the registers and the viewport back as they
// were on leaving.
void SliderAnimationRow(ToolLibrary& lib)
{
    Opening(lib, 0, false);
    for (const int32_t index : {2, 8}) {
        lib.XR_SelectColor(lib.XR_RepPixel(index));
        lib.XR_SetLevelRGB(0, 255, 0);
    }
    const int32_t width = ContextInt(RCC_WIDTH), height = ContextInt(RCC_HEIGHT);
    const int32_t saved = lib.XR_CurrentVuport();
    const int32_t own = lib.XR_OpenVuport();
    lib.XR_SelectVuport(own);
    lib.XR_SizeVuport(width, height);
    lib.XR_Opaque(lib.XR_RepPixel(0), lib.XR_RepPixel(0));
    lib.XR_FillRect(width, height, 0, 0);
    // Each pattern only in its planes: 12 for the first, 3 for the second.
    lib.XR_Opaque(lib.XR_RepPixel(15), lib.XR_RepPixel(0));
    lib.XR_Set_pmask(lib.XR_RepPixel(12));
    Bars(lib, 8, 40, height, width);
    lib.XR_Set_pmask(lib.XR_RepPixel(3));
    Bars(lib, 16, 32, height, width);
    lib.XR_Set_pmask(0xFFFFFFFF);
    const uint32_t frame = lib.XR_GetFrame();
    lib.XR_SetFrameSync(frame);
    lib.XR_SetFrameNext(frame + 1);
    for (int32_t step = 0; KeepAnimating(lib); ++step) {
        lib.XR_WaitFrame(lib.XR_GetFrameSync() + 1);
        const bool first = step % 2 == 0;
        const int32_t slide = (step / 2) % 5;
        lib.XR_SetDisplayDelta(1);
        lib.XR_SetDisplayStart(first ? slide : 4 * slide);
        lib.XR_SetDisplayMask(first ? 8 : 2);
        const uint32_t next = lib.XR_GetFrameNext();
        lib.XR_SetFrameSync(next);
        lib.XR_SetFrameNext(next + 1);
    }
    lib.XR_SelectVuport(saved);
    lib.XR_SetFrameNext(0);
    lib.XR_SetFrameSync(0);
    lib.XR_SetDisplayMask(0xFFFFFFFF);
    lib.XR_SetDisplayDelta(1);
    lib.XR_SetDisplayStart(0);
    lib.XR_CloseVuport(own);
}

} // namespace demonstrations

namespace demonstrations {

namespace {

// A ball bouncing off the clip rectangle's edges; `pace` waits a step.
template <class Pace>
void Bounce(ToolLibrary& lib, uint32_t colour, Pace pace)
{
    constexpr int32_t size = 40;
    int32_t x = 100, y = 80, dx = 6, dy = 4;
    lib.XR_Transparent(colour);
    // Where the ball's far corner lies: a start outside the clip goes in.
    if (lib.XR_Cpw(x + size - 1, y + size - 1) != 0)
        x = y = 0;
    lib.XR_FillOval(size, size, x, y);
    while (KeepAnimating(lib)) {
        pace();
        lib.XR_Opaque(Colour(RCC_BLACK), Colour(RCC_BLACK));
        lib.XR_FillRect(size, size, x, y);
        const int32_t code = lib.XR_Cpw(x + dx + (dx > 0 ? size - 1 : 0), y + dy + (dy > 0 ? size - 1 : 0));
        if (code & 3)
            dx = -dx;
        if (code & 12)
            dy = -dy;
        x += dx;
        y += dy;
        lib.XR_Transparent(colour);
        lib.XR_FillOval(size, size, x, y);
    }
}

// A pie of `draw` sweeping round by 30 degrees a step, the last one's box
// erased first.
void SweepingPie(ToolLibrary& lib, int32_t (ToolLibrary::*draw)(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t))
{
    for (int32_t step = 0, start = 0; KeepAnimating(lib); ++step, start = (start + 30) % 360) {
        if (step > 0) {
            lib.XR_Opaque(Colour(RCC_BLACK), Colour(RCC_BLACK));
            lib.XR_FillRect(212, 172, 214, 154);
        }
        lib.XR_Transparent(Colour(RCC_YELLOW));
        (lib.*draw)(200, 160, 220, 160, start, 60);
        WaitFrames(lib, 6);
    }
}

// One step of the square rows: the square through `matrix`, projected
// about the viewport's origin, the last one's box erased.
struct SquareSteps
{
    ToolLibrary& lib;
    Point buffers[2][4] = {};
    int next = 0;
    bool drawn = false;

    void Project(FixMatrix& matrix)
    {
        static const int32_t square[12] = {-40, -40, 0, 40, -40, 0, 40, 40, 0, -40, 40, 0};
        Vertex vertices[4];
        lib.XR_Int32ToFix(12, square, &vertices[0].x);
        lib.XR_Transform(&matrix, 4, vertices);
        lib.XR_Perspec(4, vertices, buffers[next], -300, 0, 0);
    }
    // The previous square's box; at first the unused buffer's point.
    void Erase()
    {
        lib.XR_Opaque(Colour(RCC_BLACK), Colour(RCC_BLACK));
        lib.XR_EncloseFillRect(4, buffers[1 - next]);
    }
    void Draw()
    {
        static const int32_t order[4] = {0, 1, 2, 3};
        lib.XR_FillConvex(4, order, buffers[next]);
        drawn = true;
        next = 1 - next;
    }
};

} // namespace

void WaitScanRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    Bounce(lib, Colour(RCC_YELLOW), [&] { lib.XR_WaitScan(ContextInt(RCC_HEIGHT) - 1); });
}

void DelayRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    Bounce(lib, Colour(RCC_CYAN), [&] {
        WaitFrames(lib, 2);
        lib.XR_WaitScan(0);
    });
}

// Grey levels in the planes of one mask, a ball moving through the others;
// the mask all planes again at the end.
void SetPmaskRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    for (int32_t i = 0; i < 4; ++i) {
        const uint32_t colour = lib.XR_RepPixel(16 * (i + 1));
        lib.XR_SelectColor(colour);
        lib.XR_SetLevelGrayPercent(25 * (i + 1));
    }
    const int32_t width = ContextInt(RCC_WIDTH), height = ContextInt(RCC_HEIGHT);
    // Four square bars of the greys along the top.
    int32_t side = 0;
    for (int32_t i = 0; i < 4; ++i) {
        lib.XR_Transparent(lib.XR_RepPixel(16 * (i + 1)));
        if (i == 0)
            side = lib.XR_SquareDX(height / 4);
        lib.XR_FillRect(side, height / 4, i * side, 0);
    }
    lib.XR_SetClipRect(width, height, 0, 0);
    int32_t x = 0, dx = 8;
    while (KeepAnimating(lib)) {
        if (lib.XR_Cpw(x + dx + 59, 100) & 3)
            dx = -dx;
        lib.XR_Opaque(lib.XR_RepPixel(0), lib.XR_RepPixel(0));
        lib.XR_Set_pmask(lib.XR_RepPixel(15));
        lib.XR_FillOval(60, 60, x, 40);
        x += dx;
        lib.XR_Opaque(lib.XR_RepPixel(9), lib.XR_RepPixel(0));
        lib.XR_FillOval(60, 60, x, 40);
        lib.XR_Set_pmask(0xFFFFFFFF);
        lib.XR_WaitScan(height - 1);
    }
    lib.XR_Set_pmask(0xFFFFFFFF);
    own.End();
}

// A square turning about a point that goes round a circle.
void InitMatrixRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const int32_t cx = ContextInt(RCC_CENTERLEFT), cy = ContextInt(RCC_CENTERTOP);
    static const int32_t corners[12] = {-20, -20, 0, 20, -20, 0, 20, 20, 0, -20, 20, 0};
    Vertex shape[4];
    lib.XR_Int32ToFix(12, corners, &shape[0].x);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawOval(240, 240, cx - 120, cy - 120);
    // The first erase takes the unused buffer's point: the screen's corner.
    Point buffers[2][4] = {};
    int next = 0;
    for (int32_t angle = 0; KeepAnimating(lib); angle = (angle + 6) % 360) {
        FixMatrix matrix;
        lib.XR_InitMatrix(&matrix);
        Vertex move{100 * 65536, 0, 0};
        lib.XR_Translate(&matrix, &move);
        Vertex turn{0, 0, angle * 65536};
        lib.XR_Rotate(&matrix, &turn);
        Vertex vertices[4] = {shape[0], shape[1], shape[2], shape[3]};
        lib.XR_Transform(&matrix, 4, vertices);
        Point points[4];
        lib.XR_VertexToPoint(4, vertices, points);
        for (int k = 0; k < 4; ++k)
            buffers[next][k] = {static_cast<int16_t>(points[k].x + cx), static_cast<int16_t>(points[k].y + cy)};
        lib.XR_WaitFrame(lib.XR_GetFrame() + 2);
        lib.XR_Opaque(Colour(RCC_BLACK), Colour(RCC_BLACK));
        lib.XR_EncloseFillRect(4, buffers[1 - next]);
        static const int32_t order[4] = {0, 1, 2, 3};
        lib.XR_Transparent(Colour(RCC_GREEN));
        lib.XR_FillConvex(4, order, buffers[next]);
        next = 1 - next;
    }
}

// A square growing and shrinking about the centre.
void ScaleRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    own.Centre();
    SquareSteps steps{lib};
    for (int32_t step = 0; KeepAnimating(lib); ++step) {
        FixMatrix matrix;
        lib.XR_InitMatrix(&matrix);
        const Fix factor = 0x8000 + 0x1000 * (step % 16 < 8 ? step % 16 : 16 - step % 16);
        Vertex scale{factor, factor, 0x10000};
        lib.XR_Scale(&matrix, &scale);
        steps.Project(matrix);
        lib.XR_WaitScan(0);
        steps.Erase();
        lib.XR_Transparent(Colour(RCC_MAGENTA));
        steps.Draw();
    }
    own.End();
}

// A square turning about the centre.
void RotateRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    own.Centre();
    SquareSteps steps{lib};
    for (int32_t angle = 0; KeepAnimating(lib); angle = (angle + 5) % 360) {
        FixMatrix matrix;
        lib.XR_InitMatrix(&matrix);
        Vertex turn{0, 0, angle * 65536};
        lib.XR_Rotate(&matrix, &turn);
        steps.Project(matrix);
        lib.XR_Opaque(Colour(RCC_BLACK), Colour(RCC_BLACK));
        lib.XR_WaitScan(0);
        lib.XR_WipeActive();
        lib.XR_Transparent(Colour(RCC_CYAN));
        steps.Draw();
    }
    own.End();
}

// A square tipping towards the eye, in perspective.
void PerspecRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    const OwnVuport own(lib);
    own.Centre();
    SquareSteps steps{lib};
    for (int32_t angle = 0; KeepAnimating(lib); angle = (angle + 5) % 360) {
        FixMatrix matrix;
        lib.XR_InitMatrix(&matrix);
        Vertex turn{angle * 65536, 0, 0};
        lib.XR_Rotate(&matrix, &turn);
        steps.Project(matrix);
        lib.XR_WaitScan(0);
        if (steps.drawn)
            lib.XR_WipeActive();
        lib.XR_Set_color1(Colour(RCC_YELLOW));
        steps.Draw();
    }
    own.End();
}

// ISA: the pen's pie sweeping round.
void PenPieArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetPenSize(3, 3);
    SweepingPie(lib, &ToolLibrary::XR_PenPieArc);
}

void FillPieArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    SweepingPie(lib, &ToolLibrary::XR_FillPieArc);
}

void DrawPieArcRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    SweepingPie(lib, &ToolLibrary::XR_DrawPieArc);
}

} // namespace demonstrations
