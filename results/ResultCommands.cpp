#include "ResultCommands.h"

#include "EngineHost.h"
#include "LoadResult.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultCommandHost.h"
#include "ResultFile.h"
#include "ResultSet.h"
#include "ShadeGroups.h"

#include <QPointer>
#include <sys/stat.h>

namespace quilder {

QString ResultFileFilter() {
    const QChar nul(u'\0');
    return QStringLiteral("QDR Result Files (*.qdr)") + nul + QStringLiteral("*.qdr") + nul +
           QStringLiteral("All Files (*.*)") + nul + QStringLiteral("*.*");
}

QString WithDefaultSuffix(const QString& path, const QString& extension) {
    if (path.isEmpty() || extension.isEmpty()) return path;
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name.contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + extension;
}

QString ReplaceQuestion(const QString& path) {
    return QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path);
}

namespace {

// Also a link whose file is gone: saving writes through it.
bool Exists(const QString& path) {
    struct stat info {};
    return lstat(TextToPath(path).c_str(), &info) == 0;
}

} // namespace

bool ResultCommands::OfferToSaveResult() {
    if (results_.AllList().RowCount() == 0) return true;
    if (!results_.CurrentResultFile().isEmpty() && !results_.ResultChanged()) return true;
    switch (host_.Prompts().AskYesNoCancel(kSaveQuestion)) {
    case PromptAnswer::Yes:
        return SaveResult(false); // a result that was not saved stays
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Cancel:
        break;
    }
    return false;
}

bool ResultCommands::SaveResult(bool askName) {
    // The current result file belongs to the lists as they were before the load began.
    if (results_.IsLoading()) {
        host_.Prompts().Notice(kLoadRunningNotice);
        return false;
    }
    if (results_.AllList().RowCount() == 0) {
        host_.Prompts().Notice(kNoResultNotice);
        return false;
    }
    QString path = results_.CurrentResultFile();
    if (path.isEmpty() || askName) {
        const QPointer<ResultSet> alive(&results_);
        const QString extension = QStringLiteral("qdr");
        const QString chosen =
            host_.Desktop().ShowSaveDialog(host_.WindowId(), QStringLiteral("Save Result As"), {},
                                           ResultFileFilter(), {}, extension);
        if (chosen.isEmpty() || alive.isNull()) return false;
        // The dialog asked about the name as typed; the name written to is asked about here.
        path = WithDefaultSuffix(chosen, extension);
        if (path != chosen && Exists(path) &&
            (host_.Prompts().AskYesNo(ReplaceQuestion(path)) != PromptAnswer::Yes ||
             alive.isNull()))
            return false;
    }
    // Becomes the current result file only once written; a failure is reported there.
    return SaveResultFile(results_, host_.Prompts(), path);
}

bool RefuseWhileBusy(const ResultSet& results, Prompt& prompt) {
    if (results.JobRunning()) {
        prompt.Notice(results.BusyNotice());
        return true;
    }
    if (results.IsLoading()) {
        prompt.Notice(kLoadRunningNotice);
        return true;
    }
    return false;
}

bool ResultCommands::RefuseWhileBusy() const {
    return quilder::RefuseWhileBusy(results_, host_.Prompts());
}

void ResultCommands::NewJob() {
    if (RefuseWhileBusy() || !OfferToSaveResult()) return;
    // The question may have let a job or a load start.
    if (RefuseWhileBusy()) return;
    host_.TickAllFilesBox();
    host_.RefillFolderTree();
    if (results_.VisibleList() != 0) results_.OptionClicked(0);
    // The class lists, the counts and the current result file stay as they are.
    results_.AllList().Clear();
}

void ResultCommands::OpenResultFile() {
    if (RefuseWhileBusy() || !OfferToSaveResult()) return;
    const QPointer<ResultSet> alive(&results_);
    const QStringList paths = host_.Desktop().ShowOpenDialog(
        host_.WindowId(), QStringLiteral("Open Result File"), ResultFileFilter(), {}, false);
    if (paths.isEmpty() || alive.isNull() || RefuseWhileBusy()) return;
    const QString path = paths.first();

    results_.ClearAll();
    host_.OpenedFileLoadBegins();
    const LoadOutcome outcome = LoadResult(results_, host_.Engine(), path);
    if (outcome.status == LoadOutcome::Status::Abandoned) return; // the window went away
    if (outcome.status == LoadOutcome::Status::Busy) {
        host_.Prompts().Notice(kLoadRunningNotice);
        return;
    }
    ShadeGroups(results_, host_.Engine());
    host_.OpenedFileLoadEnded();
    if (outcome.status == LoadOutcome::Status::Loaded) {
        host_.SetStatusText(QStringLiteral("Finished."));
        // Save Result writes back to the file on screen, never into an earlier one.
        results_.SetCurrentResultFile(path);
        results_.SetResultChanged(false);
        return;
    }
    // Part of a file is not that file: a save must ask for a name.
    if (results_.AllList().RowCount() > 0) {
        results_.SetCurrentResultFile({});
        results_.SetResultChanged(true);
    }
    // The status bar says what happened too, also once the notice is closed.
    const bool inPart = outcome.status == LoadOutcome::Status::ReadInPart;
    host_.SetStatusText(inPart ? QStringLiteral("The result file was read only in part.")
                               : QStringLiteral("The result file could not be read."));
    const QString reason =
        outcome.reason.isEmpty() ? QString() : QLatin1Char('\n') + outcome.reason;
    host_.Prompts().Notice((inPart ? QStringLiteral("The result file %1 was read only in part.%2")
                                   : QStringLiteral("The result file %1 could not be read.%2"))
                               .arg(path, reason));
}

void ResultCommands::LoaderTick() {
    // A tick while another load runs is skipped; the next tick catches up.
    LoadResult(results_, host_.Engine(), {});
}

} // namespace quilder
