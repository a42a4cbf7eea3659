#pragma once

#include <QString>

namespace quilder {

// The desktop's description of a file's type, judged by its name alone.
QString TypeDescriptionOf(const QString& fileName);

} // namespace quilder
