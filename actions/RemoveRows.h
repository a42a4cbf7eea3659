#pragma once

#include "ResultRow.h"

#include <vector>

namespace quilder {

class ResultSet;
struct CheckedFile;

// Takes out of every list each row that names one of the files, under any spelling: a path the
// check saw for it, or a folder that is now the file's folder with the file's name. Rows of
// other files are not touched. True when a row went.
bool RemoveRowsOfFiles(ResultSet& results, const std::vector<const CheckedFile*>& files);

// Marks every row that names one of the files, under any spelling, with the kind of link the
// file became; its type column shows it.
void MarkRowsOfFiles(ResultSet& results, const std::vector<const CheckedFile*>& files,
                     RowLink link);

} // namespace quilder
