// The text rows: fonts, character metrics and the text calls.
#include "Demonstrations.h"

#include <algorithm>

namespace demonstrations {

namespace {

// "Hello world." at 50 points of the circle around (272, 244).
void HelloCircle(ToolLibrary& lib, int32_t (ToolLibrary::*text)(int32_t, int32_t, const char*))
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    lib.XR_SelectFontNamed("OPIX9");
    int32_t x = 0, y = 200 << 16;
    for (int i = 0; i < 50; ++i) {
        RotateStep(x, y, 3);
        (lib.*text)((x >> 16) + 272, (y >> 16) + 244, kHello);
    }
}

} // namespace

void CharWideMax(ToolLibrary& lib)
{
    Opening(lib, 4);
    lib.XR_SelectFontNamed("BIG30");
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const int32_t w = lib.XR_CharWideMax(), h = lib.XR_CharHigh();
    const char word[] = "DATA";
    for (int i = 0; i < 4; ++i)
        lib.XR_DrawChar(w * (i + 1), h * (i + 1), word[i]);
}

void CharHigh(ToolLibrary& lib)
{
    Opening(lib, 4);
    lib.XR_SelectFontNamed("SYS16");
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const int32_t h = lib.XR_CharHigh();
    const char* const lines[] = {"1st line ABCDEFGHIJ 0123456789 0123456789",
                                 "2nd line ABCDEFGHIJ 0123456789 0123456789",
                                 "3rd line ABCDEFGHIJ 0123456789 0123456789"};
    for (int i = 0; i < 3; ++i)
        lib.XR_DrawString(8, h * (i + 1), lines[i]);
}

// Rows GetFirstCh and GetLastCh: the font's characters in rows; the range
// the card answers is held to one byte.
void FirstToLastCh(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const int32_t first = std::clamp(lib.XR_GetFirstCh(), 0, 255);
    const int32_t last = std::clamp(lib.XR_GetLastCh(), 0, 255);
    int32_t x = 10, y = 100;
    for (int32_t ch = first; ch <= last; ++ch) {
        lib.XR_DrawChar(x, y, ch);
        x += lib.XR_CharWideMax();
        if (x > 600) {
            x = 10;
            y += 50;
        }
    }
}

void DrawCharRow(ToolLibrary& lib)
{
    Opening(lib, 0x10004);
    lib.XR_SelectFontNamed("OPIX9");
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    int32_t x = 0, y = -170 * 65536;
    for (int i = 0; i < 25; ++i) {
        lib.XR_DrawChar((x >> 16) + 304, (y >> 16) + 244, 'A' + i);
        RotateStep(x, y, 3);
        lib.XR_DrawChar((x >> 16) + 304, (y >> 16) + 244, 'a' + i);
        RotateStep(x, y, 3);
    }
}

void DrawStringRow(ToolLibrary& lib) { HelloCircle(lib, &ToolLibrary::XR_DrawString); }
void DrawTextRow(ToolLibrary& lib) { HelloCircle(lib, &ToolLibrary::XR_DrawText); }
void DrawItalicRow(ToolLibrary& lib) { HelloCircle(lib, &ToolLibrary::XR_DrawItalic); }

void OpaqueRow(ToolLibrary& lib)
{
    Opening(lib, 0x20004);
    lib.XR_SelectFontNamed("BIG30");
    if (!ContextHolds({RCC_YELLOW, RCC_CYAN}))
        return;
    lib.XR_Opaque(DiagnosticsWord(RCC_YELLOW), DiagnosticsWord(RCC_CYAN));
    lib.XR_DrawString(100, 100, "Yellow text with Cyan background");  // resource-rule-ok: on the generator's screen
}

} // namespace demonstrations
