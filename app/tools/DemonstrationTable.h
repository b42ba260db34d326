#pragma once
// The Diagnostics window's method list: "Smpte133" first, then the direct-call
// demonstrations in table order. Each routine runs whole on the port thread
// with the direct calls prepared (LinkRoutines, ToolLibrary); it reads the
// colours and sizes from DiagnosticsContext() and animated ones poll
// DiagnosticsKeepRunning() once per step.

#include <span>

class ToolLibrary;

using DemonstrationRoutine = void (*)(ToolLibrary& lib);

struct DemonstrationRow
{
    DemonstrationRoutine routine;
    const char* name;
    bool animated;
};

// Row 0 "Smpte133", then the demonstration table's rows.
std::span<const DemonstrationRow> DiagnosticsMethods();
