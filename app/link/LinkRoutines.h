#pragma once
// The tools' library work. A routine (a demonstration, a memory test, a
// flash sector, a memory region, a card stream) runs whole on the port
// thread as one unit, calling the library through the ToolLibrary it is
// handed: no thread hop per call. Meanwhile the GUI thread waits painted in
// PortWorker's event loop, which lets input through only to an open progress
// dialog and to the buttons of the routine's RoutineStop; the routine polls
// the stop between its steps:
//
//     RoutineStop stop({m_stopButton});
//     LinkRoutines::Run(generator, stop, [&](ToolLibrary& lib) {
//         if (!lib.XR_PortPrepareRemoteCall(lib.Port(), &context, 0))
//             return;
//         while (!stop.Requested()) {
//             lib.XR_DrawLine(0, 0, 100, 100);
//             if (lib.Error() != 0)
//                 return;
//         }
//     });
//
// A routine makes library calls only: commands, boxes and windows stay on
// the GUI thread, before or after it (PostToGui shows its progress). The
// direct-call binding is the library's one per process, so one routine runs
// at a time program-wide: a start from the GUI thread or from a routine
// while one runs is refused (false, refusal says why); one from another
// thread waits its turn.

#include "PortType.h"

#include <QString>

#include <functional>

class CGenerator;
class QObject;
class RoutineStop;
class ToolLibrary;

namespace LinkRoutines {

using Routine = std::function<void(ToolLibrary& library)>;

// Runs routine for port (ToolLibrary::Port(); 0: none) and returns once it
// has run; false when it was refused.
bool Run(PortId port, const Routine& routine, QString* refusal = nullptr);
// The same, stop's buttons taking input during the waits; stop is cleared first.
bool Run(PortId port, RoutineStop& stop, const Routine& routine, QString* refusal = nullptr);
// For the generator's port.
bool Run(const CGenerator& generator, const Routine& routine, QString* refusal = nullptr);
bool Run(const CGenerator& generator, RoutineStop& stop, const Routine& routine, QString* refusal = nullptr);

// Whether a routine is running or about to (any thread).
bool Running();

// Routines run so far, program-wide: each is one hop to the port thread and
// back (a benchmark counts them).
unsigned long long Runs();

// From a routine: runs what on the GUI thread, queued behind the events
// before it; nothing once context has gone. context must outlive the routine.
void PostToGui(QObject* context, std::function<void()> what);

} // namespace LinkRoutines
