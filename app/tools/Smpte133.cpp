#include "Smpte133.h"

#include "DemonstrationContext.h"
#include "ToolLibrary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

// One drawing's values, worked out once.
struct Canvas
{
    ToolLibrary& lib;
    int32_t width = 0;
    int32_t height = 0;
    double normalWidth = 0;
    double normalHeight = 0;
    double cell = 0;
    double small = 0;
    int32_t smallWidth = 0;
    int32_t smallHeight = 0;
    int32_t gridCount = 0;
    uint32_t background = 0;
    uint32_t line = 0;
    uint32_t text = 0;
    uint32_t label1 = 0;
    uint32_t label2 = 0;
    int32_t sys16 = 0;
    int32_t opix9 = 0;

    // A rectangle between two points of the normal-height units.
    void Fill(uint32_t colour, double x0, double y0, double x1, double y1) const
    {
        const int32_t left = lib.XR_TransformX(x0), top = lib.XR_TransformY(y0);
        lib.XR_Transparent(colour);
        lib.XR_FillRect(lib.XR_TransformX(x1) - left, lib.XR_TransformY(y1) - top, left, top);
    }
    // A patch of whole grid cells, counted from the centre.
    void Cells(uint32_t colour, int column, int row, int across, int down) const
    {
        Fill(colour, column * cell, row * cell, (column + across) * cell, (row + down) * cell);
    }
};

// Step 3. Without the grey a depth needs the 1-bit choice stands.
void ChooseColours(Canvas& c, int32_t psize)
{
    const uint32_t black = DiagnosticsWord(RCC_BLACK), white = DiagnosticsWord(RCC_WHITE);
    c.text = white;
    c.background = black;
    c.line = white;
    bool grey = false;
    if (psize == 2 && ContextHolds({RCC_GRAY51})) {
        c.background = DiagnosticsWord(RCC_GRAY51);
        c.line = black;
        grey = true;
    } else if (psize == 4 && ContextHolds({RCC_GRAY50})) {
        c.background = DiagnosticsWord(RCC_GRAY50);
        c.line = ContextHolds({RCC_GRAY75}) ? DiagnosticsWord(RCC_GRAY75)
            : ContextHolds({RCC_GRAY70})    ? DiagnosticsWord(RCC_GRAY70)
                                            : white;
        grey = true;
    } else if (psize != 1 && psize != 2 && psize != 4 && ContextHolds({RCC_GRAY50})) {
        c.background = DiagnosticsWord(RCC_GRAY50);
        c.line = ContextHolds({RCC_GRAY75}) ? DiagnosticsWord(RCC_GRAY75) : white;
        grey = true;
    }
    const bool pair = (grey || psize == 1) && ContextHolds({RCC_GRAY95, RCC_GRAY5});
    c.label1 = pair ? DiagnosticsWord(RCC_GRAY95) : white;
    c.label2 = pair ? DiagnosticsWord(RCC_GRAY5) : black;
}

// The grey patches' ring: column, row, cells across and down, counted from
// the centre; down the left, along the bottom, up the right.
struct GreyPatch
{
    RemoteCallWord colour;
    int column, row, across, down;
};
constexpr std::array<GreyPatch, 11> kGreyPatches = {{
    {RCC_BLACK, -3, -3, 1, 2},
    {RCC_GRAY10, -3, -1, 1, 1},
    {RCC_GRAY20, -3, 0, 1, 1},
    {RCC_GRAY30, -3, 1, 1, 1},
    {RCC_GRAY40, -2, 1, 1, 1},
    {RCC_GRAY50, -1, 1, 2, 1},
    {RCC_GRAY60, 1, 1, 1, 1},
    {RCC_GRAY70, 2, 1, 1, 1},
    {RCC_GRAY80, 2, 0, 1, 1},
    {RCC_GRAY90, 2, -1, 1, 1},
    {RCC_WHITE, 2, -3, 1, 2},
}};

void GreyPatches(const Canvas& c)
{
    if (!ContextHolds({RCC_GRAY10, RCC_GRAY20, RCC_GRAY30, RCC_GRAY40, RCC_GRAY50, RCC_GRAY60, RCC_GRAY70,
                       RCC_GRAY80, RCC_GRAY90, RCC_GRAY5, RCC_GRAY95, RCC_BLACK, RCC_WHITE}))
        return;
    for (std::size_t i = 0; i < kGreyPatches.size(); ++i) {
        const GreyPatch& p = kGreyPatches[i];
        c.Cells(DiagnosticsWord(p.colour), p.column, p.row, p.across, p.down);
        // The percentage two pixels in from the patch's corner.
        c.lib.XR_Transparent(DiagnosticsWord(i <= 4 ? RCC_WHITE : RCC_BLACK));
        c.lib.XR_DrawString(c.lib.XR_TransformX(p.column * c.cell) + 2, c.lib.XR_TransformY(p.row * c.cell) + 2,
                            std::to_string(10 * i).c_str());
    }
    const double half = c.cell / 2, nh = c.normalHeight;
    c.Fill(DiagnosticsWord(RCC_GRAY95), 0.125 * nh, 0.125 * nh, 0.125 * nh + half, 0.125 * nh + half);
    c.Fill(DiagnosticsWord(RCC_GRAY5), -0.175 * nh, 0.125 * nh, -0.175 * nh + half, 0.125 * nh + half);
    // A card without pattern 8 keeps its own: no patch then.
    c.lib.XR_Opaque(DiagnosticsWord(RCC_WHITE), DiagnosticsWord(RCC_BLACK));
    if (c.lib.XR_SelectPatn(8) == 8) {
        const int32_t left = c.lib.XR_TransformX(0.025 * nh), top = c.lib.XR_TransformY(-0.175 * nh);
        c.lib.XR_PatnFillRect(c.lib.XR_TransformX(0.025 * nh + half) - left,
                              c.lib.XR_TransformY(-0.175 * nh + half) - top, left, top);
    }
}

void ColourColumns(const Canvas& c)
{
    const std::array<RemoteCallWord, 6> full = {RCC_RED, RCC_GREEN, RCC_BLUE, RCC_CYAN, RCC_MAGENTA, RCC_YELLOW};
    const std::array<RemoteCallWord, 6> half = {RCC_RED50,  RCC_GREEN50,   RCC_BLUE50,
                                                RCC_CYAN50, RCC_MAGENTA50, RCC_YELLOW50};
    const struct
    {
        const std::array<RemoteCallWord, 6>& colours;
        int column;
    } columns[] = {{full, -4}, {half, 3}};
    for (const auto& column : columns) {
        if (!std::all_of(column.colours.begin(), column.colours.end(),
                         [](RemoteCallWord w) { return DiagnosticsWord(w) != 0; }))
            continue;
        for (std::size_t i = 0; i < column.colours.size(); ++i)
            c.Cells(DiagnosticsWord(column.colours[i]), column.column, -3 + static_cast<int>(i), 1, 1);
    }
}

void Grid(const Canvas& c)
{
    c.lib.XR_Transparent(c.line);
    for (int k = -(c.gridCount / 2); k <= c.gridCount / 2; ++k)
        c.lib.XR_DrawRect(2, c.height, c.lib.XR_TransformX(k * c.cell), 0);
    for (int k = -4; k <= 4; ++k)
        c.lib.XR_DrawRect(c.width, 2, 0, c.lib.XR_TransformY(k * c.cell));
}

void Circle(const Canvas& c)
{
    const int32_t right = ContextInt(RCC_RIGHT), bottom = ContextInt(RCC_BOTTOM);
    const int32_t b = std::min(right, c.lib.XR_SquareDX(bottom));
    const int32_t d = std::min(bottom, c.lib.XR_SquareDY(b));
    c.lib.XR_Transparent(c.line);
    c.lib.XR_DrawOval(b, d, (c.width - b) / 2, (c.height - d) / 2);
}

void ContrastBands(const Canvas& c)
{
    const double d = (c.gridCount - 2) * c.cell, nh = c.normalHeight;
    const struct
    {
        double top;
        uint32_t outer, inner;
    } bands[] = {{-0.29, c.label1, c.label2}, {0.21, c.label2, c.label1}};
    for (const auto& band : bands) {
        c.lib.XR_Transparent(band.outer);
        c.lib.XR_FillRect(c.lib.XR_TransformDX(d), c.lib.XR_TransformDY(0.08 * nh), c.lib.XR_TransformX(-d / 2) + 1,
                          c.lib.XR_TransformY(band.top * nh));
        c.lib.XR_Transparent(band.inner);
        c.lib.XR_FillRect(c.lib.XR_TransformDX(d / 2), c.lib.XR_TransformDY(0.04 * nh),
                          c.lib.XR_TransformX(-d / 4) + 1, c.lib.XR_TransformY((band.top + 0.02) * nh));
    }
}

// A block one small unit square reaching from (x, y) in the directions
// (dx, dy): its background, then lines of `thick` pixels from one line in
// from the anchor's side, every two lines, the last cut to the block.
void ResolutionBlock(const Canvas& c, int32_t x, int32_t y, int dx, int dy, bool vertical, int32_t thick,
                     uint32_t ink, uint32_t ground)
{
    const int32_t w = c.smallWidth, h = c.smallHeight;
    const int32_t left = dx > 0 ? x : x - w + 1, top = dy > 0 ? y : y - h + 1;
    c.lib.XR_Transparent(ground);
    c.lib.XR_FillRect(w, h, left, top);
    c.lib.XR_Transparent(ink);
    const int32_t span = vertical ? w : h;
    for (int32_t at = thick; at < span; at += 2 * thick) {
        const int32_t size = std::min(thick, span - at);
        if (vertical)
            c.lib.XR_FillRect(size, h, dx > 0 ? left + at : left + w - at - size, top);
        else
            c.lib.XR_FillRect(w, size, left, dy > 0 ? top + at : top + h - at - size);
    }
}

void ResolutionPatch(const Canvas& c, int32_t x, int32_t y, int dx, int dy)
{
    const int32_t insetX = c.lib.XR_TransformDX(0.02 * c.normalHeight);
    const int32_t insetY = c.lib.XR_TransformDY(0.02 * c.normalHeight);
    const uint32_t white = DiagnosticsWord(RCC_WHITE), black = DiagnosticsWord(RCC_BLACK);
    const struct
    {
        RemoteCallWord ink, ground;
    } greys[] = {{RCC_GRAY51, RCC_GRAY48}, {RCC_GRAY51, RCC_GRAY50}, {RCC_GRAY53, RCC_GRAY48}};
    for (int pair = 0; pair < 3; ++pair) {
        const int32_t by = y + dy * (insetY + pair * c.smallHeight);
        for (int member = 0; member < 2; ++member) {
            const int32_t bx = x + dx * (insetX + member * c.smallWidth);
            ResolutionBlock(c, bx, by, dx, dy, member == 1, pair + 1, white, black);
        }
        if (!ContextHolds({greys[pair].ink, greys[pair].ground}))
            continue;
        for (int member = 0; member < 2; ++member) {
            const int32_t bx = x + dx * (insetX + (2 + member) * c.smallWidth);
            ResolutionBlock(c, bx, by, dx, dy, member == 1, 2, DiagnosticsWord(greys[pair].ink),
                            DiagnosticsWord(greys[pair].ground));
        }
    }
}

void ResolutionPatches(const Canvas& c)
{
    const int32_t left = ContextInt(RCC_LEFT), top = ContextInt(RCC_TOP);
    const int32_t right = ContextInt(RCC_RIGHT), bottom = ContextInt(RCC_BOTTOM);
    ResolutionPatch(c, left, top, 1, 1);
    ResolutionPatch(c, left, bottom, 1, -1);
    ResolutionPatch(c, right, top, -1, 1);
    ResolutionPatch(c, right, bottom, -1, -1);
    ResolutionPatch(c, c.lib.XR_TransformX(0.145 * c.normalHeight), c.lib.XR_TransformY(-0.11375 * c.normalHeight),
                    -1, 1);
}

void Border(const Canvas& c)
{
    const double nh = c.normalHeight;
    const int32_t insetX = c.lib.XR_TransformDX(0.01 * nh), insetY = c.lib.XR_TransformDY(0.01 * nh);
    const int32_t thickX = c.lib.XR_TransformDX(0.005 * nh), thickY = c.lib.XR_TransformDY(0.005 * nh);
    c.lib.XR_Transparent(c.line);
    c.lib.XR_FillRect(c.width - 2 * insetX, thickY, insetX, insetY);
    c.lib.XR_FillRect(c.width - 2 * insetX, thickY, insetX, c.height - insetY - thickY);
    c.lib.XR_FillRect(thickX, c.height - 2 * insetY, insetX, insetY);
    c.lib.XR_FillRect(thickX, c.height - 2 * insetY, c.width - insetX - thickX, insetY);
}

void Marker(const Canvas& c, int column, int row)
{
    const int32_t x = c.lib.XR_TransformX(column * c.cell), y = c.lib.XR_TransformY(row * c.cell);
    c.lib.XR_DrawRect(2, 8, x, y - 3);
    c.lib.XR_DrawRect(8, 2, x - 3, y);
}

void Markers(const Canvas& c)
{
    c.lib.XR_Transparent(c.line);
    const int outer = c.gridCount / 2;
    for (const int row : {-4, -3, 3, 4})
        for (int k = 0; k < 3; ++k) {
            Marker(c, -outer + k, row);
            Marker(c, outer - k, row);
        }
    for (const int column : {-1, 0, 1})
        Marker(c, column, 0);
}

// A label and its number centred on the line at y.
void Label(const Canvas& c, const char* label, int number, double y)
{
    const std::string digits = std::to_string(number);
    const int32_t labelWidth = c.lib.XR_GetWidth(label);
    const int32_t left = (c.width - labelWidth - c.lib.XR_GetWidth(digits.c_str())) / 2;
    const int32_t top = c.lib.XR_TransformY(y * c.normalHeight) - c.lib.XR_CharHigh() / 2;
    c.lib.XR_DrawString(left, top, label);
    c.lib.XR_DrawString(left + labelWidth, top, digits.c_str());
}

void Labels(const Canvas& c)
{
    if (c.width < 321)
        return;
    c.lib.XR_SelectFont(c.sys16);
    c.lib.XR_Transparent(c.text);
    Label(c, "H:", c.width, 0.35);  // resource-rule-ok: the labels are drawn on the generator's screen
    Label(c, "V:", c.height, 0.4);  // resource-rule-ok: on the generator's screen
    Label(c, "D:", 4, 0.45);  // resource-rule-ok: on the generator's screen
    c.lib.XR_SelectFont(c.opix9);
    c.lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const char* const name = "Veltrane";  // resource-rule-ok: drawn on the generator's screen, not shown by the program
    const int32_t top = c.lib.XR_TransformY(-0.45 * c.normalHeight) - c.lib.XR_GetAscent() / 2;
    c.lib.XR_DrawString((c.width - c.lib.XR_GetWidth(name)) / 2, top, name);
}

} // namespace

void DrawSmpte133(ToolLibrary& lib)
{
    Canvas c{lib};
    lib.XR_SetVersions(1);
    const int32_t psize = lib.XR_Get_psize();
    lib.XR_SetLut(psize == 8 ? 0x71384 : 900);
    c.sys16 = lib.XR_SelectFontNamed("SYS16");
    c.opix9 = lib.XR_SelectFontNamed("OPIX9");

    lib.XR_ResetMatrix();
    c.width = ContextInt(RCC_WIDTH);
    c.height = ContextInt(RCC_HEIGHT);
    c.normalWidth = ContextDouble(RCC_NORMALWIDTH);
    c.normalHeight = ContextDouble(RCC_NORMALHEIGHT);
    if (c.width < 1 || c.height < 1)
        return;
    lib.XR_TranslateX((c.width - 1) / 2.0 / c.width * c.normalWidth);
    lib.XR_TranslateY((c.height - 1) / 2.0 / c.height * c.normalHeight);
    c.cell = 0.1 * c.normalHeight;
    c.small = 0.0625 * c.normalHeight;
    c.smallWidth = lib.XR_TransformDX(c.small);
    c.smallHeight = lib.XR_TransformDY(c.small);
    c.gridCount = 2 * static_cast<int32_t>(c.normalWidth / (2 * c.cell));
    lib.XR_SelectFont(c.opix9);

    ChooseColours(c, psize);
    lib.XR_FillActive(c.background);
    GreyPatches(c);
    ColourColumns(c);
    Grid(c);
    Circle(c);
    ContrastBands(c);
    ResolutionPatches(c);
    Border(c);
    Markers(c);
    Labels(c);
}
