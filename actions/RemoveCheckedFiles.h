#pragma once

#include "DeleteCheck.h"
#include "EntryState.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace quilder {

class FileSystem;
class ProtectedFolders;

// Ticked files kept for one reason: how many, and the first, for the notice to name.
struct KeptFiles {
    int count = 0;
    QString first;
    void Note(const CheckedFile& file) {
        if (count++ == 0) first = file.path;
    }
};

// What carrying out the check's verdicts did, for the notice.
struct RemovalTally {
    KeptFiles differs; // or changed since they were compared
    KeptFiles sameFile;
    KeptFiles hardLink;
    KeptFiles stackedCopy;
    KeptFiles noneStays;
    KeptFiles locked; // in a protected folder
    // A link the file system refused: across file systems, none there or no more allowed, or
    // in a folder that may not be written.
    KeptFiles otherFileSystem;
    KeptFiles noHardLink;
    KeptFiles notWritable;
    int failed = 0;
    QString firstFailed;
    QString firstReason;
    // Files another program put under a checked name meanwhile, left under a temporary name
    // because their own was taken again: where they are now.
    QStringList leftAt;
    std::vector<const CheckedFile*> removed; // or gone before they could be
    // Files replaced by a link (they keep their name), with the kind of link.
    std::vector<std::pair<const CheckedFile*, LinkKind>> linked;
};

// The step after the check, without yielding: every file the check let go is looked at once
// more with the copies that stay for it, and handed to `action` (delete, or anything else that
// takes it away) at once if none of them changed. A file in a folder protected since the check
// stays.
RemovalTally RemoveCheckedFiles(const std::vector<CheckedFile>& files, FileSystem& fs,
                                const ProtectedFolders& protect,
                                const EntryRemover::Action& action);

} // namespace quilder
