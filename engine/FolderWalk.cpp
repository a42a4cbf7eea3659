#include "FolderWalk.h"

#include "PathText.h"

#include <cerrno>
#include <fcntl.h>
#include <utility>

namespace quilder {

namespace {

// Open handles of the folders above the current one; deeper than this, sub-folders are opened
// by their whole path (still never through a link as the last step), so that a very deep tree
// does not run out of handles.
constexpr std::size_t kHeldHandles = 128;

} // namespace

FolderWalk::FolderWalk(FileSystem& fs, std::string root, bool recurse, const ListedFolders& listed)
    : fs_(fs), root_(std::move(root)), recurse_(recurse), listed_(listed) {}

FolderWalk::~FolderWalk() {
    for (const Level& level : levels_)
        if (level.handle >= 0) fs_.CloseFolder(level.handle);
}

bool FolderWalk::Next(WalkedFolder& out) {
    if (!started_) {
        started_ = true;
        if (Enter(FileSystem::kWalkRoot, 0, root_, root_, out)) return true;
    }
    while (!levels_.empty()) {
        Level& level = levels_.back();
        if (level.next == level.subs.size()) {
            if (level.handle >= 0) fs_.CloseFolder(level.handle);
            levels_.pop_back();
            continue;
        }
        const FolderEntry& sub = level.subs[level.next++];
        const bool held = level.handle >= 0;
        if (Enter(held ? level.handle : AT_FDCWD, level.device, held ? sub.name : sub.path,
                  sub.path, out))
            return true;
    }
    return false;
}

bool FolderWalk::Enter(int parent, std::uint64_t parentDevice, const std::string& name,
                       const std::string& path, WalkedFolder& out) {
    errno = 0;
    const int handle = fs_.ListFolderAt(parent, parentDevice, name, path, listing_);
    if (handle < 0) {
        if (errno == 0) return false; // a mount's root, or gone meanwhile
        out.path = path;
        out.read = false;
        out.error = errno;
        out.files.clear();
        out.leftOutFolders = 0;
        return true;
    }
    const auto known = listed_.find(listing_.id);
    const bool again = !reached_.insert(listing_.id).second;
    if (again || (known != listed_.end() && (known->second == Listed::Subtree || !recurse_))) {
        fs_.CloseFolder(handle);
        return false;
    }
    out.path = path;
    out.read = true;
    out.error = 0;
    out.newFiles = known == listed_.end();
    out.files = std::move(listing_.files);
    out.leftOutFolders = 0;
    if (!recurse_) {
        fs_.CloseFolder(handle);
        return true;
    }
    Level level{handle, listing_.id.device, {}, 0};
    level.subs.reserve(listing_.folders.size());
    for (FolderEntry& sub : listing_.folders) {
        if (HasLineBreakOrTab(sub.name)) { // nothing below it could be listed
            ++out.leftOutFolders;
            continue;
        }
        level.subs.push_back(std::move(sub));
    }
    if (levels_.size() >= kHeldHandles) {
        fs_.CloseFolder(level.handle);
        level.handle = -1;
    }
    levels_.push_back(std::move(level));
    return true;
}

void FolderWalk::RecordListed(ListedFolders& listed) const {
    for (const FolderId& id : reached_) {
        if (recurse_)
            listed[id] = Listed::Subtree;
        else
            listed.try_emplace(id, Listed::FilesOnly);
    }
}

} // namespace quilder
