// A cancel for the waits of the port library: while it is set, every wait
// ends at once as if its time were up, the one in progress included. It is
// set from any thread (a Cancel button while a call runs on another) and
// cleared by the caller once its cancelled call has returned.
#pragma once

namespace driver {

void SetWaitsCancelled(bool on);
bool WaitsCancelled();
// Polls readable while the waits are cancelled, so a wait on a descriptor
// wakes at once; -1 when none could be made (waits then see the cancel at
// their next check only).
int WaitCancelDescriptor();

}  // namespace driver
