#pragma once

#include <QString>

namespace quilder {

class TaskHost;

inline const QString kNoFileForOpening = QStringLiteral("No file for opening!");

// Hands every checked row of result list `list` to the desktop, top row first: the file itself,
// or with `folders` the folder that holds it (once per row, however many rows share a folder).
// Changes nothing in the lists. Items the desktop refuses are named in one notice.
void OpenCheckedItems(TaskHost& host, int list, bool folders);

// The Open/Run Files and Open Folders commands, on the visible list.
void OpenFilesCommand(TaskHost& host);
void OpenFoldersCommand(TaskHost& host);

} // namespace quilder
