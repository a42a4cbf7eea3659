#pragma once

#include <QString>

namespace quilder {

// The program folder P, which holds the work store: the executable's folder when it is writable
// and not a `bin` folder, otherwise (an installed program, also when run by root) the per-user
// data folder, which is made when missing; nothing is made inside it.
// Call it once QCoreApplication knows the application's name.
QString ProgramFolder(const QString& executableFolder);

} // namespace quilder
