#pragma once
// The monitor test pattern of the Diagnostics window's first row, drawn
// through the direct calls alone: grid, circle, grey and colour patches,
// contrast bands, resolution patches, border, markers and labels. Geometry
// is kept in the host's transform: origin at the screen's centre, one unit
// the context's normal height.

class ToolLibrary;

void DrawSmpte133(ToolLibrary& lib);
