#include "RemoveCheckedFiles.h"

#include "PathText.h"

#include <cerrno>

namespace quilder {

namespace {

void NoteFailure(RemovalTally& tally, const CheckedFile& file, int error,
                 const std::string& why = {}) {
    if (tally.failed++ > 0) return;
    tally.firstFailed = file.path;
    QStringList reasons;
    if (error != 0) reasons << qt_error_string(error);
    if (!why.empty()) reasons << PathToText(why);
    tally.firstReason = reasons.isEmpty() ? QStringLiteral("it is no longer a regular file")
                                          : reasons.join(QStringLiteral("; "));
}

void NoteRefusal(RemovalTally& tally, const CheckedFile& file, int error) {
    if (error == EXDEV)
        tally.otherFileSystem.Note(file);
    else if (error == EPERM || error == EMLINK || error == EOPNOTSUPP || error == ENOSYS)
        tally.noHardLink.Note(file);
    else if (error == EACCES || error == EROFS)
        tally.notWritable.Note(file);
    else
        NoteFailure(tally, file, error);
}

} // namespace

RemovalTally RemoveCheckedFiles(const std::vector<CheckedFile>& files, FileSystem& fs,
                                const ProtectedFolders& protect,
                                const EntryRemover::Action& action) {
    RemovalTally tally;
    EntryRemover remover(fs, action);
    FolderHandles folders(fs);
    for (const CheckedFile& file : files) {
        switch (file.verdict) {
        case FileVerdict::Remove: {
            // The check yields: a folder may have been protected meanwhile.
            if (InProtectedFolder(protect, fs, folders, file.entry, file.spellings)) {
                tally.locked.Note(file);
                break;
            }
            using Kind = EntryRemover::Outcome::Kind;
            const EntryRemover::Outcome outcome = remover.Remove(file.entry, file.copies);
            if (outcome.kind == Kind::Removed && outcome.link != LinkKind::None)
                tally.linked.emplace_back(&file, outcome.link);
            else if (outcome.kind == Kind::Removed || outcome.kind == Kind::Gone)
                tally.removed.push_back(&file);
            else if (outcome.kind == Kind::Refused)
                NoteRefusal(tally, file, outcome.error);
            else if (outcome.kind == Kind::Changed) {
                tally.differs.Note(file);
                if (!outcome.leftAt.empty()) tally.leftAt << PathToText(outcome.leftAt);
            } else {
                NoteFailure(tally, file, outcome.kind == Kind::NotFile ? 0 : outcome.error,
                            outcome.why);
            }
            break;
        }
        case FileVerdict::Gone:
            // One that has come back since was never compared.
            if (LookUpEntry(folders, file.entry.folderPath, file.entry.name).kind ==
                EntryLook::Kind::Missing)
                tally.removed.push_back(&file);
            else
                tally.differs.Note(file);
            break;
        case FileVerdict::Differs:
            tally.differs.Note(file);
            break;
        case FileVerdict::SameFile:
            tally.sameFile.Note(file);
            break;
        case FileVerdict::HardLink:
            tally.hardLink.Note(file);
            break;
        case FileVerdict::StackedCopy:
            tally.stackedCopy.Note(file);
            break;
        case FileVerdict::NoneStays:
            tally.noneStays.Note(file);
            break;
        case FileVerdict::Protected:
            tally.locked.Note(file);
            break;
        case FileVerdict::CannotRemove:
            NoteFailure(tally, file, file.error);
            break;
        }
    }
    return tally;
}

} // namespace quilder
