#include "FileLookUps.h"
#include "FileSystem.h"

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
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

// The folder of a path that names a file within it, or nothing: such a path is looked up as it
// is, and a path the system would refuse whole must never be found through a handle.
std::optional<std::string_view> FolderOf(std::string_view path) {
    if (path.empty() || path.front() != '/' || path.size() >= PATH_MAX ||
        path.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::size_t slash = path.rfind('/');
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
    // Each path's folder, numbered in the order first named.
    std::unordered_map<std::string_view, std::uint32_t> numbers;
    std::vector<std::string_view> folders;
    std::vector<std::uint32_t> folderOf;
    answers_.reserve(paths.size());
    folderOf.reserve(paths.size());
    for (const std::string_view path : paths) {
        const auto folder = FolderOf(path);
        if (!folder) continue; // LookUp takes it as it is
        const auto [at, added] =
            numbers.try_emplace(*folder, static_cast<std::uint32_t>(folders.size()));
        if (added) folders.push_back(*folder);
        folderOf.push_back(at->second);
        answers_.push_back({path, std::nullopt});
    }
    // The answers' positions folder by folder, each folder's in the order given.
    std::vector<std::uint32_t> first(folders.size() + 1, 0);
    for (const std::uint32_t folder : folderOf)
        ++first[folder + 1];
    for (std::size_t f = 0; f < folders.size(); ++f)
        first[f + 1] += first[f];
    std::vector<std::uint32_t> order(answers_.size());
    std::vector<std::uint32_t> filled(first.begin(), first.end() - 1);
    for (std::uint32_t i = 0; i < folderOf.size(); ++i)
        order[filled[folderOf[i]]++] = i;
    // What each look-up names, in that order: the name within its folder, or the whole path
    // of a folder's only file. Gathered before the look-ups, whose system calls would
    // otherwise wait for each line's text to come from memory.
    std::string names;
    std::vector<std::uint32_t> nameAt(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::string_view path = answers_[order[k]].path;
        const bool alone = first[folderOf[order[k]] + 1] - first[folderOf[order[k]]] == 1;
        nameAt[k] = static_cast<std::uint32_t>(names.size());
        names.append(alone ? path : path.substr(path.rfind('/') + 1));
        names.push_back('\0');
    }
    std::vector<std::optional<FileFacts>> facts(order.size());
    std::size_t sinceYield = 0;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        // One file alone costs an open and a close more through a handle than by its path.
        int handle = -1;
        if (first[f + 1] - first[f] > 1) handle = fs_.OpenFolder(std::string(folders[f]));
        for (std::uint32_t k = first[f]; k < first[f + 1]; ++k) {
            const char* name = names.c_str() + nameAt[k];
            if (handle >= 0)
                facts[k] = fs_.LookUpFileAt(handle, name);
            else if (first[f + 1] - first[f] == 1)
                facts[k] = fs_.LookUpFile(name);
            else // the folder cannot be opened: its files may still be looked up by path
                facts[k] = fs_.LookUpFile(std::string(answers_[order[k]].path));
            if (++sinceYield < kLookUpsPerYield) continue;
            sinceYield = 0;
            if (yield && !yield()) {
                if (handle >= 0) fs_.CloseFolder(handle);
                answers_.clear();
                return false;
            }
        }
        if (handle >= 0) fs_.CloseFolder(handle);
    }
    for (std::size_t k = 0; k < order.size(); ++k)
        answers_[order[k]].facts = facts[k];
    return true;
}

std::optional<FileFacts> FileLookUps::LookUp(const std::string& path) {
    const std::size_t end = std::min(answers_.size(), next_ + kAnswersPassedOver);
    for (std::size_t k = next_; k < end; ++k) {
        if (answers_[k].path != path) continue;
        next_ = k + 1;
        return answers_[k].facts;
    }
    return fs_.LookUpFile(path);
}

bool FileSystem::SetAttributes(const std::string& path, int attributes) {
    (void)attributes; // hidden and system have no counterpart here
    return IsFolder(path) || IsFile(path);
}

} // namespace quilder
