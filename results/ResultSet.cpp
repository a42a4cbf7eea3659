#include "ResultSet.h"

namespace quilder {

ResultSet::ResultSet(QObject* parent) : QObject(parent) {
    for (ResultModel*& list : lists_) {
        list = new ResultModel(this);
        list->SetProtectedFolders(&protected_);
    }
}

void ResultSet::SetFolderProtected(const QString& folder, bool protect) {
    if (protect)
        protected_.Protect(folder);
    else
        protected_.Unprotect(folder);
    for (ResultModel* list : lists_)
        list->MarkProtectedRows();
}

void ResultSet::ClearAll() {
    for (ResultModel* list : lists_)
        list->Clear();
}

const QString& ResultSet::BusyNotice() const {
    switch (running_) {
    case Work::DeleteCheck:
        return kDeleteCheckingNotice;
    case Work::VerifyGroups:
        return kVerifyingNotice;
    default:
        return kJobRunningNotice;
    }
}

void ResultSet::OptionClicked(int v) {
    if (v < 0 || v >= kResultListCount) return;
    if (visible_ != v) {
        visible_ = v;
        Q_EMIT visibleListChanged(v);
    }
    SetStatusCountsText(CountsText(v));
}

QString ResultSet::CountsText(int index) const {
    const ResultModel& list = List(index);
    const int rows = list.RowCount();
    return QString::number(rows) + QLatin1String(" files in ") +
           (rows == 0 ? QStringLiteral("0") : list.Tag()) + QLatin1String(" groups.");
}

void ResultSet::SetStatusCountsText(const QString& text) {
    statusCounts_ = text;
    Q_EMIT statusCountsTextChanged(text);
}

bool ResultSet::TryBeginLoad() {
    if (loading_) return false;
    loading_ = true;
    return true;
}

} // namespace quilder
