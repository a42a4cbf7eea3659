#pragma once

#include <QString>

namespace quilder {

class TaskHost;

inline const QString kNoFileForDeleting = QStringLiteral("No file for deleting!");
inline const QString kDeleteQuestion =
    QStringLiteral("The deleted files can not be recovered, are you sure?");
inline const QString kDeleteStoppedNotice =
    QStringLiteral("The check was stopped: no file was deleted.");
inline const QString kNoFileForTrash = QStringLiteral("No file for moving to the trash!");
inline const QString kTrashQuestion = QStringLiteral(
    "The ticked files will be moved to the trash, from where they can be restored. Are you sure?");
inline const QString kTrashStoppedNotice =
    QStringLiteral("The check was stopped: no file was moved to the trash.");

inline const QString kNoFileForLinking = QStringLiteral("No file for replacing with links!");
inline const QString kLinkQuestion =
    QStringLiteral("The ticked files will be replaced by links to a copy that stays: every path "
                   "keeps working, the space is freed. Are you sure?");
inline const QString kLinkStoppedNotice =
    QStringLiteral("The check was stopped: no file was replaced by a link.");

// What becomes of the files the check lets go: deleted, moved to the desktop's trash (Move
// Files to Trash), or replaced by a link to a copy that stays (Replace Files with Links). A file
// that cannot be moved to the trash keeps its rows and its check; a file replaced by a link
// keeps its rows, whose type then tells the link.
enum class Disposal { Delete, Trash, Link };

// Deletes, after confirmation, the files whose rows are checked in result list `list`, and
// takes every row that names them out of the lists. A checked file is deleted only when a file
// of its group that stays holds the same bytes, or when every row of its group is checked (which
// is asked about first); each file is looked at again right before it goes, and one that changed
// since it was compared stays. The comparisons yield to the window, the result set reads as
// busy meanwhile, and Stop ends them with nothing deleted. A file that could not be deleted
// keeps its rows and its check. False when the window closed during a yield: nothing was deleted
// and the result set must not be touched.
bool DeleteCheckedFiles(TaskHost& host, int list, Disposal disposal = Disposal::Delete);

// The Delete Files command (and Move Files to Trash): the visible list, then the shading and
// counts, unless a find job, a check or a load runs.
void DeleteCommand(TaskHost& host, Disposal disposal = Disposal::Delete);

} // namespace quilder
