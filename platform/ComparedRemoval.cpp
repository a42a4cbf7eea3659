#include "SafeRemoval.h"

#include "EntryMoves.h"
#include "EntryState.h"
#include "FileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace quilder {

namespace {

constexpr int kMostTemporaryNames = 100;

// A name no other program is likely to use, new for every removal of this process.
std::string TemporaryName(int attempt) {
    static std::atomic<unsigned> counter{0};
    return ".quilder-removing-" + std::to_string(getpid()) + '-' +
           std::to_string(counter.fetch_add(1, std::memory_order_relaxed)) + '-' +
           std::to_string(attempt);
}

} // namespace

// Some file systems (FUSE ones, older network shares) refuse RENAME_NOREPLACE. Moving to a
// temporary name of our own then needs no guard beyond a look that it is free; moving back to
// a name another program may take again goes through a link, which never replaces either.
int MoveToTemporary(int folder, const std::string& name, const std::string& temporary) {
    if (renameat2(folder, name.c_str(), folder, temporary.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    struct stat taken {};
    if (fstatat(folder, temporary.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return renameat(folder, name.c_str(), folder, temporary.c_str()) == 0 ? 0 : errno;
}

bool MoveBack(int folder, const std::string& temporary, const std::string& name) {
    if (renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    return linkat(folder, temporary.c_str(), folder, name.c_str(), 0) == 0 &&
           unlinkat(folder, temporary.c_str(), 0) == 0;
}

namespace {

std::string PlaceIn(const std::string& folderPath, const std::string& name) {
    return folderPath.empty() || folderPath.back() == '/' ? folderPath + name
                                                          : folderPath + '/' + name;
}

} // namespace

RemovalOutcome RemoveComparedAt(int folder, const std::string& folderPath, const std::string& name,
                                const EntryState& compared) {
    using Kind = RemovalOutcome::Kind;
    // Away from its name first: whatever is then under the temporary name is what we look at
    // and what we unlink, and no program can put another file there meanwhile.
    std::string temporary;
    for (int attempt = 0;; ++attempt) {
        if (attempt == kMostTemporaryNames) return {Kind::Failed, EEXIST, {}, {}};
        temporary = TemporaryName(attempt);
        const int error = MoveToTemporary(folder, name, temporary);
        if (error == 0) break;
        if (error != EEXIST) return {Kind::Failed, error, {}, {}};
    }
    struct stat now {};
    const bool looked = fstatat(folder, temporary.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    if (looked && S_ISREG(now.st_mode) && IsComparedFile(now, compared)) {
        if (unlinkat(folder, temporary.c_str(), 0) == 0) return {Kind::Done, 0, {}, {}};
        const int error = errno;
        if (MoveBack(folder, temporary, name)) return {Kind::Failed, error, {}, {}};
        return {Kind::Failed, error, "it is left as " + PlaceIn(folderPath, temporary), {}};
    }
    // Another program's file: it goes back under its name, or, if that was taken meanwhile,
    // stays where the user is told to find it.
    if (MoveBack(folder, temporary, name)) return {Kind::Changed, 0, {}, {}};
    return {Kind::Changed, 0, {}, PlaceIn(folderPath, temporary)};
}

RemovalOutcome FileSystem::RemoveCompared(int folder, const std::string& folderPath,
                                          const std::string& name, const EntryState& compared) {
    return RemoveComparedAt(folder, folderPath, name, compared);
}

RemovalOutcome FileSystem::TrashCompared(int folder, const std::string& folderPath,
                                         const std::string& name, const EntryState& compared) {
    return TrashComparedAt(folder, folderPath, name, compared);
}

} // namespace quilder
