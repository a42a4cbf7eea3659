#include "RemoveRows.h"

#include "DeleteCheck.h"
#include "PathText.h"
#include "ResultSet.h"
#include "RowPaths.h"

#include <QHash>
#include <QSet>
#include <unordered_set>

namespace quilder {

namespace {

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

// Whether a row names one of the files. Only rows that carry one of the names are looked at
// further; their folders are looked up once each.
class FileMatcher {
public:
    explicit FileMatcher(const std::vector<const CheckedFile*>& files) {
        for (const CheckedFile* file : files) {
            for (const QString& path : file->spellings) {
                paths_.insert(path);
                names_.insert(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
            }
            if (file->entry.folder != FolderId{}) keys_.insert(file->entry.Key());
        }
    }

    bool Names(const ResultRow& row) {
        if (!names_.contains(row.text[kNameColumn])) return false;
        if (paths_.contains(RowPathText(row))) return true;
        const QString& folderText = row.text[kPathColumn];
        auto folder = folders_.constFind(folderText);
        if (folder == folders_.cend())
            folder = folders_.insert(folderText, FolderIdOf(TextToPath(folderText)));
        return *folder && keys_.count({**folder, TextToPath(row.text[kNameColumn])});
    }

private:
    QSet<QString> paths_;
    QSet<QString> names_;
    std::unordered_set<EntryKey, EntryKeyHash> keys_;
    QHash<QString, std::optional<FolderId>> folders_;
};

} // namespace

bool RemoveRowsOfFiles(ResultSet& results, const std::vector<const CheckedFile*>& files) {
    if (files.empty()) return false;
    FileMatcher matcher(files);
    const bool mayRebuild = !results.IsLoading();
    bool removed = false;
    for (int k = 0; k < kResultListCount; ++k) {
        ResultModel& list = results.List(k);
        std::vector<char> drop(static_cast<std::size_t>(list.RowCount()), 0);
        bool any = false;
        for (int i = 0; i < list.RowCount(); ++i)
            if (matcher.Names(list.Row(i))) {
                drop[static_cast<std::size_t>(i)] = 1;
                any = true;
            }
        if (!any) continue;
        RemoveMarked(list, drop, mayRebuild);
        removed = true;
    }
    return removed;
}

void MarkRowsOfFiles(ResultSet& results, const std::vector<const CheckedFile*>& files,
                     RowLink link) {
    if (files.empty()) return;
    FileMatcher matcher(files);
    for (int k = 0; k < kResultListCount; ++k) {
        ResultModel& list = results.List(k);
        for (int i = 0; i < list.RowCount(); ++i)
            if (matcher.Names(list.Row(i))) list.SetLink(i, link);
    }
}

} // namespace quilder
