#pragma once

#include <QString>

namespace quilder {

// The desktop's description of a file's type, judged by its name alone. For the window's
// thread only: answers are remembered without a lock.
QString TypeDescriptionOf(const QString& fileName);

// The same for the file `fileName` in `folder` (path texts); where its name says nothing of its
// type (a program, a file without an extension), judged by its first bytes, read through the
// file-system service once per path. Meant for the rows on screen: it may read the file.
QString TypeDescriptionOf(const QString& folder, const QString& fileName);

} // namespace quilder
