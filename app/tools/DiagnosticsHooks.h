#pragma once
// What the Diagnostics window shares with the routines it runs: the one
// drawing state every Diagnostics window prepares the direct calls with,
// and the Stop of the window whose animated demonstration is running.

#include "morvane_types.h"

class RoutineStop;

// The program's context (every Diagnostics window, every routine).
RemoteCallContext& DiagnosticsContext();

// A context word by name (RCC_WHITE, ...).
uint32_t DiagnosticsWord(RemoteCallWord word);

// Polled by animated routines once per step, on the port thread: true until
// the running window's Stop is pressed. Without a running window, true.
bool DiagnosticsKeepRunning();

// The window sets its Stop while an animated routine runs, and clears it.
void SetDiagnosticsStop(const RoutineStop* stop);
