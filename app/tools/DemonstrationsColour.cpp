// The colour rows: colour tables, named and edge colours, levels.
#include "Demonstrations.h"

#include <algorithm>
#include <string>

namespace demonstrations {

void TransparentRow(ToolLibrary& lib)
{
    Opening(lib, 0x40004);
    if (ContextHolds({RCC_CYAN50})) {
        lib.XR_Transparent(DiagnosticsWord(RCC_CYAN50));
        lib.XR_FillRect(200, 200, 300, 300);
    }
    lib.XR_Transparent(DiagnosticsWord(RCC_BLACK));
    lib.XR_SelectFontNamed("BIG30");
    lib.XR_DrawText(350, 350, "Black");  // resource-rule-ok: drawn on the generator's screen
}

// Eight colour bars on the first line, each coloured one ending in the
// blend to the next, copied down the screen.
void SetEdgeColorNamedRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    // resource-rule-ok: colour names the generator knows
    const char* const bars[8] = {"white", "yellow", "cyan", "green", "magenta", "red", " blue", "black"};
    const char* const edges[8] = {"white", "yellow", "cyan", "green", "magenta", "red", "blue", "black"};
    uint32_t colours[8] = {};
    for (int i = 0; i < 8; ++i) {
        colours[i] = lib.XR_SetColorNamed(bars[i]);
        if (i > 0)
            lib.XR_SetEdgeColorNamed(edges[i - 1], edges[i]);
    }
    const int32_t width = ContextInt(RCC_WIDTH), height = ContextInt(RCC_HEIGHT);
    const int32_t c = width / 8;
    const int32_t n = lib.XR_GetEdgeColorMany();
    if (n < 0 || c < n + 1)
        return;
    for (int32_t bar = 0; bar < 7; ++bar) {
        lib.XR_Transparent(colours[bar]);
        lib.XR_FillRect(c - n, 1, bar * c, 0);
        for (int32_t j = 0; j < n; ++j) {
            lib.XR_Transparent(static_cast<uint32_t>(lib.XR_GetEdgeColor(static_cast<uint32_t>(bar), j)));
            lib.XR_DrawPoint(bar * c + c - n + j, 0);
        }
    }
    lib.XR_Opaque(DiagnosticsWord(RCC_BLACK), DiagnosticsWord(RCC_BLACK));
    lib.XR_FillRect(c, 1, 7 * c, 0);
    lib.XR_TranspOFF();
    lib.XR_CurtainFillRect(width, height, 0, 0, 0);
    lib.XR_SelectFontNamed("BIG30");
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    lib.XR_DrawString(210, 240, ("no. of samples is " + std::to_string(n)).c_str());  // resource-rule-ok: on the generator's screen
}

// Sixteen bars, bar i in colour i at green level i under a maximum of 15;
// a card answering more than a byte's levels is held to 255.
void SetLevelMaxRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SetLevelMax(15);
    const int32_t width = ContextInt(RCC_WIDTH), height = ContextInt(RCC_HEIGHT);
    const int32_t w = width / 16;
    int32_t x = (width % 16) / 2;
    const uint32_t max = std::min<uint32_t>(lib.XR_GetLevelMax(), 255);
    for (uint32_t i = 0; i <= max; ++i) {
        lib.XR_Transparent(lib.XR_RepPixel(static_cast<int32_t>(i)));
        lib.XR_SelectColor(i);
        lib.XR_SetLevelRGB(0, i, 0);
        lib.XR_FillRect(w, height, x, 0);
        x += w;
    }
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Transparent(lib.XR_RepPixel(15));
    lib.XR_DrawString(320, 240, std::to_string(max).c_str());
}

// Every pixel value across the first line, copied down; then the tables
// one after another until Stop, and "Done!" in red on the usual table.
void SetLutRow(ToolLibrary& lib)
{
    Opening(lib, 0x30804, false);
    const int32_t width = ContextInt(RCC_WIDTH), height = ContextInt(RCC_HEIGHT);
    for (int32_t i = 0; i < width; ++i) {
        lib.XR_Set_color1(lib.XR_RepPixel(i));
        lib.XR_DrawPoint(i, 0);
    }
    lib.XR_CurtainFillRect(width, height, 0, 0, 0);
    bool running = KeepAnimating(lib);
    while (running) {
        for (int i = 0; i <= 25 && running; ++i) {
            if (i == 14)
                continue;
            lib.XR_SetLut(1u << i);
            running = KeepAnimating(lib);
            if (running)
                WaitFrames(lib, 100);
        }
    }
    lib.XR_SetLut(0x10004);
    lib.XR_WipeActive();
    lib.XR_Set_color1(DiagnosticsWord(RCC_RED));
    lib.XR_DrawString(200, 200, "Done!");  // resource-rule-ok: drawn on the generator's screen
}

} // namespace demonstrations

namespace demonstrations {

namespace {

// Eight bars of colours 1 to 8, each set by `level` (index, bar) first.
template <class Level>
void LevelBars(ToolLibrary& lib, uint32_t table, Level level)
{
    Opening(lib, table);
    // Transparent drawing from here, each bar in its own colour.
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    for (int32_t i = 0; i < 8; ++i) {
        const uint32_t colour = lib.XR_RepPixel(i + 1);
        lib.XR_Transparent(colour);
        level(colour, i);
        lib.XR_FillRect(40, 200, 100 + 50 * i, 100);
    }
}

} // namespace

void SelectColorRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    for (int32_t i = 0; i < 8; ++i) {
        const uint32_t colour = lib.XR_RepPixel(i + 1);
        lib.XR_Transparent(colour);
        lib.XR_SelectColor(colour);
        lib.XR_SetLevelRGB(static_cast<uint32_t>(32 * i), 0, static_cast<uint32_t>(255 - 32 * i));
        lib.XR_FillRect(40, 200, 100 + 50 * i, 100);
    }
}

void SetColorNamedRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(lib.XR_SetColorNamed("red"));
    lib.XR_DrawRect(200, 160, 100, 100);
}

void PokeColorRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const uint32_t colour = lib.XR_RepPixel(9);
    lib.XR_Transparent(colour);
    lib.XR_PokeColor(colour);
    lib.XR_PokeLevelRGB(255, 128, 0);
    lib.XR_FillRect(200, 160, 100, 100);
}

// A poked colour, then every colour's levels black.
void PokeBlackColorsRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const uint32_t colour = lib.XR_RepPixel(9);
    lib.XR_Transparent(colour);
    lib.XR_PokeColor(colour);
    lib.XR_PokeLevelRGB(0, 255, 255);
    lib.XR_FillRect(200, 160, 100, 100);
    lib.XR_PokeBlackColors();
}

void SetLevelGrayRow(ToolLibrary& lib)
{
    LevelBars(lib, 900, [&](uint32_t colour, int32_t i) {
        lib.XR_SelectColor(colour);
        lib.XR_SetLevelGray(static_cast<uint32_t>(32 * i + 31));
    });
}

void SetLevelGrayPercentRow(ToolLibrary& lib)
{
    LevelBars(lib, 900, [&](uint32_t colour, int32_t i) {
        lib.XR_SelectColor(colour);
        lib.XR_SetLevelGrayPercent(12 * i + 16);
    });
}

void SetLevelRgbRow(ToolLibrary& lib)
{
    LevelBars(lib, 0x10004, [&](uint32_t colour, int32_t i) {
        lib.XR_SelectColor(colour);
        lib.XR_SetLevelRGB(i & 1 ? 255 : 0, i & 2 ? 255 : 0, i & 4 ? 255 : 0);
    });
}

// The viewport in blue, then in colour 0 (black).
void GroundFillVuportRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_ColorFillVuport(DiagnosticsWord(RCC_BLUE));
    lib.XR_GroundFillVuport();
}

void ColorFillVuportRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_ColorFillVuport(DiagnosticsWord(RCC_BLUE));
}

void BlackFillVuportRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
}

} // namespace demonstrations
