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

void NoteKept(int& count, QString& first, const CheckedFile& file) {
    if (count++ == 0) first = file.path;
}

void NoteRefusal(RemovalTally& tally, const CheckedFile& file, int error) {
    if (error == EXDEV)
        NoteKept(tally.otherFileSystem, tally.firstOtherFileSystem, file);
    else if (error == EPERM || error == EMLINK || error == EOPNOTSUPP || error == ENOSYS)
        NoteKept(tally.noHardLink, tally.firstNoHardLink, file);
    else if (error == EACCES || error == EROFS)
        NoteKept(tally.notWritable, tally.firstNotWritable, file);
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
                NoteKept(tally.locked, tally.firstLocked, file);
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
                NoteKept(tally.differs, tally.firstDiffers, file);
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
                NoteKept(tally.differs, tally.firstDiffers, file);
            break;
        case FileVerdict::Differs:
            NoteKept(tally.differs, tally.firstDiffers, file);
            break;
        case FileVerdict::SameFile:
            NoteKept(tally.sameFile, tally.firstSameFile, file);
            break;
        case FileVerdict::HardLink:
            NoteKept(tally.hardLink, tally.firstHardLink, file);
            break;
        case FileVerdict::StackedCopy:
            NoteKept(tally.stackedCopy, tally.firstStackedCopy, file);
            break;
        case FileVerdict::NoneStays:
            NoteKept(tally.noneStays, tally.firstNoneStays, file);
            break;
        case FileVerdict::Protected:
            NoteKept(tally.locked, tally.firstLocked, file);
            break;
        case FileVerdict::CannotRemove:
            NoteFailure(tally, file, file.error);
            break;
        }
    }
    return tally;
}

} // namespace quilder
