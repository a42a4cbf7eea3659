#include "DeleteCheckedFiles.h"

#include "ActionHost.h"
#include "ContentCheck.h"
#include "FileSystem.h"
#include "PathText.h"
#include "Prompt.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "ShadeGroups.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <cstdio>
#include <vector>

namespace quilder {

namespace {

// What the check decided for one checked file.
enum class Plan {
    Delete, // a file of its group that stays holds the same bytes, or the whole group goes
    Gone,   // no file at its path when it was checked
    Keep,   // differs from every file that stays, or could not be compared
};

// What deleting one file did.
enum class Done { Removed, Failed, Stays };

// The checked and unchecked files of one group, as they were when the command started.
struct GroupFiles {
    std::vector<QString> checked;
    std::vector<QString> staying;
};

std::vector<GroupFiles> GroupsWithChecks(const ResultModel& list) {
    std::vector<GroupFiles> groups;
    for (int end = list.RowCount(); end > 0;) {
        const QString& key = list.Row(end - 1).SortKey();
        int start = end - 1;
        while (start > 0 && list.Row(start - 1).SortKey() == key)
            --start;
        GroupFiles group;
        for (int i = start; i < end; ++i)
            (list.Row(i).checked ? group.checked : group.staying)
                .push_back(RowPathText(list.Row(i)));
        if (!group.checked.empty()) groups.push_back(std::move(group));
        end = start;
    }
    return groups;
}

constexpr qint64 kYieldEveryMs = 20;

// The first pass: compares every checked file with the files of its group that stay.
class Checker {
public:
    Checker(ActionHost& host, FileSystem& fs, QPointer<ResultSet> results)
        : host_(host), fs_(fs), results_(std::move(results)),
          check_(fs, [this] { return Yield(); }) {}

    // False when the window closed meanwhile.
    bool Run(const std::vector<GroupFiles>& groups) {
        for (const GroupFiles& group : groups) {
            for (const QString& path : group.checked) {
                if (group.staying.empty()) {
                    Decide(path, Plan::Delete); // the user chose to delete every copy
                    continue;
                }
                current_ = &path;
                if (!Yield()) return false;
                const std::optional<Plan> plan = PlanFor(path, group.staying);
                if (!plan) return false;
                Decide(path, *plan);
            }
        }
        return true;
    }

    QHash<QString, Plan> plans;

private:
    // Yields at most every few milliseconds: a yield costs more than checking a small file.
    // The status text names the file being checked whenever the window gets to show it.
    bool Yield() {
        if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldEveryMs) return true;
        if (shown_ != current_) {
            host_.SetStatusText(QStringLiteral("Checking '") + *current_ + QLatin1Char('\''));
            shown_ = current_;
        }
        sinceYield_.start();
        return host_.Yield() && results_;
    }

    std::optional<Plan> PlanFor(const QString& path, const std::vector<QString>& staying) {
        const std::string file = TextToPath(path);
        for (const QString& other : staying) {
            if (other == path) continue;
            switch (check_.Compare(file, TextToPath(other))) {
            case ContentVerdict::Same:
                return Plan::Delete;
            case ContentVerdict::Abandoned:
                return std::nullopt;
            case ContentVerdict::Differs:
            case ContentVerdict::NotCompared:
                break;
            }
        }
        return fs_.IsFile(file) ? Plan::Keep : Plan::Gone;
    }

    // A file listed in two groups is kept when either says so.
    void Decide(const QString& path, Plan plan) {
        auto it = plans.find(path);
        if (it == plans.end())
            plans.insert(path, plan);
        else if (*it != Plan::Keep)
            *it = plan;
    }

    ActionHost& host_;
    FileSystem& fs_;
    QPointer<ResultSet> results_;
    ContentCheck check_;
    QElapsedTimer sinceYield_;
    const QString* current_ = nullptr;
    const QString* shown_ = nullptr;
};

Done Carry(Plan plan, const std::string& file, FileSystem& fs) {
    if (plan == Plan::Delete && fs.DeleteFile(file)) return Done::Removed;
    // A file that is there now was either not deleted, or came back after it was found gone
    // and was never compared.
    if (fs.IsFile(file)) return plan == Plan::Delete ? Done::Failed : Done::Stays;
    return Done::Removed;
}

// Beyond this many runs of marked rows a list is rebuilt rather than cut run by run: each cut
// moves every row below it, in the model and in its view.
constexpr int kMostCuts = 64;

// Takes the marked rows out. A few runs go one removal each, which keeps the view where it is;
// many are taken out by rebuilding the list from the rows that stay. Not while a load runs: a
// load drops the rows it built before a list was emptied.
void RemoveMarked(ResultModel& list, const std::vector<char>& drop, bool mayRebuild) {
    const auto marked = [&](int row) { return drop[static_cast<std::size_t>(row)] != 0; };
    int runs = 0;
    for (int i = 0; i < list.RowCount(); ++i)
        runs += marked(i) && (i == 0 || !marked(i - 1));
    if (runs > kMostCuts && mayRebuild) {
        std::vector<ResultRow> staying;
        staying.reserve(static_cast<std::size_t>(list.RowCount()));
        for (int i = 0; i < list.RowCount(); ++i)
            if (!marked(i)) staying.push_back(list.Row(i));
        list.Clear();
        list.InsertSorted(std::move(staying)); // already in key order: kept as it is
        return;
    }
    for (int end = list.RowCount(); end > 0;) {
        if (!marked(end - 1)) {
            --end;
            continue;
        }
        int start = end - 1;
        while (start > 0 && marked(start - 1))
            --start;
        list.removeRows(start, end - start);
        end = start;
    }
}

// Positions of the rows of `list` that stand for one of `paths`, top to bottom.
QHash<QString, std::vector<int>> RowsByPath(const ResultModel& list, const QSet<QString>& paths) {
    QHash<QString, std::vector<int>> rows;
    for (int i = 0; i < list.RowCount(); ++i) {
        QString path = RowPathText(list.Row(i));
        if (paths.contains(path)) rows[std::move(path)].push_back(i);
    }
    return rows;
}

struct Tally {
    int kept = 0;
    int failed = 0;
    bool removed = false;
};

// The second pass, without yielding: deletes the files the check let go, walking from the last
// row, and takes out their rows and one twin each. Rows are found anew by path and check, since
// only the check marks may have changed during the first pass.
Tally DeleteAndRemove(ResultSet& results, int listIndex, const QHash<QString, Plan>& plans,
                      FileSystem& fs) {
    Tally tally;
    ResultModel& list = results.List(listIndex);
    QHash<QString, Done> done;
    std::vector<char> drop(static_cast<std::size_t>(list.RowCount()), 0);
    std::vector<QString> removed; // last row first
    for (int i = list.RowCount() - 1; i >= 0; --i) {
        const ResultRow& row = list.Row(i);
        if (!row.checked) continue;
        QString path = RowPathText(row);
        const auto plan = plans.constFind(path);
        // A row checked after the comparisons was never compared.
        if (plan == plans.cend() || *plan == Plan::Keep) continue;
        auto it = done.find(path);
        if (it == done.end()) it = done.insert(path, Carry(*plan, TextToPath(path), fs));
        if (*it != Done::Removed) continue;
        drop[static_cast<std::size_t>(i)] = 1;
        removed.push_back(std::move(path));
    }
    for (const Plan plan : plans)
        tally.kept += plan == Plan::Keep;
    for (const Done d : done) {
        tally.kept += d == Done::Stays;
        tally.failed += d == Done::Failed;
    }
    if (removed.empty()) return tally;

    // The twin of a row of the All list is in the first class list that holds its path; that
    // of a class list's row is in the All list. The lowest row that is left wins.
    const QSet<QString> paths(removed.begin(), removed.end());
    std::vector<int> twinLists;
    for (int k = listIndex == 0 ? 1 : 0; k < (listIndex == 0 ? kResultListCount : 1); ++k)
        twinLists.push_back(k);
    std::vector<QHash<QString, std::vector<int>>> twinRows;
    std::vector<std::vector<char>> twinDrop;
    for (const int k : twinLists) {
        twinRows.push_back(RowsByPath(results.List(k), paths));
        twinDrop.emplace_back(static_cast<std::size_t>(results.List(k).RowCount()), 0);
    }
    for (const QString& path : removed) {
        for (std::size_t t = 0; t < twinLists.size(); ++t) {
            const auto found = twinRows[t].find(path);
            if (found == twinRows[t].end() || found->empty()) continue;
            twinDrop[t][static_cast<std::size_t>(found->back())] = 1;
            found->pop_back();
            break;
        }
    }
    const bool mayRebuild = !results.IsLoading();
    for (std::size_t t = 0; t < twinLists.size(); ++t)
        RemoveMarked(results.List(twinLists[t]), twinDrop[t], mayRebuild);
    RemoveMarked(list, drop, mayRebuild);
    tally.removed = true;
    return tally;
}

QString KeptNotice(int count) {
    if (count == 1)
        return QStringLiteral("1 checked file was not deleted: its content differs from the files "
                              "of its group that stay, or could not be compared with them.");
    return QStringLiteral("%1 checked files were not deleted: their content differs from the "
                          "files of their group that stay, or could not be compared with them.")
        .arg(count);
}

QString FailedNotice(int count) {
    if (count == 1)
        return QStringLiteral("1 checked file could not be deleted; it keeps its rows.");
    return QStringLiteral("%1 checked files could not be deleted; they keep their rows.")
        .arg(count);
}

} // namespace

bool DeleteCheckedFiles(ActionHost& host, int listIndex) {
    QPointer<ResultSet> results = &host.Results();
    if (listIndex < 0 || listIndex >= kResultListCount) return true;
    Prompt& prompt = host.Prompts();
    if (results->List(listIndex).RowCount() < 1) {
        prompt.Notice(kNoFileForDeleting);
        return true;
    }
    const bool yes = prompt.AskYesNo(kDeleteQuestion) == PromptAnswer::Yes;
    if (!results) return false; // the window closed behind the question
    if (!yes) return true;
    FileSystem& fs = FileSystemService();

    const std::vector<GroupFiles> groups = GroupsWithChecks(results->List(listIndex));
    Checker checker(host, fs, results);
    {
        const QString status = host.StatusText();
        JobRunningScope busy(*results);
        if (!checker.Run(groups)) return false;
        host.SetStatusText(status);
    }

    const Tally tally = DeleteAndRemove(*results, listIndex, checker.plans, fs);
    if (tally.removed && !results->CurrentResultFile().isEmpty()) results->SetResultChanged(true);
    if (tally.kept > 0) prompt.Notice(KeptNotice(tally.kept));
    if (tally.failed > 0) prompt.Notice(FailedNotice(tally.failed));
    return true;
}

void DeleteCommand(ActionHost& host) {
    QPointer<ResultSet> results = &host.Results();
    if (results->JobRunning()) {
        host.Prompts().Notice(kJobRunningNotice);
        return;
    }
    if (DeleteCheckedFiles(host, results->VisibleList()) && results) ShadeGroups(*results);
}

} // namespace quilder
