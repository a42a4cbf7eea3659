#include "DeleteCheck.h"

#include "ContentCheck.h"
#include "FileIdentity.h"
#include "FileSystem.h"
#include "PathText.h"
#include "ProtectedFolders.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "TaskHost.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <unordered_map>

namespace quilder {

bool TickedGroup::Whole() const {
    for (const MemberRow& row : rows)
        if (!row.ticked) return false;
    return !rows.empty();
}

std::vector<TickedGroup> TickedGroups(const ResultSet& results, int listIndex) {
    const ResultModel& list = results.List(listIndex);
    std::vector<QString> keys;
    QHash<QString, std::size_t> groupOf;
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Row(i).checked && !groupOf.contains(list.Row(i).SortKey())) {
            groupOf.insert(list.Row(i).SortKey(), keys.size());
            keys.push_back(list.Row(i).SortKey());
        }
    std::vector<TickedGroup> groups(keys.size());
    std::vector<QSet<QString>> shown(keys.size());
    for (int i = 0; i < list.RowCount(); ++i) {
        const ResultRow& row = list.Row(i);
        const auto group = groupOf.constFind(row.SortKey());
        if (group == groupOf.cend()) continue;
        MemberRow member{RowPathText(row), row.checked, row.Size()};
        shown[*group].insert(member.path);
        groups[*group].rows.push_back(std::move(member));
    }
    if (listIndex == 0) return groups;
    const ResultModel& all = results.List(0);
    for (int i = 0; i < all.RowCount(); ++i) {
        const ResultRow& row = all.Row(i);
        const auto group = groupOf.constFind(row.SortKey());
        if (group == groupOf.cend()) continue;
        QString path = RowPathText(row);
        if (!shown[*group].contains(path))
            groups[*group].rows.push_back({std::move(path), false, row.Size()});
    }
    return groups;
}

LastCopies CountLastCopies(const std::vector<TickedGroup>& groups) {
    LastCopies last;
    for (const TickedGroup& group : groups) {
        if (!group.Whole()) continue;
        ++last.groups;
        QSet<QString> counted;
        for (const MemberRow& row : group.rows)
            if (!counted.contains(row.path)) {
                counted.insert(row.path);
                last.bytes += row.size;
            }
    }
    return last;
}

bool InProtectedFolder(const ProtectedFolders& folders, FileSystem& fs, FolderHandles& handles,
                       const RecordedEntry& file, const std::vector<QString>& spellings) {
    if (folders.Empty()) return false;
    if (folders.Covers(PathToText(file.folderPath))) return true;
    for (const QString& path : spellings)
        if (folders.Covers(path.left(std::max<qsizetype>(path.lastIndexOf(QLatin1Char('/')), 1))))
            return true;
    FolderId id;
    int error = 0;
    const int folder = handles.Open(file.folderPath, id, error);
    return folder >= 0 && id == file.folder && folders.HoldsOpenFolder(fs, folder);
}

namespace {

constexpr qint64 kStatusEveryMs = 20;

class Check {
public:
    Check(TaskHost& host, FileSystem& fs)
        : host_(host), results_(&host.Results()), fs_(fs), folders_(fs),
          compare_(fs, [this] { return Yield(); }) {}

    CheckEnd Run(const std::vector<TickedGroup>& groups, std::vector<CheckedFile>& files) {
        members_.assign(groups.size(), {});
        for (std::size_t g = 0; g < groups.size(); ++g) {
            for (const MemberRow& row : groups[g].rows) {
                current_ = &row.path;
                if (!Yield()) return end_;
                members_[g].push_back(Resolve(row.path));
            }
        }
        const std::vector<TickedGroup> unlocked = Unlocked(groups);
        groups_ = &unlocked;
        std::vector<int> order; // ticked files, by their first ticked row
        std::vector<std::vector<std::size_t>> tickedIn;
        for (std::size_t g = 0; g < unlocked.size(); ++g) {
            for (std::size_t r = 0; r < unlocked[g].rows.size(); ++r) {
                const int file = members_[g][r];
                if (!unlocked[g].rows[r].ticked) continue;
                tickedIn.resize(files_.size());
                auto& in = tickedIn[static_cast<std::size_t>(file)];
                if (in.empty()) order.push_back(file);
                if (in.empty() || in.back() != g) in.push_back(g);
                files_[static_cast<std::size_t>(file)].ticked = true;
            }
        }
        const auto add = [&](const File& file) -> CheckedFile& {
            CheckedFile& out = files.emplace_back();
            out.path = file.spellings.front();
            out.spellings = file.spellings;
            out.entry = file.look.entry;
            return out;
        };
        for (const int index : locked_)
            add(files_[static_cast<std::size_t>(index)]).verdict = FileVerdict::Protected;
        for (const int index : order) {
            const File& file = files_[static_cast<std::size_t>(index)];
            CheckedFile& out = add(file);
            switch (file.look.kind) {
            case EntryLook::Kind::Missing:
                out.verdict = FileVerdict::Gone;
                break;
            case EntryLook::Kind::NotFile:
                out.verdict = FileVerdict::CannotRemove;
                break;
            case EntryLook::Kind::Unreachable:
                out.verdict = FileVerdict::CannotRemove;
                out.error = file.look.error;
                break;
            case EntryLook::Kind::File:
                if (!Decide(index, tickedIn[static_cast<std::size_t>(index)], out)) return end_;
                break;
            }
        }
        return CheckEnd::Finished;
    }

private:
    struct File {
        EntryLook look;
        std::vector<QString> spellings;
        bool ticked = false;
    };

    // The groups with the rows of files in protected folders unticked: such a file is a copy
    // that stays. Each of them goes to locked_ once.
    std::vector<TickedGroup> Unlocked(const std::vector<TickedGroup>& groups) {
        std::vector<TickedGroup> unlocked = groups;
        const ProtectedFolders& folders = results_->Protected();
        std::vector<signed char> locked(files_.size(), -1); // not looked at yet
        for (std::size_t g = 0; g < unlocked.size(); ++g)
            for (std::size_t r = 0; r < unlocked[g].rows.size(); ++r) {
                MemberRow& row = unlocked[g].rows[r];
                const auto file = static_cast<std::size_t>(members_[g][r]);
                if (!row.ticked) continue;
                if (locked[file] < 0) {
                    locked[file] = InProtectedFolder(
                        folders, fs_, folders_, files_[file].look.entry, files_[file].spellings);
                    if (locked[file]) locked_.push_back(static_cast<int>(file));
                }
                row.ticked = locked[file] == 0;
            }
        return unlocked;
    }

    // The file a path names, found once per path and once per entry whatever the spelling.
    int Resolve(const QString& path) {
        const auto known = byPath_.constFind(path);
        if (known != byPath_.cend()) return *known;
        const auto [folder, name] = SplitEntryPath(TextToPath(path));
        EntryLook look = LookUpEntry(folders_, folder, name);
        const bool folderKnown = look.entry.folder != FolderId{};
        int index = static_cast<int>(files_.size());
        const auto same = folderKnown ? byKey_.find(look.entry.Key()) : byKey_.end();
        if (same != byKey_.end()) {
            index = same->second;
            files_[static_cast<std::size_t>(index)].spellings.push_back(path);
        } else {
            if (folderKnown) byKey_.emplace(look.entry.Key(), index);
            files_.push_back({std::move(look), {path}});
        }
        byPath_.insert(path, index);
        return index;
    }

    // Why a file that stays cannot serve as the ticked file's copy, if it cannot: it is the
    // same file (a link of it, or it seen through another mount), or it may be.
    std::optional<FileVerdict> NoCopy(const RecordedEntry& file, const RecordedEntry& copy) {
        if (file.state.SameFile(copy.state)) return FileVerdict::HardLink;
        if (MaybeSameFile(file.state, copy.state)) return FileVerdict::SameFile;
        if (copy.state.device == file.state.device) return std::nullopt;
        FolderId id;
        int error = 0;
        const int folder = folders_.Open(copy.folderPath, id, error);
        if (folder < 0 || id != copy.folder || OnStackedFileSystem(folder))
            return FileVerdict::StackedCopy;
        return std::nullopt;
    }

    // Finds a copy that stays for the file in every group that is not wholly ticked.
    bool Decide(int index, const std::vector<std::size_t>& groups, CheckedFile& out) {
        bool compared = false;
        for (const std::size_t g : groups) {
            if ((*groups_)[g].Whole()) continue;
            std::vector<int> staying;
            std::optional<FileVerdict> sameFile; // a row that stays names this file
            const auto& rows = (*groups_)[g].rows;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const int other = members_[g][r];
                if (rows[r].ticked) continue;
                if (other == index)
                    sameFile = FileVerdict::SameFile;
                else if (!files_[static_cast<std::size_t>(other)].ticked &&
                         std::find(staying.begin(), staying.end(), other) == staying.end())
                    staying.push_back(other);
            }
            bool found = false;
            bool differs = false;
            for (const int other : staying) {
                current_ = &out.path;
                if (!Yield()) return false;
                RecordedEntry file = out.entry;
                RecordedEntry copy = files_[static_cast<std::size_t>(other)].look.entry;
                if (const auto no = NoCopy(file, copy)) {
                    sameFile = sameFile.value_or(*no);
                    continue;
                }
                const ContentVerdict verdict = compare_.Compare(folders_, file, copy);
                if (verdict == ContentVerdict::Abandoned) return false;
                if (verdict != ContentVerdict::Same) {
                    differs = true;
                    continue;
                }
                // Compared twice, the file must have stayed as it was.
                if (compared && file.state != out.entry.state) break;
                out.entry = file;
                out.copies.push_back(copy);
                compared = found = true;
                break;
            }
            if (!found) {
                out.verdict = differs            ? FileVerdict::Differs
                              : sameFile         ? *sameFile
                              : !staying.empty() ? FileVerdict::Differs
                                                 : FileVerdict::NoneStays;
                return true;
            }
        }
        out.verdict = FileVerdict::Remove;
        return true;
    }

    // False when the window closed or the user stopped the check.
    bool Yield() {
        if (!sinceStatus_.isValid() || sinceStatus_.elapsed() >= kStatusEveryMs) {
            host_.SetStatusText(QStringLiteral("Checking '") + *current_ + QLatin1Char('\''));
            sinceStatus_.start();
        }
        if (!host_.YieldStillOpen() || !results_) {
            end_ = CheckEnd::Closed;
            return false;
        }
        if (host_.StopRequested()) {
            end_ = CheckEnd::Stopped;
            return false;
        }
        return true;
    }

    TaskHost& host_;
    QPointer<ResultSet> results_;
    FileSystem& fs_;
    FolderHandles folders_;
    ContentCheck compare_;
    const std::vector<TickedGroup>* groups_ = nullptr;
    std::vector<std::vector<int>> members_; // per group and row: the index of its file
    std::vector<File> files_;
    QHash<QString, int> byPath_;
    std::unordered_map<EntryKey, int, EntryKeyHash> byKey_;
    std::vector<int> locked_; // ticked files in protected folders
    const QString* current_ = nullptr;
    QElapsedTimer sinceStatus_;
    CheckEnd end_ = CheckEnd::Finished;
};

} // namespace

CheckEnd CheckTickedFiles(TaskHost& host, const std::vector<TickedGroup>& groups,
                          std::vector<CheckedFile>& files) {
    Check check(host, FileSystemService());
    return check.Run(groups, files);
}

} // namespace quilder
