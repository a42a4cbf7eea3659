#pragma once

#include <QString>

namespace quilder {

// The program folder P, which holds the work store: the executable's folder when it is
// writable, otherwise (an installed program) the per-user data folder. Creates nothing.
// Call it once QCoreApplication knows the application's name.
QString ProgramFolder(const QString& executableFolder);

} // namespace quilder
