#include "ResultCommands.h"

#include "EngineHost.h"
#include "LoadResult.h"
#include "Prompt.h"
#include "ResultCommandHost.h"
#include "ResultFile.h"
#include "ResultSet.h"
#include "ShadeGroups.h"

#include <QPointer>

namespace quilder {

QString ResultFileFilter() {
    const QChar nul(u'\0');
    return QStringLiteral("QDR Result Files (*.qdr)") + nul + QStringLiteral("*.qdr") + nul +
           QStringLiteral("All Files (*.*)") + nul + QStringLiteral("*.*");
}

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
        path = host_.Desktop().ShowSaveDialog(host_.WindowId(), QStringLiteral("Save Result As"),
                                              {}, ResultFileFilter(), {}, QStringLiteral("qdr"));
        if (path.isEmpty() || alive.isNull()) return false;
    }
    // Becomes the current result file only once written; a failure is reported there.
    return SaveResultFile(results_, host_.Prompts(), path);
}

bool ResultCommands::RefuseWhileBusy() {
    if (results_.JobRunning()) {
        host_.Prompts().Notice(results_.BusyNotice());
        return true;
    }
    if (results_.IsLoading()) {
        host_.Prompts().Notice(kLoadRunningNotice);
        return true;
    }
    return false;
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
    const LoadOutcome outcome = LoadResult(results_, host_.Engine(), path);
    if (outcome.status == LoadOutcome::Status::Abandoned) return; // the window went away
    if (outcome.status == LoadOutcome::Status::Busy) {
        host_.Prompts().Notice(kLoadRunningNotice);
        return;
    }
    ShadeGroups(results_);
    host_.Engine().SetStatusText(QStringLiteral("Finished."));
    if (outcome.status == LoadOutcome::Status::Loaded) {
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
    const QString reason =
        outcome.reason.isEmpty() ? QString() : QLatin1Char('\n') + outcome.reason;
    host_.Prompts().Notice(
        QStringLiteral("The result file %1 could not be read.%2").arg(path, reason));
}

void ResultCommands::LoaderTick() {
    // A tick while another load runs is skipped; the next tick catches up.
    LoadResult(results_, host_.Engine(), {});
}

} // namespace quilder
