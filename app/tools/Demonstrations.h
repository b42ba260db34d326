#pragma once
// The demonstration routines by family, and what they share: the opening
// (the row's colour table, the cleared viewport), frame waits that pace
// alike on both cards, and the rotating point of the text and line rows.

#include "DemonstrationContext.h"
#include "ToolLibrary.h"

#include <cstdint>

namespace demonstrations {

// A colour of the program's context.
inline uint32_t Colour(RemoteCallWord word)
{
    return DiagnosticsWord(word);
}

// resource-rule-ok: drawn on the generator's screen
inline constexpr const char* kHello = "Hello world.";

// The row's colour table; the active viewport cleared when it clears.
void Opening(ToolLibrary& lib, uint32_t table, bool clears = true);

// n frames: on PCI, which has no XR_WaitFrames, to n frames after the
// current one.
void WaitFrames(ToolLibrary& lib, int32_t n);

// One step of the integer rotation on 16.16 values: x += y >> k, then
// y -= x >> k.
inline void RotateStep(int32_t& x, int32_t& y, int k)
{
    x += y >> k;
    y -= x >> k;
}

// Whether an animated row goes on: Stop not pressed and the last call did
// not fail.
bool KeepAnimating(ToolLibrary& lib);

// Text and fonts.
void CharWideMax(ToolLibrary& lib);
void CharHigh(ToolLibrary& lib);
void FirstToLastCh(ToolLibrary& lib);
void DrawCharRow(ToolLibrary& lib);
void DrawStringRow(ToolLibrary& lib);
void DrawTextRow(ToolLibrary& lib);
void DrawItalicRow(ToolLibrary& lib);
void OpaqueRow(ToolLibrary& lib);

// Lines and shapes.
void DrawLineRow(ToolLibrary& lib);

// Fills and patterns.
void TranspOffRow(ToolLibrary& lib);

// Colour.
void TransparentRow(ToolLibrary& lib);
void SetEdgeColorNamedRow(ToolLibrary& lib);
void SetLevelMaxRow(ToolLibrary& lib);
void SetLutRow(ToolLibrary& lib);

// Animations.
void WaitFrameRow(ToolLibrary& lib);
void SliderAnimationRow(ToolLibrary& lib);

} // namespace demonstrations

namespace demonstrations {

// A viewport of the row's own, current until End(): the saved one current
// again and this one closed.
class OwnVuport
{
public:
    explicit OwnVuport(ToolLibrary& lib, bool select = true);
    // Origin at the screen's centre, clipping to the whole screen.
    void Centre() const;
    void End() const;
    int32_t Own() const { return m_own; }

private:
    ToolLibrary& m_lib;
    int32_t m_saved;
    int32_t m_own;
};

// More text rows.
void CharWideImageRow(ToolLibrary& lib);
void GetWidthRow(ToolLibrary& lib);
void CharFillRectRow(ToolLibrary& lib);
void GetAscentRow(ToolLibrary& lib);
void GetDescentRow(ToolLibrary& lib);
void GetLeadingRow(ToolLibrary& lib);
void SelectFontRow(ToolLibrary& lib);
void SelectFontNamedRow(ToolLibrary& lib);
void SelectPatnNamedRow(ToolLibrary& lib);
void AddTextSpaceRow(ToolLibrary& lib);
void AddWordSpaceRow(ToolLibrary& lib);
void AddMoreSpaceRow(ToolLibrary& lib);
void GetFontMaxRow(ToolLibrary& lib);

// More line and shape rows.
void CurtainFillRectRow(ToolLibrary& lib);
void EncloseFillRectRow(ToolLibrary& lib);
void DrawOvalRow(ToolLibrary& lib);
void DottedOvalRow(ToolLibrary& lib);
void DrawPointRow(ToolLibrary& lib);
void DrawPolyLineRow(ToolLibrary& lib);
void DrawRectRow(ToolLibrary& lib);
void DrawTriangleRow(ToolLibrary& lib);
void DrawCenterMarkRow(ToolLibrary& lib);
void DrawLimitsRow(ToolLibrary& lib);
void DrawCrossRow(ToolLibrary& lib);
void DrawTBoxRow(ToolLibrary& lib);
void DrawFormatRow(ToolLibrary& lib);
void DrawStepRow(ToolLibrary& lib);
void DrawGridRow(ToolLibrary& lib);
void DrawGrillRow(ToolLibrary& lib);
void BoxesRow(ToolLibrary& lib);
void DrawOvalArcRow(ToolLibrary& lib);

// Pens and arcs.
void PenPolyLineRow(ToolLibrary& lib);
void PenPointRow(ToolLibrary& lib);
void PatnPenPieArcRow(ToolLibrary& lib);
void PenOvalArcRow(ToolLibrary& lib);
void PatnPenOvalArcRow(ToolLibrary& lib);
void PenLineRow(ToolLibrary& lib);
void PatnPenLineRow(ToolLibrary& lib);
void PatnPenPolyLineRow(ToolLibrary& lib);
void PatnPenPointRow(ToolLibrary& lib);

// More fill and pattern rows.
void FillOvalRow(ToolLibrary& lib);
void FillRectRow(ToolLibrary& lib);
void FillTriangleRow(ToolLibrary& lib);
void FillPolygonRow(ToolLibrary& lib);
void MoveRectRow(ToolLibrary& lib);
void PatnFillRectRow(ToolLibrary& lib);
void PatnFillTriangleRow(ToolLibrary& lib);
void PatnFillOvalRow(ToolLibrary& lib);
void PatnFillPolygonRow(ToolLibrary& lib);
void PatnFrameOvalRow(ToolLibrary& lib);
void FrameOvalRow(ToolLibrary& lib);
void FrameRectRow(ToolLibrary& lib);
void PatnFrameRectRow(ToolLibrary& lib);
void SelectPatnRow(ToolLibrary& lib);
void PutPixelRow(ToolLibrary& lib);
void PatnFillPieArcRow(ToolLibrary& lib);
void InstallPatnRow(ToolLibrary& lib);
void GetPatnMaxRow(ToolLibrary& lib);
void ZoomRectRow(ToolLibrary& lib);
void MovePixelRow(ToolLibrary& lib);
void GetPixelRow(ToolLibrary& lib);
void SeedPatnFillRow(ToolLibrary& lib);
void SeedFillRow(ToolLibrary& lib);

// More colour rows.
void SelectColorRow(ToolLibrary& lib);
void SetColorNamedRow(ToolLibrary& lib);
void PokeColorRow(ToolLibrary& lib);
void PokeBlackColorsRow(ToolLibrary& lib);
void SetLevelGrayRow(ToolLibrary& lib);
void SetLevelGrayPercentRow(ToolLibrary& lib);
void SetLevelRgbRow(ToolLibrary& lib);
void GroundFillVuportRow(ToolLibrary& lib);
void ColorFillVuportRow(ToolLibrary& lib);
void BlackFillVuportRow(ToolLibrary& lib);

// Viewports.
void FillConvexRow(ToolLibrary& lib);
void PatnFillConvexRow(ToolLibrary& lib);
void ViewPort1Row(ToolLibrary& lib);
void ViewPort2Row(ToolLibrary& lib);
void SetOriginRow(ToolLibrary& lib);
void SizeVuportRow(ToolLibrary& lib);
void MoveVuportRow(ToolLibrary& lib);
void SetClipRectRow(ToolLibrary& lib);
void CopyVuportRow(ToolLibrary& lib);
void SetPenSizeRow(ToolLibrary& lib);
void StyledLineRow(ToolLibrary& lib);

// Transforms and 3-D.
void TransformDXRow(ToolLibrary& lib);
void TransformDYRow(ToolLibrary& lib);
void SquareDXRow(ToolLibrary& lib);
void SquareDYRow(ToolLibrary& lib);
void TransformXRow(ToolLibrary& lib);
void TransformYRow(ToolLibrary& lib);
void VertexToPointRow(ToolLibrary& lib);

// More animations.
void WaitScanRow(ToolLibrary& lib);
void DelayRow(ToolLibrary& lib);
void SetPmaskRow(ToolLibrary& lib);
void InitMatrixRow(ToolLibrary& lib);
void ScaleRow(ToolLibrary& lib);
void RotateRow(ToolLibrary& lib);
void PerspecRow(ToolLibrary& lib);
void PenPieArcRow(ToolLibrary& lib);
void FillPieArcRow(ToolLibrary& lib);
void DrawPieArcRow(ToolLibrary& lib);

} // namespace demonstrations
