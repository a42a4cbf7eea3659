#include "DeleteCheckedFiles.h"

#include "Counted.h"
#include "DeleteCheck.h"
#include "FileSystem.h"
#include "Prompt.h"
#include "RemoveCheckedFiles.h"
#include "RemoveRows.h"
#include "ResultCommands.h"
#include "ResultSet.h"
#include "ShadeGroups.h"
#include "SizeText.h"
#include "TaskHost.h"

#include <QLocale>
#include <QPointer>
#include <QStringList>
#include <cerrno>

namespace quilder {

namespace {

// The words that differ between deleting and moving to the trash.
struct Words {
    QString done;    // what happened to a file that went
    QString command; // what changed files did it during
    QString question;
    QString lastCopies;
    QString stopped;
    QString none;
};

Words WordsFor(Disposal disposal) {
    if (disposal == Disposal::Link)
        return {QStringLiteral("replaced by links"),
                QStringLiteral("the replacement"),
                kLinkQuestion,
                {},
                kLinkStoppedNotice,
                kNoFileForLinking};
    if (disposal == Disposal::Trash)
        return {QStringLiteral("moved to the trash"),
                QStringLiteral("the move"),
                kTrashQuestion,
                QStringLiteral(" Move them all to the trash?"),
                kTrashStoppedNotice,
                kNoFileForTrash};
    return {QStringLiteral("deleted"), QStringLiteral("the Delete"),
            kDeleteQuestion,           QStringLiteral(" Delete them all the same?"),
            kDeleteStoppedNotice,      kNoFileForDeleting};
}

QString LastCopiesQuestion(const LastCopies& last, const Words& words) {
    const QString size = SizeTextOfItsClass(last.bytes);
    const QString lose =
        last.groups == 1
            ? QStringLiteral("Every file of 1 group is checked (%1): it would lose every copy.")
                  .arg(size)
            : QStringLiteral("Every file of %1 groups is checked (%2): they would lose every copy.")
                  .arg(last.groups)
                  .arg(size);
    return lose + words.lastCopies;
}

// Status panel 1 after the command: what went, and how many ticked files stayed. A file replaced
// by a link counts as what went; one that vanished before it could be linked is neither.
QString OutcomeText(const RemovalTally& tally, std::size_t checked, const Words& words,
                    Disposal disposal) {
    std::vector<const CheckedFile*> went = tally.removed;
    qint64 gone = 0;
    if (disposal == Disposal::Link) {
        gone = static_cast<qint64>(went.size());
        went.clear();
        for (const auto& [file, link] : tally.linked)
            went.push_back(file);
    }
    std::uint64_t bytes = 0;
    for (const CheckedFile* file : went)
        bytes += file->entry.state.size;
    const QLocale locale;
    const auto removed = static_cast<qint64>(went.size());
    QString text = locale.toString(removed) +
                   (removed == 1 ? QStringLiteral(" file ") : QStringLiteral(" files ")) +
                   words.done + QStringLiteral(", ") + TotalSizeText(bytes, locale) +
                   QStringLiteral(" freed");
    const auto kept = static_cast<qint64>(checked) - removed - gone;
    if (kept > 0) text += QStringLiteral("; %1 kept").arg(locale.toString(kept));
    return text;
}

// One notice for everything that stayed, or nothing.
// Why ticked files stayed, as counted in the tally, in the order the notice gives them.
struct KeptReason {
    KeptFiles RemovalTally::*files;
    const char* one;
    const char* many;
};
constexpr KeptReason kKeptReasons[] = {
    {&RemovalTally::locked, "1 checked file was not {done}: it is in a protected folder.",
     "%1 checked files were not {done}: they are in a protected folder."},
    {&RemovalTally::differs,
     "1 checked file was not {done}: its content differs from the files of its group that stay, "
     "could not be compared with them, or changed during {command}.",
     "%1 checked files were not {done}: their content differs from the files of their group that "
     "stay, could not be compared with them, or changed during {command}."},
    {&RemovalTally::sameFile,
     "1 checked file was not {done}: the other rows of its group that stay name the same file.",
     "%1 checked files were not {done}: the other rows of their group that stay name the same "
     "file."},
    {&RemovalTally::hardLink,
     "1 checked file was not {done}: the only files of its group that stay are this same file "
     "under another name (a hard link), so it would free no space.",
     "%1 checked files were not {done}: the only files of their group that stay are the same "
     "file under another name (a hard link), so it would free no space."},
    {&RemovalTally::stackedCopy,
     "1 checked file was not {done}: the only files of its group that stay are seen through an "
     "overlay, FUSE or network mount, which may show this same file.",
     "%1 checked files were not {done}: the only files of their group that stay are seen through "
     "an overlay, FUSE or network mount, which may show these same files."},
    {&RemovalTally::noneStays,
     "1 checked file was not {done}: every other file of its group is checked too, under another "
     "row, so no copy would stay.",
     "%1 checked files were not {done}: every other file of their group is checked too, under "
     "another row, so no copy would stay."},
    {&RemovalTally::otherFileSystem,
     "1 checked file was not {done}: every copy of its group that stays is on another file "
     "system, which no link can reach.",
     "%1 checked files were not {done}: every copy of their group that stays is on another file "
     "system, which no link can reach."},
    {&RemovalTally::noHardLink,
     "1 checked file was not {done}: its file system refused a hard link to the copy that stays "
     "(it has none, or the copy has too many).",
     "%1 checked files were not {done}: their file system refused a hard link to the copy that "
     "stays (it has none, or the copy has too many)."},
    {&RemovalTally::notWritable, "1 checked file was not {done}: its folder may not be written to.",
     "%1 checked files were not {done}: their folders may not be written to."},
};

const QString kFirstFile = QStringLiteral("\nThe first: '%1'.");

QString KeptNotice(const RemovalTally& tally, const Words& words) {
    // The command's words go into the sentences before any path does: a file name may hold
    // "{done}" itself.
    const auto said = [&words](QString sentence) {
        return sentence.replace(QLatin1String("{done}"), words.done)
            .replace(QLatin1String("{command}"), words.command);
    };
    QStringList parts;
    for (const KeptReason& reason : kKeptReasons)
        if (const KeptFiles& kept = tally.*reason.files; kept.count > 0)
            parts << said(Counted(kept.count, reason.one, reason.many)) +
                         kFirstFile.arg(kept.first);
    if (tally.failed > 0)
        parts << said(Counted(tally.failed,
                              "1 checked file could not be {done}; it keeps its rows.",
                              "%1 checked files could not be {done}; they keep their rows.")) +
                     QStringLiteral("\nThe first: '%1': %2.")
                         .arg(tally.firstFailed, tally.firstReason);
    if (!tally.leftAt.isEmpty())
        parts << said(QStringLiteral("Another program put a file under the name of a checked file "
                                     "during {command}; it was kept, but its name was taken "
                                     "again, so it is now: '%1'."))
                     .arg(tally.leftAt.join(QStringLiteral("', '")));
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace

bool DeleteCheckedFiles(TaskHost& host, int listIndex, Disposal disposal) {
    const Words words = WordsFor(disposal);
    QPointer<ResultSet> results = &host.Results();
    if (listIndex < 0 || listIndex >= kResultListCount) return true;
    Prompt& prompt = host.Prompts();
    if (results->List(listIndex).RowCount() < 1) {
        prompt.Notice(words.none);
        return true;
    }
    const std::vector<TickedGroup> groups = TickedGroups(*results, listIndex);
    const LastCopies last = CountLastCopies(groups);
    // A link needs a copy that stays: a group ticked whole keeps every file (NoneStays below).
    if (last.groups > 0 && disposal != Disposal::Link) {
        const bool yes =
            prompt.AskYesNoDefaultNo(LastCopiesQuestion(last, words)) == PromptAnswer::Yes;
        if (!results) return false;
        if (!yes) return true;
    }
    const bool yes = prompt.AskYesNo(words.question) == PromptAnswer::Yes;
    if (!results) return false; // the window closed behind the question
    if (!yes) return true;

    std::vector<CheckedFile> files;
    CheckEnd end = CheckEnd::Finished;
    {
        const QString status = host.StatusText();
        // A stop given before the check is kept for the next find job; one given during the
        // check ends the check and is used up.
        const bool stopPending = host.StopRequested();
        host.SetStopRequested(false);
        JobRunningScope busy(*results, ResultSet::Work::DeleteCheck);
        end = CheckTickedFiles(host, groups, files);
        if (end == CheckEnd::Closed) return false;
        host.SetStatusText(status);
        host.SetStopRequested(end == CheckEnd::Finished && stopPending);
    }
    if (end == CheckEnd::Stopped) {
        prompt.Notice(words.stopped);
        return true;
    }

    if (disposal == Disposal::Link)
        for (CheckedFile& file : files)
            if (file.verdict == FileVerdict::Remove && file.copies.empty())
                file.verdict = FileVerdict::NoneStays;
    FileSystem& fs = FileSystemService();
    const RemovalTally tally = RemoveCheckedFiles(
        files, fs, results->Protected(),
        [&fs, disposal](int folder, const RecordedEntry& file,
                        const std::vector<RecordedEntry>& copies) {
            // A file that cannot go to the trash or be linked stays: it is never deleted instead.
            if (disposal == Disposal::Trash)
                return fs.TrashCompared(folder, file.folderPath, file.name, file.state);
            if (disposal == Disposal::Link)
                return fs.LinkCompared(folder, file.folderPath, file.name, file.state, copies);
            return fs.RemoveCompared(folder, file.folderPath, file.name, file.state);
        });
    if (RemoveRowsOfFiles(*results, tally.removed) && !results->CurrentResultFile().isEmpty())
        results->SetResultChanged(true);
    for (const LinkKind kind : {LinkKind::HardLink, LinkKind::SharedExtents}) {
        std::vector<const CheckedFile*> linked;
        for (const auto& [file, link] : tally.linked)
            if (link == kind) linked.push_back(file);
        MarkRowsOfFiles(*results, linked,
                        kind == LinkKind::HardLink ? RowLink::HardLink : RowLink::SharedExtents);
    }
    host.SetStatusText(OutcomeText(tally, files.size(), words, disposal));
    const QString notice = KeptNotice(tally, words);
    if (!notice.isEmpty()) prompt.Notice(notice);
    return true;
}

void DeleteCommand(TaskHost& host, Disposal disposal) {
    QPointer<ResultSet> results = &host.Results();
    // A load's end would mark the result as saved, hiding the deletion from the save question.
    if (RefuseWhileBusy(*results, host.Prompts())) return;
    if (DeleteCheckedFiles(host, results->VisibleList(), disposal) && results)
        ShadeGroups(*results, host);
}

} // namespace quilder
