#pragma once
// What the Diagnostics window shares with the routines it runs: the drawing
// state of the window whose routine runs (each window keeps its own), and
// that window's Stop and library, for the routines to poll.

#include "morvane_types.h"

class RoutineStop;
class ToolLibrary;

// The running window's context; without a run, the program's spare one.
RemoteCallContext& DiagnosticsContext();

// A context word by name (RCC_WHITE, ...).
uint32_t DiagnosticsWord(RemoteCallWord word);

// Polled by animated routines once per step, on the port thread: true until
// the running window's Stop is pressed or a call of the run has failed.
// Without a running window, true.
bool DiagnosticsKeepRunning();

// The window sets its Stop while an animated routine runs, and clears it.
void SetDiagnosticsStop(const RoutineStop* stop);
// The window sets its context and the routine's library for the length of a
// run (on the port thread, before the routine's first call), and clears them.
void SetDiagnosticsContext(RemoteCallContext* context);
void SetDiagnosticsLibrary(const ToolLibrary* library);
