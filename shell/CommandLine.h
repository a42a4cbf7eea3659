#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quilder {

// What the program prints for a command line instead of opening its window: the usage for
// --help (or -h), the version for --version. Nothing for any other command line: the window
// reads no arguments and ignores those it does not know.
std::optional<QString> CommandLineAnswer(const QStringList& arguments);

} // namespace quilder
