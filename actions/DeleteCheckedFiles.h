#pragma once

#include <QString>

namespace quilder {

class ActionHost;

inline const QString kNoFileForDeleting = QStringLiteral("No file for deleting!");
inline const QString kDeleteQuestion =
    QStringLiteral("The deleted files can not be recovered, are you sure?");
inline const QString kDeleteStoppedNotice =
    QStringLiteral("The check was stopped: no file was deleted.");

// Deletes, after confirmation, the files whose rows are checked in result list `list`, and
// takes every row that names them out of the lists. A checked file is deleted only when a file
// of its group that stays holds the same bytes, or when every row of its group is checked (which
// is asked about first); each file is looked at again right before it goes, and one that changed
// since it was compared stays. The comparisons yield to the window, the result set reads as
// busy meanwhile, and Stop ends them with nothing deleted. A file that could not be deleted
// keeps its rows and its check. False when the window closed during a yield: nothing was deleted
// and the result set must not be touched.
bool DeleteCheckedFiles(ActionHost& host, int list);

// The Delete Files command: the visible list, then the shading and counts, unless a find job,
// a check or a load runs.
void DeleteCommand(ActionHost& host);

} // namespace quilder
