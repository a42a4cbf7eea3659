#include "FindJob.h"

#include "ComparePhase.h"
#include "Counted.h"
#include "FilterPhase.h"
#include "LoadResult.h"
#include "PathText.h"
#include "PhaseOutcome.h"
#include "Prompt.h"
#include "ResultCommands.h"
#include "ResultSet.h"
#include "Scanner.h"
#include "ShadeGroups.h"
#include "StoreWriter.h"
#include "WorkStore.h"

#include <QStringList>

namespace quilder {

namespace {

bool AnyClassTicked(const EngineHost& host) {
    for (int box = 1; box <= kClassCount; ++box)
        if (host.ClassBoxTicked(box)) return true;
    return false;
}

bool AnyNodeChecked(const EngineHost& host, int nodeCount) {
    for (int position = 1; position <= nodeCount; ++position)
        if (host.NodeChecked(position)) return true;
    return false;
}

// The first work-store write of the job that failed: the job goes on, but says so at its end
// instead of passing an incomplete result off as finished.
class FirstFailure {
public:
    void Note(const std::optional<StoreFailure>& failure) {
        if (failure && !first_) first_ = failure;
    }
    PhaseVerdict Note(const PhaseOutcome& outcome) {
        Note(outcome.failure);
        return outcome.verdict;
    }
    // True when there was one: the user has been told.
    bool Report(FindJobHost& host) const {
        if (!first_) return false;
        host.Prompts().Notice(kStoreFailureNotice.arg(PathToText(first_->path), first_->reason));
        return true;
    }

private:
    std::optional<StoreFailure> first_;
};

// The files and folders the scan left out by their names, told once at the end of the job.
void ReportLeftOut(FindJobHost& host, const LeftOutNames& left) {
    const long long all = left.files + left.folders;
    if (all == 0) return;
    QStringList counts;
    if (left.files > 0) counts << Counted(left.files, "1 file", "%1 files");
    if (left.folders > 0) counts << Counted(left.folders, "1 folder", "%1 folders");
    QString text = counts.join(QLatin1String(" and ")) +
                   (all == 1 ? QLatin1String(" was left out because its name contains")
                             : QLatin1String(" were left out because their names contain")) +
                   QLatin1String(" a line break or tab, which the work store cannot hold.");
    if (left.folders > 0)
        text += QLatin1String(" Everything inside a folder left out was left out with it.");
    host.Prompts().Notice(text);
}

// The folders the scan could not read, told once at the end of the job with the first of them.
void ReportUnreadable(FindJobHost& host, const UnreadableFolders& unreadable) {
    if (unreadable.count == 0) return;
    QString text =
        Counted(unreadable.count, "1 folder could not be read, so nothing in it was searched.",
                "%1 folders could not be read, so nothing in them was searched.") +
        QStringLiteral("\nThe first: '%1'").arg(PathToText(unreadable.first));
    if (unreadable.firstError != 0)
        text += QStringLiteral(": ") + qt_error_string(unreadable.firstError);
    host.Prompts().Notice(text + QLatin1Char('.'));
}

void EndEarly(FindJobHost& host, const FirstFailure& failure) {
    host.SetStopRequested(false);
    failure.Report(host);
}

} // namespace

void RunFindJob(FindJobHost& host) {
    ResultSet& results = host.Results();
    if (RefuseWhileBusy(results, host.Prompts()) || !host.OfferToSaveResult()) return;
    if (!AnyClassTicked(host)) {
        host.Prompts().Notice(kNoClassMessage);
        return;
    }
    const int nodeCount = host.NodeCount();
    if (!AnyNodeChecked(host, nodeCount)) {
        host.Prompts().Notice(kNoFolderMessage);
        return;
    }

    // Commands entered from a yield (a second Find, New Job, Open Result File, Delete) refuse
    // instead of rebuilding the lists or the store under the job.
    JobRunningScope running(results);
    FirstFailure failure;
    results.ClearAll();
    results.SetStatusCountsText(QStringLiteral("0 file in 0 group."));
    failure.Note(ResetScanStore());
    host.SetAnimationInterval(kAnimationIntervalMs);
    const ScanOutcome scanned = RunScanningPhase(host, nodeCount);
    if (failure.Note(scanned) == PhaseVerdict::Stopped) return EndEarly(host, failure);
    host.SetAnimationInterval(0);
    host.SetAnimationInterval(kAnimationIntervalMs);
    if (failure.Note(RunFilteringPhase(host)) == PhaseVerdict::Stopped)
        return EndEarly(host, failure);
    host.SetAnimationInterval(0);
    failure.Note(ResetCompareStore());
    host.Yield(); // a reset may take a while on a busy disk
    host.SetAnimationInterval(kAnimationIntervalMs);
    host.SetLoaderInterval(kLoaderIntervalMs);
    failure.Note(RunComparingPhase(host));
    host.SetAnimationInterval(0);
    host.SetLoaderInterval(0);
    if (host.Closing()) return EndEarly(host, FirstFailure()); // nobody is left to see a result
    LoadResult(results, host, QString());
    if (host.Closing()) return EndEarly(host, FirstFailure());
    // The groups the load took never get a file; those of a class not ticked now are written
    // behind the job, for the store to keep. A failure met so far is told.
    WriteUntakenGroups();
    failure.Note(StoreWriterService().TakeFailure());
    ShadeGroups(results, host);
    host.SetStatusText(failure.Report(host) ? kIncompleteStatus : QStringLiteral("Finished."));
    ReportLeftOut(host, scanned.leftOut);
    ReportUnreadable(host, scanned.unreadable);
    results.SetResultChanged(true);
    host.SetStopRequested(false);
    results.SetCurrentResultFile(QString());
}

QString AnimateStatus(const QString& text) {
    const bool phase =
        text.startsWith(QLatin1String("Scanning")) || text.startsWith(QLatin1String("Filtering")) ||
        text.startsWith(QLatin1String("Comparing")) || text.startsWith(QLatin1String("Loading"));
    if (!phase) return text;
    if (text.endsWith(QLatin1String("..."))) return text.chopped(3);
    return text + QLatin1Char('.');
}

} // namespace quilder
