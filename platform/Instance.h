#pragma once
// Whether another copy of the program is running: the copies that share one settings store see
// each other. A running copy holds a shared lock on a file beside the store for as long as its
// process lives; the system drops the lock when the process ends, however it ends (a crash or a
// kill included), so a copy that is gone never counts. Programs the copy launches do not inherit it.
#include <QByteArray>

namespace vb {

// True when another copy holds the lock now. Marks this copy as running (from then on other copies
// see it); calling it again tests afresh. When the lock file cannot be made or locked (a read-only
// folder, say) nothing can be told and the answer is false, so the program still starts.
bool PrevInstance();

// The lock file of the copies that share the settings store in use.
QByteArray InstanceLockPath();

} // namespace vb
