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
#include <cerrno>

namespace quilder {

namespace {

constexpr int kAnimationMs = 200;
constexpr int kLinesPerYield = 50;

// A file named by a line of a result or group file, or nothing. A path holding a NUL would be
// cut short by the system and name another file, so it names none.
std::optional<FileDetails> LookUpLine(FileSystem& fs, std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
    return fs.LookUpFile(std::string(path));
}

ResultRow MakeRow(const FileDetails& file, SizeUnit unit, const QString& key) {
    ResultRow row;
    row.text[kNameColumn] = PathToText(file.name);
    row.text[kPathColumn] = PathToText(file.folder);
    row.text[kSizeColumn] = SizeText(file.size, unit);
    row.text[kSortColumn] = key;
    row.modifiedSeconds = file.modifiedSeconds;
    return row;
}

LoadOutcome Unreadable(int error, const QString& fallback) {
    return {LoadOutcome::Status::Unreadable, error != 0 ? qt_error_string(error) : fallback};
}

class Loader {
public:
    Loader(ResultSet& results, EngineHost& host)
        : results_(&results), host_(host), pending_(results), fs_(FileSystemService()) {}

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
                for (const std::string& name : names) {
                    // A group file that could not be read whole stays for the next load.
                    if (LoadGroupFile(folder, name, box, unit, SortKey(name))) folder.Delete(name);
                }
            }
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
            outcome_ = Unreadable(fs_.IsFolder(path) ? EISDIR : error,
                                  QStringLiteral("The file could not be opened."));
            return true;
        }
        std::string line;
        int count = 0;
        while (reader.Next(line)) {
            const std::string_view text(line);
            const std::size_t tab = text.find('\t');
            std::string_view key;
            if (tab != std::string_view::npos) {
                key = text.substr(tab + 1);
                key = key.substr(0, key.find('\t'));
            }
            if (const auto file = LookUpLine(fs_, text.substr(0, tab))) {
                const int order = ClassOfSize(file->size);
                pending_.AddPair(BoxOfOrder(order),
                                 MakeRow(*file, kSizeClasses[static_cast<std::size_t>(order)].unit,
                                         PathToText(key)));
            }
            if (++count % kLinesPerYield == kLinesPerYield - 1 && !Yield(false)) return false;
            errno = 0; // so that a failing read leaves its own reason
        }
        // The rows read before the failure stay: they are files of the result all the same.
        if (reader.Failed()) outcome_ = Unreadable(errno, QStringLiteral("A read failed."));
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
            if (const auto member = LookUpLine(fs_, line))
                rows.push_back(MakeRow(*member, unit, key));
        if (reader.Failed()) return false;
        for (const ResultRow& row : rows)
            pending_.AddPair(box, row);
        return true;
    }

    QPointer<ResultSet> results_;
    EngineHost& host_;
    PendingRows pending_;
    FileSystem& fs_;
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
