#pragma once

#include <QString>

class QIODevice;

namespace quilder {

class Prompt;
class ResultModel;
class ResultSet;

// One line per row in list order: Path + "/" + Name, a tab, the sort key, CR LF. A file in the
// root folder is written as "//name". False when the device refused a write.
bool WriteResultLines(const ResultModel& list, QIODevice& out);

// Writes the list to a result file through a temporary file that replaces the old one only once
// it is complete, so that a failed write keeps the previous file. The path names the file that
// the loader reads for the same text. On failure `error` says why.
bool WriteResultFile(const ResultModel& list, const QString& path, QString& error);

// The writing steps of saving: writes the All list to path; on success path becomes the current
// result file and the result counts as unchanged. A file that cannot be written is reported to
// the user and changes neither.
bool SaveResultFile(ResultSet& results, Prompt& prompt, const QString& path);

} // namespace quilder
