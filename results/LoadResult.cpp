#include "LoadResult.h"

#include "EngineHost.h"
#include "FileSystem.h"
#include "LineReader.h"
#include "PathText.h"
#include "PendingRows.h"
#include "ResultSet.h"
#include "SizeText.h"
#include "WorkStore.h"

#include <QPointer>
#include <algorithm>
#include <cerrno>
#include <unordered_map>

namespace quilder {

namespace {

constexpr int kAnimationMs = 200;
constexpr int kLinesPerYield = 50;

// Builds the rows of the files that lines name. Files of one folder share one path text: a big
// tree has far fewer folders than files.
class RowMaker {
public:
    explicit RowMaker(FileSystem& fs) : fs_(fs) {}

    // The row of the file a line names, or nothing. A path holding a NUL would be cut short by
    // the system and name another file, so it names none. `path` may be changed.
    std::optional<ResultRow> Make(std::string& path, SizeUnit unit, const QString& key) {
        if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash + 1 == path.size()) return std::nullopt;
        const auto file = fs_.LookUpFile(path);
        if (!file) return std::nullopt;
        ResultRow row;
        row.text[kNameColumn] = PathToText(std::string_view(path).substr(slash + 1));
        path.resize(slash);
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        if (path.empty()) path.assign(1, '/');
        row.text[kPathColumn] = FolderText(path);
        row.text[kSortColumn] = key;
        row.SetFile(file->size, unit, file->modifiedSeconds);
        return row;
    }

private:
    const QString& FolderText(const std::string& folder) {
        auto found = folders_.find(folder);
        if (found != folders_.end()) return found->second;
        if (folders_.size() >= 65536) folders_.clear(); // bounded; rows keep their own share
        return folders_.emplace(folder, PathToText(folder)).first->second;
    }

    FileSystem& fs_;
    std::unordered_map<std::string, QString> folders_;
};

LoadOutcome Failed(LoadOutcome::Status status, int error, const QString& fallback) {
    return {status, error != 0 ? qt_error_string(error) : fallback};
}

class Loader {
public:
    Loader(ResultSet& results, EngineHost& host)
        : results_(&results), host_(host), pending_(results), fs_(FileSystemService()), rows_(fs_) {
    }

    // False when the result set went away during a yield: nothing may be touched then.
    bool Yield(bool flushAll) {
        pending_.Flush(flushAll);
        host_.Yield();
        return !results_.isNull();
    }

    bool LoadWorkStore() {
        for (int box = 1; box < kResultListCount; ++box) {
            if (!host_.ClassBoxTicked(box)) continue;
            // Reached through real folders only: a link in the store is never followed.
            StoreFolder folder(fs_, TextToPath(host_.ClassBoxTag(box)));
            std::vector<std::string> names;
            if (folder.IsOpen() && folder.ListFiles(names)) {
                const SizeUnit unit = kSizeClasses[static_cast<std::size_t>(OrderOfBox(box))].unit;
                // In key order, the rows of a class go below the rows already there: adding
                // them costs no merge and no second copy of the list.
                std::vector<std::pair<QString, std::string>> groups;
                groups.reserve(names.size());
                for (std::string& name : names)
                    groups.emplace_back(SortKey(name), std::move(name));
                std::sort(groups.begin(), groups.end());
                for (const auto& [key, name] : groups) {
                    // A group file that could not be read whole stays for the next load.
                    if (LoadGroupFile(folder, name, box, unit, key)) folder.DeleteLater(name);
                    // Rows waiting for the class's yield would be a second copy of a big list.
                    pending_.Flush(false);
                }
            }
            folder.AwaitDeletes(); // at a yield, no file read is left
            if (!Yield(true)) return false;
        }
        return true;
    }

    bool LoadResultFile(const std::string& path) {
        errno = 0;
        LineReader reader(fs_, path);
        reader.SetMaxLineLength(kLongestPathLine);
        if (!reader.IsOpen()) {
            const int error = errno;
            // A folder opens, but is no file to read lines from.
            outcome_ = Failed(LoadOutcome::Status::Unreadable, fs_.IsFolder(path) ? EISDIR : error,
                              QStringLiteral("The file could not be opened."));
            return true;
        }
        std::string line;
        int count = 0;
        while (reader.Next(line)) {
            const std::size_t tab = line.find('\t');
            std::string_view key;
            if (tab != std::string::npos) {
                key = std::string_view(line).substr(tab + 1);
                key = key.substr(0, key.find('\t'));
            }
            // Lines of one group follow each other: they share their key text.
            if (key != lastKey_) {
                lastKey_.assign(key);
                keyText_ = PathToText(key);
            }
            if (tab != std::string::npos) line.resize(tab);
            if (auto row = rows_.Make(line, SizeUnit::Bytes, keyText_)) {
                const int order = ClassOfSize(row->size);
                row->unit = kSizeClasses[static_cast<std::size_t>(order)].unit;
                pending_.AddPair(BoxOfOrder(order), std::move(*row));
            }
            if (++count % kLinesPerYield == kLinesPerYield - 1 && !Yield(false)) return false;
            errno = 0; // so that a failing read leaves its own reason
        }
        // The rows read before the failure stay: they are files of the result all the same.
        if (reader.Failed())
            outcome_ =
                Failed(LoadOutcome::Status::ReadInPart, errno, QStringLiteral("A read failed."));
        return true;
    }

    void Finish() { pending_.Flush(true); }
    const LoadOutcome& Outcome() const { return outcome_; }

private:
    // A group file that cannot be read whole adds nothing and stays for the next load, which
    // would otherwise add the rows read before the failure a second time.
    bool LoadGroupFile(StoreFolder& folder, const std::string& name, int box, SizeUnit unit,
                       const QString& key) {
        LineReader reader(fs_, folder.Handle(), name);
        if (!reader.IsOpen()) return false;
        std::string line;
        std::vector<ResultRow> rows;
        while (reader.Next(line))
            if (auto row = rows_.Make(line, unit, key)) rows.push_back(std::move(*row));
        if (reader.Failed()) return false;
        for (ResultRow& row : rows)
            pending_.AddPair(box, std::move(row));
        return true;
    }

    QPointer<ResultSet> results_;
    EngineHost& host_;
    PendingRows pending_;
    FileSystem& fs_;
    RowMaker rows_;
    std::string lastKey_;
    QString keyText_;
    LoadOutcome outcome_;
};

} // namespace

LoadOutcome LoadResult(ResultSet& results, EngineHost& host, const QString& fileName) {
    if (!results.TryBeginLoad()) return {LoadOutcome::Status::Busy, {}};
    host.SetAnimationInterval(kAnimationMs);
    host.SetStatusText(QStringLiteral("Loading result"));
    Loader loader(results, host);
    const bool alive =
        fileName.isEmpty() ? loader.LoadWorkStore() : loader.LoadResultFile(TextToPath(fileName));
    if (!alive) return {LoadOutcome::Status::Abandoned, {}};
    loader.Finish();
    host.SetAnimationInterval(0);
    host.SetStatusText(QStringLiteral("Loading result..."));
    results.EndLoad();
    return loader.Outcome();
}

} // namespace quilder
