#pragma once

#include <QString>

namespace quilder {

// The desktop's description of a file's type, judged by its name alone. For the window's
// thread only: answers are remembered without a lock.
QString TypeDescriptionOf(const QString& fileName);

} // namespace quilder
