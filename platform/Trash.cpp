#include "EntryState.h"
#include "FileSystem.h"
#include "SafeRemoval.h"
#include "TrashInfo.h"
#include "TrashPlace.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {

using Kind = RemovalOutcome::Kind;

// name, name.2, name.3 ...: enough for any real trash, and a bound on the attempts.
constexpr int kMostTrashNames = 100;
constexpr std::size_t kNameMax = 255;
constexpr std::string_view kInfoSuffix = ".trashinfo";

RemovalOutcome Failed(int error, std::string why) {
    return {Kind::Failed, error, std::move(why), {}};
}

// The name in files/ for an attempt. A long name is cut so that its .trashinfo name still fits
// (Path= keeps the whole original name); the cut backs off to a whole UTF-8 character.
std::string TrashName(const std::string& name, int attempt) {
    const std::string suffix = attempt == 1 ? std::string() : '.' + std::to_string(attempt);
    const std::size_t room = kNameMax - kInfoSuffix.size() - suffix.size();
    std::string base = name;
    if (base.size() > room) {
        base.resize(room);
        while (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80)
            base.pop_back();
        if (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0xC0)
            base.pop_back();
    }
    return base + suffix;
}

// The .trashinfo made for one attempt, removed again unless the move succeeded: no info file
// without its file, and no half-written one.
struct PendingInfo {
    int folder;
    std::string name;
    bool keep = false;
    ~PendingInfo() {
        if (!keep) unlinkat(folder, name.c_str(), 0);
    }
};

int WriteWhole(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return ENOSPC;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// What Path= holds: the absolute path in the home trash, the path below the drive's top in a
// drive's trash. Both are read from the handles, so they name where the file really is now.
bool OriginalPath(int folder, const TrashPlace& trash, const std::string& name, std::string& path) {
    const std::string here = PathOfHandle(folder);
    if (here.empty()) return false;
    std::string relative = here;
    if (trash.top.Valid()) {
        const std::string top = PathOfHandle(trash.top.Get());
        if (top.empty()) return false;
        if (top == "/")
            relative = here.substr(1);
        else if (here == top)
            relative.clear();
        else if (here.starts_with(top + '/'))
            relative = here.substr(top.size() + 1);
        else
            return false;
    }
    path = relative.empty() || relative.back() == '/' ? relative + name : relative + '/' + name;
    return true;
}

} // namespace

bool IsComparedFile(const struct stat& now, const EntryState& compared) {
    return static_cast<std::uint64_t>(now.st_dev) == compared.device &&
           static_cast<std::uint64_t>(now.st_ino) == compared.inode &&
           static_cast<std::uint64_t>(now.st_size) == compared.size &&
           static_cast<std::int64_t>(now.st_mtim.tv_sec) * 1'000'000'000 + now.st_mtim.tv_nsec ==
               compared.modifiedNs;
}

RemovalOutcome TrashComparedAt(int folder, const std::string& folderPath, const std::string& name,
                               const EntryState& compared) {
    TrashSearch search = FindTrashFor(folder);
    if (!search.found) return Failed(search.error, std::move(search.why));
    const TrashPlace& trash = search.place;
    std::string original;
    if (!OriginalPath(folder, trash, name, original))
        return Failed(ENOENT, "where " + folderPath + " now is cannot be told");
    const std::string text = TrashInfoText(original, std::time(nullptr));

    for (int attempt = 1; attempt <= kMostTrashNames; ++attempt) {
        const std::string trashName = TrashName(name, attempt);
        PendingInfo pending{trash.info.Get(), trashName + std::string(kInfoSuffix)};
        const OwnedFd info(openat(trash.info.Get(), pending.name.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!info.Valid()) {
            const int error = errno;
            pending.keep = true; // not ours to remove
            if (error == EEXIST) continue;
            return Failed(error, "no information file can be made in " + trash.infoPath);
        }
        struct stat taken {};
        if (fstatat(trash.files.Get(), trashName.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
            continue; // an entry, even a dangling link, holds that name in files/
        if (const int error = errno; error != ENOENT)
            return Failed(error, "the trash's " + trash.filesPath + " cannot be read");
        if (const int error = WriteWhole(info.Get(), text))
            return Failed(error, "its information file could not be written in " + trash.infoPath);
        if (fsync(info.Get()) != 0 || fsync(trash.info.Get()) != 0) {
            const int error = errno;
            return Failed(error, "its information file could not be written in " + trash.infoPath);
        }

        if (renameat2(folder, name.c_str(), trash.files.Get(), trashName.c_str(),
                      RENAME_NOREPLACE) != 0) {
            const int error = errno;
            if (error == EEXIST) continue;
            return Failed(error, error == EXDEV ? "the trash is on another drive" : std::string());
        }
        fsync(trash.files.Get());
        // Another program may have put another file under the name since it was compared.
        struct stat now {};
        const bool looked =
            fstatat(trash.files.Get(), trashName.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
        if (looked && S_ISREG(now.st_mode) && IsComparedFile(now, compared)) {
            pending.keep = true;
            return {Kind::Done, 0, {}, {}};
        }
        if (renameat2(trash.files.Get(), trashName.c_str(), folder, name.c_str(),
                      RENAME_NOREPLACE) == 0)
            return {Kind::Changed, 0, {}, {}};
        // Its name was taken meanwhile: it stays in the trash, where it can be restored from.
        pending.keep = true;
        return {Kind::Changed, 0, {}, trash.filesPath + '/' + trashName};
    }
    return Failed(EEXIST, "the trash already holds " + std::to_string(kMostTrashNames) +
                              " files named like it");
}

} // namespace quilder
