#pragma once

#include <QString>

namespace quilder {

class ActionHost;

inline const QString kNoFileForDeleting = QStringLiteral("No file for deleting!");
inline const QString kDeleteQuestion =
    QStringLiteral("The deleted files can not be recovered, are you sure?");

// Deletes, after one confirmation, the files whose rows are checked in result list `list`, and
// takes their rows and their twins out of the lists. A checked file is deleted only when it
// holds the same bytes as a file of its group that stays, or when every member of its group is
// checked; the comparisons yield to the window, and meanwhile the result set reads as busy.
// A file that could not be deleted keeps its rows and its check. False when the window closed
// during a yield: nothing was deleted and the result set must not be touched.
bool DeleteCheckedFiles(ActionHost& host, int list);

// The Delete Files command: the visible list, then the shading and counts, unless a find job
// runs.
void DeleteCommand(ActionHost& host);

} // namespace quilder
