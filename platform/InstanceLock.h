#pragma once

#include <QString>

namespace quilder {

// The lock file that keeps two programs off one work store: in the system's temporary folder,
// named after the store's root, so that copies with separate stores run side by side and nothing
// is created in the program folder. The window and quilder-bench take the same one.
QString InstanceLockPath(const QString& storeRoot);

// Where the program holding the lock listens for a second start: beside the lock file, one per
// user, so that a second start never reaches another user's window.
QString InstanceSocketPath(const QString& lockPath);

} // namespace quilder
