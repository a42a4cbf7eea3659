#pragma once

#include <QString>

namespace quilder {

class TaskHost;

inline const QString kNoGroupForVerifying = QStringLiteral("No group for verifying!");

// Compares the files of every group of the All list byte for byte and splits each group into
// groups of identical files; a file identical to no other leaves the lists, its twins with it.
// Files are counted, not rows: the rows of one file (any spelling of its path, a hard link, the
// same file seen through another mount) are never compared with each other, and a group needs
// two distinct files to stay. It yields like a job: meanwhile the result set reads as busy, and
// Stop ends it, leaving the groups verified so far split and the others as they were. New groups
// get keys of the usual form, size "_" number, that no list holds yet. Then the lists are shaded
// and counted and one notice tells what changed.
void VerifyGroupsCommand(TaskHost& host);

} // namespace quilder
