#pragma once

#include "ProtectedFolders.h"
#include "ResultColumns.h"
#include "ResultModel.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>

namespace quilder {

// The eight result lists and the state of the current result, without any widget: the window
// shows them through ResultFrame, the headless benchmark uses them as they are.
class ResultSet : public QObject {
    Q_OBJECT

public:
    explicit ResultSet(QObject* parent = nullptr);

    // List 0 holds every row; lists 1 (Huge) to 7 (Tiny) the rows of one class.
    ResultModel& List(int index) { return *lists_[static_cast<std::size_t>(index)]; }
    const ResultModel& List(int index) const { return *lists_[static_cast<std::size_t>(index)]; }
    ResultModel& AllList() { return List(0); }
    void ClearAll();

    // The folders protected for this run; their rows are locked in every list.
    const ProtectedFolders& Protected() const { return protected_; }
    // Protects a folder, or stops protecting it, and marks the rows of the eight lists anew.
    void SetFolderProtected(const QString& folder, bool protect);

    // Exactly one list is visible.
    int VisibleList() const { return visible_; }
    // What a click on view option v does: shows list v and rewrites the counts text.
    void OptionClicked(int v);

    // Rows, " files in ", group count, " groups.". A list without rows counts 0 groups
    // whatever its tag still says.
    QString CountsText(int index) const;
    // The text of status panel 2 as this set last wrote it.
    const QString& StatusCountsText() const { return statusCounts_; }
    void SetStatusCountsText(const QString& text);

    bool ResultChanged() const { return resultChanged_; }
    void SetResultChanged(bool changed) { resultChanged_ = changed; }
    const QString& CurrentResultFile() const { return currentResultFile_; }
    void SetCurrentResultFile(const QString& path) { currentResultFile_ = path; }

    // While a find job, the check before a delete or Verify Groups runs, the commands that would
    // rebuild or replace the lists (Find, New Job, Open Result File, Delete) refuse with
    // BusyNotice().
    enum class Work { None, FindJob, DeleteCheck, VerifyGroups };
    bool JobRunning() const { return running_ != Work::None; }
    void SetJobRunning(bool running, Work work = Work::FindJob) {
        running_ = running ? work : Work::None;
    }
    const QString& BusyNotice() const;

    // Loads never overlap: TryBeginLoad fails while one runs.
    bool TryBeginLoad();
    void EndLoad() { loading_ = false; }
    bool IsLoading() const { return loading_; }

Q_SIGNALS:
    void visibleListChanged(int index);
    void statusCountsTextChanged(const QString& text);

private:
    std::array<ResultModel*, kResultListCount> lists_{};
    ProtectedFolders protected_;
    int visible_ = 0;
    QString statusCounts_;
    bool resultChanged_ = false;
    QString currentResultFile_;
    bool loading_ = false;
    Work running_ = Work::None;
};

// Marks a job (or the check before a delete) as running for as long as it is in scope. The set
// may go away during the job's yields when the window closes.
class JobRunningScope {
public:
    explicit JobRunningScope(ResultSet& results, ResultSet::Work work = ResultSet::Work::FindJob)
        : results_(&results) {
        results.SetJobRunning(true, work);
    }
    ~JobRunningScope() {
        if (results_) results_->SetJobRunning(false);
    }
    JobRunningScope(const JobRunningScope&) = delete;
    JobRunningScope& operator=(const JobRunningScope&) = delete;

private:
    QPointer<ResultSet> results_;
};

inline const QString kJobRunningNotice = QStringLiteral(
    "A finding job is running. Stop it first (Stop Current Job, F6), or wait until it has "
    "finished.");
inline const QString kVerifyingNotice = QStringLiteral(
    "The groups are being verified. Please wait until that has finished, or stop it (Stop "
    "Current Job, F6).");
inline const QString kDeleteCheckingNotice = QStringLiteral(
    "Files are being checked for deletion. Please wait until the check has finished, or stop it "
    "(Stop Current Job, F6).");

} // namespace quilder
