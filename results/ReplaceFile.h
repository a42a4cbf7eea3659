#pragma once

#include <QString>
#include <functional>
#include <string>

class QIODevice;

namespace quilder {

// Writes the file at path (its bytes, as the file system names it) whole or not at all: `write`
// fills a new file in the same folder, which takes the old one's place by a rename only once all
// of it is on disk. A link at path is followed, so that the file it names is the one replaced or,
// when that file is gone, created; an old file's permissions carry over. On failure nothing at
// path has changed and `error` says why, in the system's words.
bool ReplaceFile(const std::string& path, const std::function<bool(QIODevice&)>& write,
                 QString& error);

} // namespace quilder
