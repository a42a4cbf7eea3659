#include "FileLookUps.h"
#include "FileSystem.h"
#include "UsableCores.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace quilder {

bool FileSystem::IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileSystem::IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> FileSystem::FileSize(const std::string& path) {
    struct stat st {};
    if (path.empty() || lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

namespace {

std::optional<FileFacts> FactsOfFile(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return FileFacts{static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec)};
}

// As often as a load yields per line.
constexpr std::size_t kLookUpsPerYield = 50;
// Answers a caller passes over, for paths it found no file could have, before it asks again.
constexpr std::size_t kAnswersPassedOver = 8;
// A folder's handle costs an open and a close: fewer files are looked up by their paths.
constexpr std::uint32_t kLeastFilesThroughHandle = 8;
// Paths worth a second thread.
constexpr std::size_t kLeastFilesSplit = 4096;
// A folder of up to this many files finds a name listed twice by comparing it with the others.
constexpr std::uint32_t kMostFilesComparedInTurn = 16;

// The position of a path's last separator (npos when there is none).
std::size_t LastSlash(std::string_view path) {
    const void* slash = memrchr(path.data(), '/', path.size());
    return slash ? static_cast<std::size_t>(static_cast<const char*>(slash) - path.data())
                 : std::string_view::npos;
}

// The folder of a path that names a file within it, or nothing: such a path is looked up as it
// is, and a path the system would refuse whole must never be found through a handle.
std::optional<std::string_view> FolderOf(std::string_view path) {
    if (path.empty() || path.front() != '/' || path.size() >= PATH_MAX ||
        path.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::size_t slash = LastSlash(path);
    if (slash + 1 == path.size()) return std::nullopt;
    return path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

std::optional<FileFacts> FileSystem::LookUpFile(const std::string& path) {
    // Only absolute paths name a file: a relative one would depend on the working folder.
    if (path.empty() || path.front() != '/') return std::nullopt;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    return FactsOfFile(st);
}

std::optional<FileFacts> FileSystem::LookUpFileAt(int folder, const char* name) {
    struct stat st {};
    if (*name == '\0' || fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return FactsOfFile(st);
}

bool FileLookUps::Prepare(const std::vector<std::string_view>& paths,
                          const std::function<bool()>& yield) {
    answers_.clear();
    next_ = 0;
    // Memory is read in order wherever it can be: a look-up's system call waits for anything
    // the program had to fetch first, so the names are gathered before the look-ups.
    // Each path's folder, numbered in the order first named.
    std::unordered_map<std::string_view, std::uint32_t> numbers;
    std::vector<std::uint32_t> folderOf;
    std::vector<std::uint32_t> first(1, 0); // then the count of each folder's files
    answers_.reserve(paths.size());
    folderOf.reserve(paths.size());
    for (const std::string_view path : paths) {
        const auto folder = FolderOf(path);
        if (!folder) continue; // LookUp takes it as it is
        const auto [at, added] = numbers.try_emplace(*folder, first.size() - 1);
        if (added) first.push_back(0);
        ++first[at->second + 1];
        folderOf.push_back(at->second);
        answers_.push_back({path, std::nullopt});
    }
    if (yield && !yield()) return answers_.clear(), false;
    const std::size_t count = answers_.size();
    const std::size_t folders = first.size() - 1;
    for (std::size_t f = 0; f < folders; ++f)
        first[f + 1] += first[f];
    // Each answer's place among the look-ups, folder by folder and within a folder in the
    // order given, and where its name lies in `names`: the name within the folder, or the
    // whole path of a file looked up by its path.
    const auto alone = [&](std::uint32_t f) {
        return first[f + 1] - first[f] < kLeastFilesThroughHandle;
    };
    const auto nameOf = [&](std::size_t i) {
        const std::string_view path = answers_[i].path;
        return alone(folderOf[i]) ? path : path.substr(LastSlash(path) + 1);
    };
    std::vector<std::uint32_t> order(count), placeOf(count), nameAt(count + 1, 0);
    std::vector<std::uint32_t> filled(first.begin(), first.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t k = filled[folderOf[i]]++;
        order[k] = static_cast<std::uint32_t>(i);
        placeOf[i] = k;
        nameAt[k + 1] = static_cast<std::uint32_t>(nameOf(i).size() + 1);
    }
    for (std::size_t k = 0; k < count; ++k)
        nameAt[k + 1] += nameAt[k];
    std::string names(nameAt[count], '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = nameOf(i);
        name.copy(names.data() + nameAt[placeOf[i]], name.size());
    }
    if (yield && !yield()) return answers_.clear(), false;

    std::vector<std::optional<FileFacts>> facts(count);
    const auto nameAtPlace = [&](std::uint32_t k) {
        return std::string_view(names.c_str() + nameAt[k], nameAt[k + 1] - nameAt[k] - 1);
    };
    // Looks up the files of folders [from, to); the calling thread yields now and then. Each
    // call fills only the places of its own folders, so two may run side by side.
    std::atomic<bool> abandoned{false};
    const auto lookUpFolders = [&](std::uint32_t from, std::uint32_t to, bool yielding) {
        std::size_t sinceYield = 0;
        std::unordered_map<std::string_view, std::uint32_t> seen; // the names of a big folder
        for (std::uint32_t f = from; f < to; ++f) {
            // A path listed twice is looked up once: the first place it was looked up at.
            const bool inTurn = first[f + 1] - first[f] <= kMostFilesComparedInTurn;
            seen.clear();
            const auto earlier = [&](std::uint32_t k) -> std::optional<std::uint32_t> {
                const std::string_view name = nameAtPlace(k);
                if (!inTurn) {
                    const auto [at, added] = seen.try_emplace(name, k);
                    return added ? std::nullopt : std::optional(at->second);
                }
                for (std::uint32_t j = first[f]; j < k; ++j)
                    if (nameAtPlace(j) == name) return j;
                return std::nullopt;
            };
            int handle = -1;
            if (!alone(f)) {
                const std::string_view path = answers_[order[first[f]]].path;
                handle = fs_.OpenFolder(std::string(*FolderOf(path)));
            }
            for (std::uint32_t k = first[f]; k < first[f + 1]; ++k) {
                if (const auto same = earlier(k)) {
                    facts[k] = facts[*same];
                    continue;
                }
                const char* name = names.c_str() + nameAt[k];
                if (handle >= 0)
                    facts[k] = fs_.LookUpFileAt(handle, name);
                else if (alone(f))
                    facts[k] = fs_.LookUpFile(name);
                else // the folder cannot be opened: its files may still be looked up by path
                    facts[k] = fs_.LookUpFile(std::string(answers_[order[k]].path));
                if (++sinceYield < kLookUpsPerYield) continue;
                sinceYield = 0;
                if (abandoned || (yielding && yield && !yield())) {
                    abandoned = true;
                    if (handle >= 0) fs_.CloseFolder(handle);
                    return false;
                }
            }
            if (handle >= 0) fs_.CloseFolder(handle);
        }
        return true;
    };
    // With a second core free, the later folders (about half the files) are looked up on a
    // thread of their own: a look-up is a system call, and they cost the most of a load.
    auto split = static_cast<std::uint32_t>(folders);
    const bool two =
        threads_ == 0 ? count >= kLeastFilesSplit && UsableCores() >= 2 : threads_ == 2;
    if (two && SafeOnAnyThread(fs_))
        split = static_cast<std::uint32_t>(
            std::upper_bound(first.begin(), first.end(), first[folders] / 2) - first.begin() - 1);
    std::thread helper;
    bool helperDone = true;
    std::atomic<bool> helperOver{true};
    if (split < folders) {
        try {
            helperOver = false;
            helper = std::thread([&] {
                helperDone = lookUpFolders(split, folders, false);
                helperOver = true;
            });
        } catch (const std::system_error&) { // no thread to be had: all on this one
            helperOver = true;
            split = static_cast<std::uint32_t>(folders);
        }
    }
    bool done = lookUpFolders(0, split, true);
    // The window keeps answering while the other half is finished.
    while (!helperOver) {
        if (!done || (yield && !yield())) {
            done = false;
            abandoned = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!done) abandoned = true;
    if (helper.joinable()) helper.join();
    if (!done || !helperDone) return answers_.clear(), false;
    for (std::size_t k = 0; k < count; ++k)
        answers_[order[k]].facts = facts[k];
    return true;
}

std::optional<FileFacts> FileLookUps::LookUp(std::string_view path) {
    const std::size_t end = std::min(answers_.size(), next_ + kAnswersPassedOver);
    for (std::size_t k = next_; k < end; ++k) {
        if (answers_[k].path != path) continue;
        next_ = k + 1;
        return answers_[k].facts;
    }
    return fs_.LookUpFile(std::string(path));
}

bool FileSystem::SetAttributes(const std::string& path, int attributes) {
    (void)attributes; // hidden and system have no counterpart here
    return IsFolder(path) || IsFile(path);
}

} // namespace quilder
