#include "LoadResult.h"

#include "EngineHost.h"
#include "FileLookUps.h"
#include "FileSystem.h"
#include "HeldGroups.h"
#include "LineReader.h"
#include "PathText.h"
#include "PendingRows.h"
#include "ResultLines.h"
#include "ResultSet.h"
#include "SizeText.h"
#include "StoreWriter.h"
#include "WorkStore.h"

#include <QPointer>
#include <algorithm>
#include <cerrno>
#include <unordered_map>

namespace quilder {

namespace {

constexpr int kAnimationMs = 200;
constexpr int kLinesPerYield = 50;
// A row costs a look-up of its file: this many take a few milliseconds.
constexpr std::size_t kRowsPerYield = 2048;
// Making a group's sort key takes about a microsecond.
constexpr std::size_t kKeysPerYield = 16384;

// Whether a text is the one that a path's bytes give, without making it for a plain path.
bool IsTextOf(const QString& text, std::string_view bytes) {
    if (static_cast<std::size_t>(text.size()) != bytes.size()) return TextToPath(text) == bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80) return TextToPath(text) == bytes;
        if (text[static_cast<qsizetype>(i)].unicode() != byte) return false;
    }
    return true;
}

// Builds the rows of the files that lines name. Files of one folder share one path text: a big
// tree has far fewer folders than files. The texts are found by the hash of the folder's bytes,
// so that no second copy of a folder's path is held to find its text.
class RowMaker {
public:
    explicit RowMaker(FileSystem& fs) : files_(fs) {}

    // Where the files of many lines can be looked up ahead.
    FileLookUps& Files() { return files_; }

    // The row of the file a line names, or nothing. A path holding a NUL would be cut short by
    // the system and name another file, so it names none. The file is looked up unless its
    // facts are `known` (learned when this job read it).
    std::optional<ResultRow> Make(std::string_view path, SizeUnit unit, const SharedText& key,
                                  const std::optional<FileFacts>& known = std::nullopt) {
        if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
        const std::size_t slash = path.rfind('/');
        if (slash == std::string_view::npos || slash + 1 == path.size()) return std::nullopt;
        const auto file = known ? known : files_.LookUp(path);
        if (!file) return std::nullopt;
        ResultRow row;
        row.text.SetName(path.substr(slash + 1));
        std::string_view folder = path.substr(0, slash);
        while (folder.size() > 1 && folder.back() == '/')
            folder.remove_suffix(1);
        if (folder.empty()) folder = "/";
        row.text.SetFolder(FolderText(folder));
        row.text.SetKey(key);
        row.SetFile(file->size, unit, file->modifiedSeconds);
        return row;
    }

private:
    const SharedText& FolderText(std::string_view folder) {
        if (last_ && folder == lastBytes_) return *last_;
        const std::size_t hash = std::hash<std::string_view>()(folder);
        if (folders_.empty() || (used_ + 1) * 2 > folders_.size()) Grow();
        std::size_t at = hash & (folders_.size() - 1);
        for (; folders_[at].used; at = (at + 1) & (folders_.size() - 1)) {
            if (folders_[at].hash == hash && IsTextOf(folders_[at].text.Text(), folder)) break;
        }
        Slot& slot = folders_[at];
        if (!slot.used) {
            slot = {hash, SharedText(PathToText(folder)), true};
            ++used_;
        }
        lastBytes_.assign(folder);
        last_ = &slot.text;
        return slot.text;
    }

    // An open table, twice as large as its folders at least: a million rows look up a folder
    // each, so a look-up should touch one place of memory.
    struct Slot {
        std::size_t hash = 0;
        SharedText text;
        bool used = false;
    };
    void Grow() {
        std::vector<Slot> old(std::max<std::size_t>(1024, folders_.size() * 2));
        old.swap(folders_);
        for (Slot& slot : old) {
            if (!slot.used) continue;
            std::size_t at = slot.hash & (folders_.size() - 1);
            while (folders_[at].used)
                at = (at + 1) & (folders_.size() - 1);
            folders_[at] = std::move(slot);
        }
        last_ = nullptr;
    }

    FileLookUps files_;
    std::vector<Slot> folders_;
    std::size_t used_ = 0;
    std::string lastBytes_; // the folder of the last row: the files of a folder often follow
    const SharedText* last_ = nullptr;
};

LoadOutcome Failed(LoadOutcome::Status status, int error, const QString& fallback) {
    return {status, error != 0 ? qt_error_string(error) : fallback};
}

// Group files and held groups are loaded in key order; equal keys keep their order.
constexpr auto ByKeyText = [](const auto& a, const auto& b) {
    return a.first.Text() < b.first.Text() ||
           (a.first.Text() == b.first.Text() && a.second < b.second);
};

class Loader {
public:
    Loader(ResultSet& results, EngineHost& host)
        : results_(&results), host_(host), pending_(results), fs_(FileSystemService()), rows_(fs_) {
    }

    // False when the result set went away during a yield (nothing may be touched then), or
    // the window is closing.
    bool Yield(bool flushAll) {
        if (!flushAll)
            pending_.Flush();
        else if (!pending_.FlushAll([this] { return Turn(); }))
            return false;
        return Turn();
    }
    bool Turn() {
        host_.Yield();
        return !results_.isNull() && !host_.Closing();
    }

    bool LoadWorkStore() {
        for (int box = 1; box < kResultListCount; ++box) {
            if (!host_.ClassBoxTicked(box)) continue;
            const std::string tag = TextToPath(host_.ClassBoxTag(box));
            const SizeUnit unit = kSizeClasses[static_cast<std::size_t>(OrderOfBox(box))].unit;
            const int heldClass = ClassOfGroupFolder(tag);
            if (heldClass >= 0) {
                if (!LoadHeld(heldClass, box, unit)) return false;
                if (HeldGroupsService().OnlyHeld(heldClass)) {
                    if (!Yield(true)) return false;
                    continue;
                }
                StoreWriterService().Drain(); // what the folder holds is then all on disk
            }
            // Reached through real folders only: a link in the store is never followed.
            StoreFolder folder(fs_, tag);
            std::vector<std::string> names;
            if (folder.IsOpen() && folder.ListFiles(names)) {
                if (!Yield(false)) return false; // a class of many groups takes long to list
                // In key order, the rows of a class go below the rows already there: adding
                // them costs no merge and no second copy of the list.
                // Each key's text is made once, and shared by the rows of its group.
                std::vector<std::pair<SharedText, std::string>> groups;
                groups.reserve(names.size());
                for (std::string& name : names)
                    groups.emplace_back(SharedText(SortKey(name)), std::move(name));
                names = {};
                std::sort(groups.begin(), groups.end(), ByKeyText);
                if (!Yield(false)) return false; // a class of many groups takes long to sort
                std::size_t rowsSinceYield = 0;
                for (const auto& [key, name] : groups) {
                    // A group file that could not be read whole stays for the next load.
                    if (const auto lines = LoadGroupFile(folder, name, box, unit, key)) {
                        folder.DeleteLater(name);
                        rowsSinceYield += *lines;
                    }
                    // A big class takes long: the window answers meanwhile. Rows wait for the
                    // class's end, or until they are a good part of the list: each insertion
                    // costs a pass over the list in the views.
                    if (rowsSinceYield >= kRowsPerYield) {
                        rowsSinceYield = 0;
                        folder.AwaitDeletes(); // at a yield, no file read is left
                        if (!Yield(false)) return false;
                    }
                }
            }
            folder.AwaitDeletes();
            if (!Yield(true)) return false;
        }
        return true;
    }

    bool LoadResultFile(const std::string& path) {
        errno = 0;
        LineReader reader(fs_, path);
        reader.SetMaxLineLength(kLongestPathLine);
        // Written with CR LF, but a file edited elsewhere may end its lines with LF alone; no
        // path in a result file holds an LF.
        reader.AcceptLineFeedEnds();
        if (!reader.IsOpen()) {
            const int error = errno;
            // A folder opens, but is no file to read lines from.
            outcome_ = Failed(LoadOutcome::Status::Unreadable, fs_.IsFolder(path) ? EISDIR : error,
                              QStringLiteral("The file could not be opened."));
            return true;
        }
        std::string line;
        int count = 0;
        ResultLines lines(reader, rows_.Files(), [this] { return Yield(false); });
        while (lines.Next(line)) {
            const std::size_t tab = line.find('\t');
            std::string_view key;
            if (tab != std::string::npos) {
                key = std::string_view(line).substr(tab + 1);
                key = key.substr(0, key.find('\t'));
            }
            // Lines of one group follow each other: they share their key text.
            if (key != lastKey_) {
                lastKey_.assign(key);
                keyText_ = SharedText(PathToText(key));
            }
            if (tab != std::string::npos) line.resize(tab);
            if (auto row = rows_.Make(line, SizeUnit::Bytes, keyText_)) {
                const int order = ClassOfSize(row->Size());
                row->text.SetUnit(kSizeClasses[static_cast<std::size_t>(order)].unit);
                pending_.AddPair(BoxOfOrder(order), std::move(*row));
            }
            if (++count % kLinesPerYield == kLinesPerYield - 1 && !Yield(false)) return false;
        }
        if (lines.Stopped()) return false;
        // The rows read before the failure stay: they are files of the result all the same.
        if (reader.Failed())
            outcome_ = Failed(LoadOutcome::Status::ReadInPart, lines.ReadError(),
                              QStringLiteral("A read failed."));
        return true;
    }

    // False when the load was abandoned at a yield.
    bool Finish() {
        return pending_.FlushAll([this] { return Turn(); });
    }
    const LoadOutcome& Outcome() const { return outcome_; }

private:
    // The class whose group folder a box's tag names ("/compared/t"), or -1.
    static int ClassOfGroupFolder(const std::string& tag) {
        const std::size_t from = tag.find_first_not_of('/');
        if (from == std::string::npos) return -1;
        const std::string_view folder =
            std::string_view(tag).substr(from, tag.find_last_not_of('/') + 1 - from);
        constexpr std::string_view kCompared = "compared/";
        return folder.starts_with(kCompared) ? OrderOfCode(folder.substr(kCompared.size())) : -1;
    }

    // The groups this job made for a class and kept in memory, in key order like group files;
    // they never had a file. False when the load was abandoned at a yield.
    bool LoadHeld(int classOrder, int box, SizeUnit unit) {
        std::vector<HeldGroup> groups = HeldGroupsService().Take(classOrder);
        if (groups.empty()) return true;
        std::vector<std::pair<SharedText, std::size_t>> byKey;
        byKey.reserve(groups.size());
        for (std::size_t i = 0; i < groups.size(); ++i) {
            byKey.emplace_back(SharedText(SortKey(groups[i].name)), i);
            if (i % kKeysPerYield == kKeysPerYield - 1 && !Yield(false)) return false;
        }
        std::sort(byKey.begin(), byKey.end(), ByKeyText);
        std::size_t rowsSinceYield = 0;
        std::string line;
        for (const auto& [key, at] : byKey) {
            HeldGroup& group = groups[at];
            const std::string& text = *group.lines;
            std::size_t member = 0;
            for (std::size_t from = 0; from < text.size(); ++member) {
                std::size_t end = text.find("\r\n", from);
                if (end == std::string::npos) end = text.size();
                line.assign(text, from, end - from);
                from = end + 2;
                const std::optional<FileFacts> known =
                    member < group.facts.size() ? group.facts[member] : std::nullopt;
                if (auto row = rows_.Make(line, unit, key, known))
                    pending_.AddPair(box, std::move(*row));
            }
            group = HeldGroup(); // a big class holds its rows and its groups at once otherwise
            rowsSinceYield += member;
            if (rowsSinceYield >= kRowsPerYield) {
                rowsSinceYield = 0;
                if (!Yield(false)) return false;
            }
        }
        return true;
    }

    // A group file that cannot be read whole adds nothing and stays for the next load, which
    // would otherwise add the rows read before the failure a second time.
    // Gives the lines read.
    std::optional<std::size_t> LoadGroupFile(StoreFolder& folder, const std::string& name, int box,
                                             SizeUnit unit, const SharedText& key) {
        LineReader reader(fs_, folder.Handle(), name);
        if (!reader.IsOpen()) return std::nullopt;
        std::string line;
        std::vector<ResultRow> rows;
        std::size_t lines = 0;
        while (reader.Next(line)) {
            ++lines;
            if (auto row = rows_.Make(line, unit, key)) rows.push_back(std::move(*row));
        }
        if (reader.Failed()) return std::nullopt;
        for (ResultRow& row : rows)
            pending_.AddPair(box, std::move(row));
        return lines;
    }

    QPointer<ResultSet> results_;
    EngineHost& host_;
    PendingRows pending_;
    FileSystem& fs_;
    RowMaker rows_;
    std::string lastKey_;
    SharedText keyText_;
    LoadOutcome outcome_;
};

} // namespace

LoadOutcome LoadResult(ResultSet& results, EngineHost& host, const QString& fileName) {
    if (!results.TryBeginLoad()) return {LoadOutcome::Status::Busy, {}};
    host.SetAnimationInterval(kAnimationMs);
    host.SetStatusText(QStringLiteral("Loading result"));
    Loader loader(results, host);
    const QPointer<ResultSet> still(&results);
    const bool alive = (fileName.isEmpty() ? loader.LoadWorkStore()
                                           : loader.LoadResultFile(TextToPath(fileName))) &&
                       loader.Finish();
    if (!alive) {
        if (still) results.EndLoad(); // the window is closing
        return {LoadOutcome::Status::Abandoned, {}};
    }
    host.SetAnimationInterval(0);
    host.SetStatusText(QStringLiteral("Loading result..."));
    results.EndLoad();
    return loader.Outcome();
}

} // namespace quilder
