#pragma once

#include <QString>
#include <string>

namespace quilder {

struct ResultRow;

// The file a row stands for: its Path text, "/", its Name text. A file in the root folder reads
// "//name", which the file system accepts. Rows are matched by this text, exactly.
QString RowPathText(const ResultRow& row);
// The same as the path's bytes, for the file system.
std::string RowFilePath(const ResultRow& row);

} // namespace quilder
