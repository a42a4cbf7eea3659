#include "VerifyGroups.h"

#include "ActionHost.h"
#include "ContentCheck.h"
#include "EntryState.h"
#include "FileSystem.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultCommands.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "ShadeGroups.h"

#include <QHash>
#include <QLocale>
#include <QPointer>
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

// The highest group number each size has in any list, so that new numbers are unique.
QHash<QString, qint64> HighestNumbers(const ResultSet& results) {
    QHash<QString, qint64> highest;
    for (int k = 0; k < kResultListCount; ++k) {
        const ResultModel& list = results.List(k);
        for (int i = 0; i < list.RowCount(); ++i) {
            const QString& key = list.Row(i).SortKey();
            if (i > 0 && key == list.Row(i - 1).SortKey()) continue;
            const qsizetype underscore = key.indexOf(QLatin1Char('_'));
            bool number = false;
            const qint64 n = underscore < 0 ? 0 : key.mid(underscore + 1).toLongLong(&number);
            qint64& high = highest[SizePart(key)];
            if (number && n > high) high = n;
        }
    }
    return highest;
}

struct Tally {
    int total = 0;
    int verified = 0;
    int confirmed = 0;
    int split = 0;
    int filesLeft = 0;
};

// Compares the groups one by one, yielding before every comparison.
class Verifier {
public:
    Verifier(ActionHost& host, QPointer<ResultSet> results)
        : host_(host), results_(std::move(results)), folders_(FileSystemService()),
          check_(FileSystemService(), [this] { return Yield(); }) {}

    // For each group verified, the subgroup of each member (in the group's order); a member
    // alone in its subgroup leaves. Ends early on Stop or when the window closes.
    std::vector<std::vector<int>> Run(const std::vector<Group>& groups) {
        std::vector<std::vector<int>> done;
        total_ = QLocale().toString(static_cast<qint64>(groups.size()));
        for (const Group& group : groups) {
            std::vector<int> subgroup(group.paths.size());
            std::vector<std::optional<RecordedEntry>> entries(group.paths.size());
            std::vector<std::size_t> firsts; // the first member of each subgroup so far
            for (std::size_t m = 0; m < group.paths.size(); ++m) {
                current_ = &group.paths[m];
                if (!Yield(done.size() + 1)) return done;
                const auto [folder, name] = SplitEntryPath(TextToPath(group.paths[m]));
                EntryLook look = LookUpEntry(folders_, folder, name);
                // A file that is gone or cannot be read is identical to none.
                if (look.kind == EntryLook::Kind::File) entries[m] = std::move(look.entry);
                std::size_t s = 0;
                for (; entries[m] && s < firsts.size(); ++s) {
                    std::optional<RecordedEntry>& first = entries[firsts[s]];
                    if (!first) continue;
                    const ContentVerdict verdict = check_.Compare(folders_, *entries[m], *first);
                    if (verdict == ContentVerdict::Abandoned) return done;
                    if (verdict == ContentVerdict::Same) break;
                }
                if (s == firsts.size() || !entries[m]) {
                    s = firsts.size();
                    firsts.push_back(m);
                }
                subgroup[m] = static_cast<int>(s);
            }
            done.push_back(std::move(subgroup));
        }
        return done;
    }

    bool Closed() const { return closed_; }

private:
    bool Yield(std::size_t groupNumber = 0) {
        if (groupNumber > 0) number_ = QLocale().toString(static_cast<qint64>(groupNumber));
        host_.SetStatusText(QStringLiteral("Verifying '") + *current_ +
                            QStringLiteral("' (group %1 of %2)").arg(number_, total_));
        closed_ = !host_.Yield() || !results_;
        return !closed_ && !host_.StopRequested();
    }

    ActionHost& host_;
    QPointer<ResultSet> results_;
    FolderHandles folders_;
    ContentCheck check_;
    const QString* current_ = nullptr;
    QString number_;
    QString total_;
    bool closed_ = false;
};

// The new key of each file of the verified groups, by old key and path; a null key: the file
// leaves the lists. The subgroup that holds a group's first file keeps its key.
using NewKeys = QHash<QString, QHash<QString, QString>>;

NewKeys Regroup(const std::vector<Group>& groups, const std::vector<std::vector<int>>& subgroups,
                QHash<QString, qint64> highest, Tally& tally) {
    NewKeys keys;
    for (std::size_t g = 0; g < subgroups.size(); ++g) {
        const Group& group = groups[g];
        const std::vector<int>& of = subgroups[g];
        std::vector<int> members;
        for (const int s : of) {
            if (static_cast<std::size_t>(s) >= members.size())
                members.resize(static_cast<std::size_t>(s) + 1);
            ++members[static_cast<std::size_t>(s)];
        }
        if (members.size() == 1 && members[0] >= 2) {
            ++tally.confirmed;
            continue;
        }
        ++tally.split;
        std::vector<QString> subgroupKeys(members.size());
        bool first = true;
        for (std::size_t s = 0; s < members.size(); ++s) {
            if (members[s] < 2) continue;
            subgroupKeys[s] = first ? group.key
                                    : SizePart(group.key) + QLatin1Char('_') +
                                          QString::number(++highest[SizePart(group.key)]);
            first = false;
        }
        QHash<QString, QString>& byPath = keys[group.key];
        for (std::size_t m = 0; m < group.paths.size(); ++m) {
            const QString& key = subgroupKeys[static_cast<std::size_t>(of[m])];
            tally.filesLeft += key.isNull();
            byPath.insert(group.paths[m], key);
        }
    }
    return keys;
}

// Gives the rows of the regrouped files their new keys, takes out those that leave, and puts
// the list back in key order. Rows of other groups, and rows the snapshot did not hold, stay.
bool Rekey(ResultModel& list, const NewKeys& keys) {
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
    return text +
           QStringLiteral("Groups confirmed: %1; groups split: %2; files that left the lists: %3.")
               .arg(locale.toString(tally.confirmed), locale.toString(tally.split),
                    locale.toString(tally.filesLeft));
}

} // namespace

void VerifyGroupsCommand(ActionHost& host) {
    QPointer<ResultSet> results = &host.Results();
    if (results->JobRunning()) return host.Prompts().Notice(results->BusyNotice());
    if (results->IsLoading()) return host.Prompts().Notice(kLoadRunningNotice);
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
    const NewKeys keys = Regroup(groups, subgroups, HighestNumbers(*results), tally);
    bool changed = false;
    for (int k = 0; k < kResultListCount; ++k)
        changed = Rekey(results->List(k), keys) || changed;
    if (changed) results->SetResultChanged(true);
    ShadeGroups(*results);
    host.Prompts().Notice(Notice(tally));
}

} // namespace quilder
