#pragma once
// Whether another copy of the program is running: the copies that share one settings store see
// each other. A running copy holds a shared lock on a file beside the store (or, where none can be
// made there, in the user's private folder: $XDG_RUNTIME_DIR, else /tmp/quorvane-<uid>) for as long
// as its process lives; the system drops the lock when the process ends, however it ends (a crash
// or a kill included), so a copy that is gone never counts. Programs the copy launches do not
// inherit it.
#include <QByteArray>

namespace vb {

// True when another copy holds the lock now. Marks this copy as running (from then on other copies
// see it); calling it again tests afresh. Waits at most a second and a half for locks that others
// hold. When no lock file can be made, or it cannot be locked within that time (another program
// keeps it locked), nothing can be told and the answer is false, so the program still starts.
bool PrevInstance();

// The lock file beside the settings store in use.
QByteArray InstanceLockPath();

} // namespace vb
