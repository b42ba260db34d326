#pragma once
// One thread runs every library call. The library keeps one error code and
// unguarded port tables, so its calls never overlap, and a blocking call
// (a handshake, a reply that takes seconds) must not freeze the windows.
// The GUI thread keeps the synchronous shape of the operations: it waits
// for each call in a local event loop that paints, runs timers and posted
// events, and drops user input and close requests to every window but an
// open progress dialog and the widgets made passing (the Stop or Cancel of
// a window whose routine runs), so no click is replayed after the wait.

#include <functional>

class PortBackend;
class QObject;
class QWidget;

namespace PortWorker {

// The installed backend behind a front that runs each call on the port
// thread; its GetError gives the code read right after the caller's last call.
PortBackend& Front();

// Runs unit on the port thread and returns when it has run. On the port
// thread itself it runs at once; a thread other than the GUI thread blocks.
// Units from events run during a wait queue behind the one in flight.
void Run(const std::function<void()>& unit);

bool OnPortThread();

// Waits ms in the same local event loop (GUI thread), else sleeps.
void Wait(int ms);

// How many waits of the GUI thread are open at the moment (nested ones count).
int WaitDepth();

// Lets user input reach widget and what it holds during the waits, until
// RemovePassingWidget (GUI thread). Added twice, it is removed twice.
void AddPassingWidget(QWidget* widget);
void RemovePassingWidget(QWidget* widget);

// Runs what on the GUI thread once no wait and no user action is under way,
// so that it may talk to a generator; nothing when context has gone by then.
void PostWhenIdle(QObject* context, std::function<void()> what);

} // namespace PortWorker
