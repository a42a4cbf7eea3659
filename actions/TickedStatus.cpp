#include "TickedStatus.h"

#include "ResultSet.h"
#include "TaskHost.h"
#include "TickHelpers.h"

#include <QTimer>

namespace quilder {

namespace {

// One per result set, its child: it lives as long as the lists it counts.
class TickedStatus : public QObject {
public:
    explicit TickedStatus(TaskHost& host) : QObject(&host.Results()), host_(host) {
        setObjectName(QStringLiteral("TickedStatus"));
        recount_.setSingleShot(true);
        recount_.setInterval(0);
        connect(&recount_, &QTimer::timeout, this, &TickedStatus::Recount);
        ResultSet& results = host.Results();
        connect(&results, &ResultSet::visibleListChanged, this, &TickedStatus::Changed);
        for (int k = 0; k < kResultListCount; ++k) {
            ResultModel* list = &results.List(k);
            const auto changed = [this, k] {
                if (host_.Results().VisibleList() == k) Changed();
            };
            connect(list, &QAbstractItemModel::dataChanged, this,
                    [changed](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                        if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) changed();
                    });
            connect(list, &QAbstractItemModel::rowsInserted, this, changed);
            connect(list, &QAbstractItemModel::rowsRemoved, this, changed);
            connect(list, &QAbstractItemModel::modelReset, this, changed);
        }
    }

    void Show() {
        following_ = true;
        recount_.stop();
        Write();
    }

private:
    void Changed() {
        if (following_ && !recount_.isActive()) recount_.start();
    }
    void Recount() {
        // Someone else wrote the panel since: theirs stays.
        if (host_.StatusText() != shown_) following_ = false;
        if (following_) Write();
    }
    void Write() {
        shown_ = TickedText(host_.Results().List(host_.Results().VisibleList()));
        host_.SetStatusText(shown_);
    }

    TaskHost& host_;
    QTimer recount_;
    QString shown_;
    bool following_ = false;
};

} // namespace

void ShowTickedStatus(TaskHost& host) {
    // Only this file names a child so.
    auto* status = static_cast<TickedStatus*>(host.Results().findChild<QObject*>(
        QStringLiteral("TickedStatus"), Qt::FindDirectChildrenOnly));
    if (!status) status = new TickedStatus(host);
    status->Show();
}

} // namespace quilder
