// The transform rows: the host's drawing-unit transforms and the card's
// 3-D arithmetic.
#include "Demonstrations.h"

namespace demonstrations {

namespace {

// Eleven points, 0.09 units apart through `transform`, along a line.
void TransformPoints(ToolLibrary& lib, bool reset, int32_t (ToolLibrary::*transform)(double), bool across)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    if (reset)
        lib.XR_ResetMatrix();
    for (int i = 0; i <= 10; ++i) {
        const int32_t at = (lib.*transform)(0.09 * i);
        if (across)
            lib.XR_DrawPoint(at, 240);
        else
            lib.XR_DrawPoint(320, at);
    }
}

// A circle made round by the pixels' aspect: one side given, the other
// from `square`.
void RoundOval(ToolLibrary& lib, int32_t (ToolLibrary::*square)(int32_t), bool across)
{
    Opening(lib, 0x10004);
    lib.XR_Transparent(DiagnosticsWord(RCC_WHITE));
    const int32_t other = (lib.*square)(160);
    if (across)
        lib.XR_DrawOval(other, 160, 100, 100);
    else
        lib.XR_DrawOval(160, other, 100, 100);
}

} // namespace

void TransformDXRow(ToolLibrary& lib) { TransformPoints(lib, true, &ToolLibrary::XR_TransformDX, true); }
void TransformDYRow(ToolLibrary& lib) { TransformPoints(lib, true, &ToolLibrary::XR_TransformDY, false); }
void TransformXRow(ToolLibrary& lib) { TransformPoints(lib, true, &ToolLibrary::XR_TransformX, true); }
void TransformYRow(ToolLibrary& lib) { TransformPoints(lib, true, &ToolLibrary::XR_TransformY, false); }
void SquareDXRow(ToolLibrary& lib) { RoundOval(lib, &ToolLibrary::XR_SquareDX, true); }
void SquareDYRow(ToolLibrary& lib) { RoundOval(lib, &ToolLibrary::XR_SquareDY, false); }

} // namespace demonstrations
