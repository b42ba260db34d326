// The fill and pattern rows.
#include "Demonstrations.h"

namespace demonstrations {

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
