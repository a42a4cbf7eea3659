#pragma once

#include "DeleteCheck.h"
#include "EntryState.h"

#include <QString>
#include <vector>

namespace quilder {

class FileSystem;

// What carrying out the check's verdicts did, for the notice.
struct RemovalTally {
    int differs = 0; // or changed since they were compared
    int sameFile = 0;
    int noneStays = 0;
    int failed = 0;
    QString firstFailed;
    QString firstReason;
    std::vector<const CheckedFile*> removed; // or gone before they could be
};

// The step after the check, without yielding: every file the check let go is looked at once
// more with the copies that stay for it, and handed to `action` (delete, or anything else that
// takes it away) at once if none of them changed.
RemovalTally RemoveCheckedFiles(const std::vector<CheckedFile>& files, FileSystem& fs,
                                const EntryRemover::Action& action);

} // namespace quilder
