// The font rows: metrics, spacing, font and pattern selection by name.
#include "Demonstrations.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace demonstrations {

namespace {

// Five lines of text, the spacing growing by one pixel a line, the card's
// own spacing put back after.
void SpacingLines(ToolLibrary& lib, int32_t (ToolLibrary::*get)(), int32_t (ToolLibrary::*add)(int32_t),
                  const char* text)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_SelectFontNamed("OPIX9");
    const int32_t saved = (lib.*get)();
    int32_t y = 60;
    for (int32_t extra = 0; extra < 5; ++extra) {
        (lib.*add)(extra);
        const int32_t w = lib.XR_GetWidth(text), h = lib.XR_CharHigh();
        lib.XR_DrawText((ContextInt(RCC_WIDTH) - w) / 2, y, text);
        y += 2 * h;
    }
    (lib.*add)(saved);
}

} // namespace

// Four letters over a blue base line, each in the cell of the widest one.
void CharWideImageRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("BIG30");
    const int32_t w = lib.XR_CharWideMax(), h = lib.XR_CharHigh();
    lib.XR_Set_color1(Colour(RCC_BLUE));
    lib.XR_DrawLine(100, 100 + h, 100 + 4 * w, 100 + h);
    for (int32_t i = 0; i < 4; ++i) {
        const int32_t image = lib.XR_CharWideImage('W' + i);
        lib.XR_Transparent(Colour(RCC_WHITE));
        lib.XR_DrawChar(100 + i * w + (w - image) / 2, 100, 'W' + i);
    }
}

// The font's name between two marks its measured width apart.
void GetWidthRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawLine(99, 80, 99, 160);
    lib.XR_SelectFontNamed("BIG30");
    const int32_t h = lib.XR_CharHigh(), a = lib.XR_GetAscent(), w = lib.XR_GetWidth("BIG30");
    lib.XR_DrawString(100, 120 - a, "BIG30");
    lib.XR_DrawLine(100 + w, 80, 100 + w, 160);
    lib.XR_DrawLine(100, 120 - a + h, 100 + w, 120 - a + h);
}

// A rectangle tiled with one letter in BIG30, a white bar, and one tiled in
// sys16 yellow on blue (ISA).
void CharFillRectRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_SelectFontNamed("BIG30");
    lib.XR_CharFillRect(240, 120, 60, 60, 'X', 0, 0, 0, 0);
    lib.XR_FillRect(240, 4, 60, 190);
    lib.XR_Opaque(Colour(RCC_YELLOW), Colour(RCC_BLUE));
    lib.XR_SelectFontNamed("sys16");
    lib.XR_CharFillRect(240, 64, 60, 200, '#', 12, 16, 2, 0);
}

// The text over a blue box as high as the ascent.
void GetAscentRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("OPIX9");
    const int32_t a = lib.XR_GetAscent(), w = lib.XR_GetWidth(kHello);
    lib.XR_Transparent(Colour(RCC_BLUE));
    lib.XR_FillRect(w, a, 100, 100);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_DrawString(100, 100, kHello);
}

// The text with a red line under its descenders.
void GetDescentRow(ToolLibrary& lib)
{
    const char* const text = "jumping jimminy";  // resource-rule-ok: drawn on the generator's screen
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Transparent(Colour(RCC_WHITE));
    const int32_t a = lib.XR_GetAscent(), w = lib.XR_GetWidth(text), d = lib.XR_GetDescent();
    lib.XR_DrawString(100, 100, text);
    lib.XR_Transparent(Colour(RCC_RED));
    lib.XR_FillRect(w, 1, 100, 100 + a + d);
}

// Two lines the font's leading apart, the gap in green (ISA: PCI has no
// leading).
void GetLeadingRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_SelectFontNamed("OPIX9");
    const int32_t w = lib.XR_GetWidth("OPIX9"), h = lib.XR_CharHigh(), a = lib.XR_GetAscent();
    lib.XR_DrawString(100, 100, "OPIX9");
    const int32_t leading = std::max(lib.XR_GetLeading(), 1), d = lib.XR_GetDescent();
    lib.XR_DrawString(100, 100 + h + leading, "OPIX9");
    lib.XR_Transparent(Colour(RCC_GREEN));
    lib.XR_FillRect(w, leading, 100, 100 + std::min(h, a + d));
}

// Each built-in font by number: a line of its number.
void SelectFontRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    int32_t y = 60;
    for (int32_t font = 0; font < 3; ++font) {
        lib.XR_SelectFont(font);
        const std::string digits(8, static_cast<char>('0' + font));
        const int32_t w = lib.XR_GetWidth(digits.c_str());
        const int32_t h = lib.XR_CharHigh();
        lib.XR_DrawString((ContextInt(RCC_WIDTH) - w) / 2, y, digits.c_str());
        y += h + 8;
    }
}

// The font's name in the middle of the screen.
void SelectFontNamedRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("BIG30");
    lib.XR_Transparent(Colour(RCC_WHITE));
    const int32_t w = lib.XR_GetWidth("BIG30"), h = lib.XR_CharHigh();
    lib.XR_DrawString((ContextInt(RCC_WIDTH) - w) / 2, (ContextInt(RCC_HEIGHT) - h) / 2, "BIG30");
}

// The number of the pattern the name selects, over a rectangle of it.
void SelectPatnNamedRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Opaque(Colour(RCC_WHITE), Colour(RCC_BLUE));
    const int32_t slot = lib.XR_SelectPatnNamed("bars_H2");
    char text[16];
    std::snprintf(text, sizeof text, "%d", slot);
    lib.XR_DrawString(100, 80, text);
    lib.XR_PatnFillRect(200, 100, 100, 100);
}

void AddTextSpaceRow(ToolLibrary& lib)
{
    SpacingLines(lib, &ToolLibrary::XR_GetTextSpace, &ToolLibrary::XR_AddTextSpace,
                 "Note increasing spaces between characters.");  // resource-rule-ok: on the generator's screen
}

void AddWordSpaceRow(ToolLibrary& lib)
{
    SpacingLines(lib, &ToolLibrary::XR_GetWordSpace, &ToolLibrary::XR_AddWordSpace,
                 "Note increasing spaces between words.");  // resource-rule-ok: on the generator's screen
}

void AddMoreSpaceRow(ToolLibrary& lib)
{
    SpacingLines(lib, &ToolLibrary::XR_GetMoreSpace, &ToolLibrary::XR_AddMoreSpace,
                 "Note increasing spaces between words.");  // resource-rule-ok: on the generator's screen
}

// How many fonts the card holds.
void GetFontMaxRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(Colour(RCC_WHITE));
    lib.XR_SelectFontNamed("BIG30");
    char text[16];
    std::snprintf(text, sizeof text, "%d", lib.XR_GetFontMax());
    lib.XR_DrawString(100, 100, text);
}

} // namespace demonstrations
