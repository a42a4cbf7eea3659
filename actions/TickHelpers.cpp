#include "TickHelpers.h"

#include "Prompt.h"
#include "ResultSet.h"
#include "SizeText.h"
#include "TaskHost.h"
#include "TickedStatus.h"

#include <QLocale>
#include <vector>

namespace quilder {

namespace {

// Calls `group(start, end)` for each run of rows with equal keys, top to bottom.
template <typename Group> void ForEachGroup(const ResultModel& list, Group group) {
    for (int start = 0; start < list.RowCount();) {
        const QString& key = list.Row(start).SortKey();
        int end = start + 1;
        while (end < list.RowCount() && list.Row(end).SortKey() == key)
            ++end;
        group(start, end);
        start = end;
    }
}

int Keeper(const ResultModel& list, int start, int end, KeepRule rule) {
    int keep = start;
    for (int i = start + 1; i < end && rule != KeepRule::First; ++i) {
        const std::int64_t t = list.Row(i).ModifiedSeconds();
        const std::int64_t best = list.Row(keep).ModifiedSeconds();
        if (rule == KeepRule::Oldest ? t < best : t > best) keep = i;
    }
    return keep;
}

std::vector<char> CurrentChecks(const ResultModel& list) {
    std::vector<char> checks(static_cast<std::size_t>(list.RowCount()));
    for (int i = 0; i < list.RowCount(); ++i)
        checks[static_cast<std::size_t>(i)] = list.Row(i).checked ? 1 : 0;
    return checks;
}

void Apply(TaskHost& host, ResultModel& list, const std::vector<char>& checks) {
    list.SetAllChecked(checks);
    ShowTickedStatus(host);
}

} // namespace

void TickAllButOne(TaskHost& host, KeepRule rule) {
    ResultModel& list = host.Results().List(host.Results().VisibleList());
    std::vector<char> checks(static_cast<std::size_t>(list.RowCount()), 1);
    ForEachGroup(list, [&](int start, int end) {
        // A file in a protected folder is the copy that stays, whatever its date or place.
        bool locked = false;
        for (int i = start; i < end; ++i) {
            if (!list.Row(i).locked) continue;
            checks[static_cast<std::size_t>(i)] = 0;
            locked = true;
        }
        if (!locked) checks[static_cast<std::size_t>(Keeper(list, start, end, rule))] = 0;
    });
    Apply(host, list, checks);
}

void TickAllInFolder(TaskHost& host, int row) {
    ResultModel& list = host.Results().List(host.Results().VisibleList());
    if (row < 0 || row >= list.RowCount()) {
        host.Prompts().Notice(kNoRowForFolder);
        return;
    }
    const QString folder = list.Row(row).text[kPathColumn];
    std::vector<char> checks = CurrentChecks(list);
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Row(i).text[kPathColumn] == folder && !list.Row(i).locked)
            checks[static_cast<std::size_t>(i)] = 1;
    int whole = 0;
    ForEachGroup(list, [&](int start, int end) {
        int ticked = 0;
        for (int i = start; i < end; ++i)
            ticked += checks[static_cast<std::size_t>(i)];
        whole += ticked == end - start;
    });
    Apply(host, list, checks);
    if (whole > 0) host.Prompts().Notice(WholeGroupsTickedNotice(whole));
}

void UntickAll(TaskHost& host) {
    ResultModel& list = host.Results().List(host.Results().VisibleList());
    Apply(host, list, std::vector<char>(static_cast<std::size_t>(list.RowCount()), 0));
}

QString TickedText(const ResultModel& list) {
    qint64 files = 0;
    std::uint64_t bytes = 0;
    for (int i = 0; i < list.RowCount(); ++i) {
        const ResultRow& row = list.Row(i);
        if (!row.checked) continue;
        ++files;
        bytes += row.Size();
    }
    const QLocale locale;
    return locale.toString(files) +
           (files == 1 ? QLatin1String(" file ticked, ") : QLatin1String(" files ticked, ")) +
           TotalSizeText(bytes, locale);
}

QString WholeGroupsTickedNotice(int groups) {
    const QString count = QLocale().toString(groups);
    if (groups == 1)
        return QStringLiteral("1 group now has every file ticked: deleting them would leave no "
                              "copy of it.");
    return count + QStringLiteral(" groups now have every file ticked: deleting them would leave "
                                  "no copy of them.");
}

} // namespace quilder
