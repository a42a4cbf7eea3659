#include "VerifyGroups.h"

#include "ContentSplit.h"
#include "EntryState.h"
#include "FileSystem.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultCommands.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "ShadeGroups.h"
#include "TaskHost.h"

#include <QHash>
#include <QLocale>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

namespace quilder {

namespace {

// One group of the All list as it was when the command started.
struct Group {
    QString key;
    std::vector<QString> paths;
};

std::vector<Group> GroupsOf(const ResultModel& list) {
    std::vector<Group> groups;
    for (int i = 0; i < list.RowCount(); ++i) {
        const ResultRow& row = list.Row(i);
        if (groups.empty() || groups.back().key != row.SortKey())
            groups.push_back({row.SortKey(), {}});
        groups.back().paths.push_back(RowPathText(row));
    }
    return groups;
}

// The part of a key before its group number: the size.
QString SizePart(const QString& key) {
    const qsizetype underscore = key.indexOf(QLatin1Char('_'));
    return underscore < 0 ? key : key.left(underscore);
}

// Keys for new groups: the size, "_" and the smallest positive number whose key no list holds yet.
// Counting up from 1 never passes the number of keys in use, whatever numbers a result file gave
// the lists, so it cannot overflow; and the whole text is checked, so no key is made twice.
class NewKeys {
public:
    explicit NewKeys(const ResultSet& results) {
        for (int k = 0; k < kResultListCount; ++k) {
            const ResultModel& list = results.List(k);
            for (int i = 0; i < list.RowCount(); ++i)
                used_.insert(list.Row(i).SortKey());
        }
    }
    QString For(const QString& groupKey) {
        const QString size = SizePart(groupKey) + QLatin1Char('_');
        qint64& number = last_[size];
        QString key;
        do
            key = size + QString::number(++number);
        while (used_.contains(key));
        used_.insert(key);
        return key;
    }

private:
    QSet<QString> used_;
    QHash<QString, qint64> last_;
};

struct Tally {
    int total = 0;
    int verified = 0;
    int confirmed = 0;
    int split = 0;
    int dissolved = 0; // no two of its files are identical: every file left
    int filesLeft = 0;
};

// Compares the groups one by one, yielding before every file and between large reads.
class Verifier {
public:
    Verifier(TaskHost& host, QPointer<ResultSet> results)
        : host_(host), results_(std::move(results)), folders_(FileSystemService()),
          splitter_(FileSystemService(), folders_, [this](std::size_t row) { return Yield(row); }) {
    }

    // For each group verified, the set of identical files of each row (in the group's order), -1
    // for a row whose file is identical to no other. Ends early on Stop or when the window closes.
    std::vector<std::vector<int>> Run(const std::vector<Group>& groups) {
        std::vector<std::vector<int>> done;
        total_ = QLocale().toString(static_cast<qint64>(groups.size()));
        for (const Group& group : groups) {
            group_ = &group;
            number_ = QLocale().toString(static_cast<qint64>(done.size() + 1));
            std::vector<std::string> paths;
            paths.reserve(group.paths.size());
            for (const QString& path : group.paths)
                paths.push_back(TextToPath(path));
            std::optional<std::vector<int>> sets = splitter_.Split(paths);
            if (!sets) return done;
            done.push_back(std::move(*sets));
        }
        return done;
    }

    bool Closed() const { return closed_; }

private:
    bool Yield(std::size_t row) {
        host_.SetStatusText(QStringLiteral("Verifying '") + group_->paths[row] +
                            QStringLiteral("' (group %1 of %2)").arg(number_, total_));
        closed_ = !host_.YieldStillOpen() || !results_;
        return !closed_ && !host_.StopRequested();
    }

    TaskHost& host_;
    QPointer<ResultSet> results_;
    FolderHandles folders_;
    ContentSplitter splitter_;
    const Group* group_ = nullptr;
    QString number_;
    QString total_;
    bool closed_ = false;
};

// The new key of each row of the verified groups that changed, by old key and path; a null key:
// the row leaves the lists. The set that holds a group's first file keeps the group's key.
using KeysByPath = QHash<QString, QHash<QString, QString>>;
struct Regrouped {
    KeysByPath keys;
    QSet<QString> confirmed; // keys of the groups found whole
};

Regrouped Regroup(const std::vector<Group>& groups, const std::vector<std::vector<int>>& sets,
                  NewKeys newKeys, Tally& tally) {
    Regrouped regrouped;
    KeysByPath& keys = regrouped.keys;
    for (std::size_t g = 0; g < sets.size(); ++g) {
        const Group& group = groups[g];
        const std::vector<int>& of = sets[g];
        if (std::all_of(of.begin(), of.end(), [](int set) { return set == 0; })) {
            ++tally.confirmed;
            regrouped.confirmed.insert(group.key);
            continue;
        }
        // A group a Delete left with one file, or of files all unlike, is not split but gone.
        if (std::all_of(of.begin(), of.end(), [](int set) { return set < 0; }))
            ++tally.dissolved;
        else
            ++tally.split;
        std::vector<QString> setKeys;
        QHash<QString, QString>& byPath = keys[group.key];
        for (std::size_t r = 0; r < group.paths.size(); ++r) {
            QString key;
            if (of[r] >= 0) {
                const auto set = static_cast<std::size_t>(of[r]);
                if (set == setKeys.size())
                    setKeys.push_back(set == 0 ? group.key : newKeys.For(group.key));
                key = setKeys[set];
            }
            tally.filesLeft += key.isNull();
            byPath.insert(group.paths[r], key);
        }
    }
    return regrouped;
}

// Gives the rows of the regrouped files their new keys, takes out those that leave, and puts the
// list back in key order. Rows of other groups, and rows the snapshot did not hold, stay.
// Every row of a verified group that stays is marked as compared byte for byte.
bool Rekey(ResultModel& list, const Regrouped& regrouped) {
    const KeysByPath& keys = regrouped.keys;
    for (int i = 0; i < list.RowCount(); ++i)
        if (regrouped.confirmed.contains(list.Row(i).SortKey())) list.SetByteForByte(i);
    std::vector<ResultRow> rows;
    rows.reserve(static_cast<std::size_t>(list.RowCount()));
    bool changed = false;
    for (int i = 0; i < list.RowCount(); ++i) {
        ResultRow row = list.Row(i);
        const auto group = keys.constFind(row.SortKey());
        if (group != keys.cend()) {
            const auto file = group->constFind(RowPathText(row));
            if (file != group->cend()) {
                changed = true;
                if (file->isNull()) continue;
                row.text[kSortColumn] = *file;
                row.byteForByte = true;
            }
        }
        rows.push_back(std::move(row));
    }
    if (!changed) return false;
    list.Clear();
    list.InsertSorted(std::move(rows)); // sorts, keeping the order of equal keys
    return true;
}

QString Notice(const Tally& tally) {
    const QLocale locale;
    QString text;
    if (tally.verified < tally.total)
        text = QStringLiteral("Stopped after %1 of %2 groups; the others are as they were.\n")
                   .arg(locale.toString(tally.verified), locale.toString(tally.total));
    const QString dissolved =
        tally.dissolved > 0
            ? QStringLiteral("; groups dissolved: %1").arg(locale.toString(tally.dissolved))
            : QString();
    return text + QStringLiteral("Groups confirmed: %1; groups split: %2%3; files "
                                 "that left the lists: %4.")
                      .arg(locale.toString(tally.confirmed), locale.toString(tally.split),
                           dissolved, locale.toString(tally.filesLeft));
}

} // namespace

void VerifyGroupsCommand(TaskHost& host) {
    QPointer<ResultSet> results = &host.Results();
    if (RefuseWhileBusy(*results, host.Prompts())) return;
    const std::vector<Group> groups = GroupsOf(results->AllList());
    if (groups.empty()) return host.Prompts().Notice(kNoGroupForVerifying);

    // A stop given before is kept for the next find job; one given meanwhile is used up.
    const bool stopPending = host.StopRequested();
    host.SetStopRequested(false);
    const QString status = host.StatusText();
    Verifier verifier(host, results);
    std::vector<std::vector<int>> subgroups;
    {
        JobRunningScope busy(*results, ResultSet::Work::VerifyGroups);
        subgroups = verifier.Run(groups);
    }
    if (verifier.Closed()) return; // the lists are going away with the window
    host.SetStopRequested(subgroups.size() == groups.size() && stopPending);
    host.SetStatusText(status);

    Tally tally;
    tally.total = static_cast<int>(groups.size());
    tally.verified = static_cast<int>(subgroups.size());
    const Regrouped keys = Regroup(groups, subgroups, NewKeys(*results), tally);
    bool changed = false;
    for (int k = 0; k < kResultListCount; ++k)
        changed = Rekey(results->List(k), keys) || changed;
    if (changed) results->SetResultChanged(true);
    ShadeGroups(*results, host);
    host.Prompts().Notice(Notice(tally));
}

} // namespace quilder
