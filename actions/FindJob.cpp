#include "FindJob.h"

#include "ComparePhase.h"
#include "FilterPhase.h"
#include "LoadResult.h"
#include "Prompt.h"
#include "ResultSet.h"
#include "Scanner.h"
#include "ShadeGroups.h"
#include "WorkStore.h"

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

// Marks the job as running for as long as it is in scope, so that commands entered from a
// yield (a second Find, New Job, Open Result File, Delete) refuse instead of rebuilding the
// lists or the store under it.
class RunningJob {
public:
    explicit RunningJob(ResultSet& results) : results_(results) { results_.SetJobRunning(true); }
    ~RunningJob() { results_.SetJobRunning(false); }
    RunningJob(const RunningJob&) = delete;
    RunningJob& operator=(const RunningJob&) = delete;

private:
    ResultSet& results_;
};

void EndEarly(FindJobHost& host) {
    host.ClearStopRequest();
}

} // namespace

void RunFindJob(FindJobHost& host) {
    ResultSet& results = host.Results();
    if (results.JobRunning()) {
        host.MessagePrompt().Notice(kJobRunningNotice);
        return;
    }
    if (results.IsLoading()) {
        host.MessagePrompt().Notice(kLoadRunningNotice);
        return;
    }
    if (!host.OfferToSaveResult()) return;
    if (!AnyClassTicked(host)) {
        host.MessagePrompt().Notice(kNoClassMessage);
        return;
    }
    const int nodeCount = host.NodeCount();
    if (!AnyNodeChecked(host, nodeCount)) {
        host.MessagePrompt().Notice(kNoFolderMessage);
        return;
    }

    RunningJob running(results);
    results.ClearAll();
    results.SetStatusCountsText(QStringLiteral("0 file in 0 group."));
    ResetScanStore();
    host.SetAnimationInterval(kAnimationIntervalMs);
    if (RunScanningPhase(host, nodeCount) == PhaseVerdict::Stopped) return EndEarly(host);
    host.SetAnimationInterval(0);
    host.SetAnimationInterval(kAnimationIntervalMs);
    if (RunFilteringPhase(host) == PhaseVerdict::Stopped) return EndEarly(host);
    host.SetAnimationInterval(0);
    ResetCompareStore();
    host.SetAnimationInterval(kAnimationIntervalMs);
    host.SetLoaderInterval(kLoaderIntervalMs);
    RunComparingPhase(host);
    host.SetAnimationInterval(0);
    host.SetLoaderInterval(0);
    LoadResult(results, host, QString());
    ShadeGroups(results);
    host.SetStatusText(QStringLiteral("Finished."));
    results.SetResultChanged(true);
    host.ClearStopRequest();
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
