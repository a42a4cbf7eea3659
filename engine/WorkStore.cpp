#include "WorkStore.h"

#include "EntryTreeRemoval.h"
#include "HeldGroups.h"
#include "IdlePriority.h"
#include "LineFile.h"
#include "PathText.h"
#include "ScanLists.h"
#include "StoreWriter.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <utility>

namespace quilder {

std::array<std::string, kClassCount> ScanFolderPaths;

namespace {

constexpr const char* kParts[] = {"scanned", "compared"};
constexpr int kScanned = 0;
constexpr int kCompared = 1;
// Where a reset moves the previous job's scan lists: a thread of their own removes them while the
// new job scans, instead of the job waiting for thousands of deletions.
constexpr const char* kOldScanned = "scanned.old";

// Why a folder of the store was left in place.
const QString kMountLeftReason = QStringLiteral(
    "Another file system is mounted there. The work store never empties a mounted folder: "
    "unmount it, or move it out of the work store.");

StoreFailure MountLeft(const std::string& program, const std::string& relative) {
    return {JoinPath(program, relative), kMountLeftReason};
}

struct Store {
    std::string program;
    std::array<std::array<std::string, kClassCount>, 2> paths;
    std::array<std::array<int, kClassCount>, 2> handles;
    std::thread remover;
    std::atomic<bool> stopRemover{false};
    std::atomic<bool> removerDone{false};
    std::string removerMountLeft; // written by the remover, read once it is over
    Store() {
        for (auto& part : handles)
            part.fill(-1);
    }
    ~Store() { AbandonRemover(); }
    // What the removal has not reached stays in scanned.old, for the next one to take along.
    void AbandonRemover() {
        stopRemover = true;
        AwaitRemover();
        stopRemover = false;
    }
    void AwaitRemover() {
        if (remover.joinable()) remover.join();
    }
    // A mount the last removal left in place, once the removal is over; reported once.
    std::optional<StoreFailure> TakeRemoverFailure() {
        if (remover.joinable() && !removerDone.load(std::memory_order_acquire)) return {};
        AwaitRemover();
        if (removerMountLeft.empty()) return {};
        return MountLeft(program, std::exchange(removerMountLeft, std::string()));
    }
};

Store& TheStore() {
    static Store store;
    return store;
}

void CloseHandles(int part) {
    // Nothing may be written through a handle once it is closed: its number may be reused.
    std::vector<int> open;
    for (const int fd : TheStore().handles[part])
        if (fd >= 0) open.push_back(fd);
    if (!open.empty()) StoreWriterService().Forget(open);
    for (int& fd : TheStore().handles[part]) {
        if (fd >= 0) FileSystemService().CloseFolder(fd);
        fd = -1;
    }
}

// A real folder `name` in `at`, made when missing; a link or file standing there is removed as
// an entry first. -1, with the failure noted, when there is none to be had.
int RealFolderAt(FileSystem& fs, int at, const std::string& name, const std::string& path,
                 std::optional<StoreFailure>& failure) {
    int fd = fs.OpenFolderAt(at, name);
    if (fd >= 0) return fd;
    if (errno == ELOOP || errno == ENOTDIR) fs.RemoveEntryAt(at, name);
    if (!fs.MakeFolderAt(at, name) && errno != EEXIST) {
        if (!failure) failure = StoreFailureOf(path, errno);
        return -1;
    }
    fd = fs.OpenFolderAt(at, name);
    if (fd < 0 && !failure) failure = StoreFailureOf(path, errno);
    return fd;
}

// Moves the scanned folder aside as scanned.old, or into it when an abandoned removal left one,
// so that one removal takes both. True when there is a scanned.old to remove; the scanned folder
// may still be there when it could not be moved, and is then emptied where it stands.
bool MoveAsideScanned(FileSystem& fs, int program) {
    TheStore().AbandonRemover();
    const int old = fs.OpenFolderAt(program, kOldScanned); // never through a link
    if (old < 0) {
        return fs.RemoveEntryAt(program, kOldScanned) && // a file or link there goes as an entry
               fs.MoveEntryAt(program, kParts[kScanned], kOldScanned) == 0;
    }
    for (int n = 1; n <= 100; ++n) {
        const int error =
            fs.MoveEntryTo(program, kParts[kScanned], old, "scanned." + std::to_string(n));
        if (error != EEXIST) break;
    }
    fs.CloseFolder(old);
    return true;
}

std::optional<StoreFailure> ResetStore(int part) {
    FileSystem& fs = FileSystemService();
    Store& store = TheStore();
    const std::string root = JoinPath(store.program, kParts[part]);
    LineFileService().DiscardUnder(root);
    if (part == kScanned) ScanListsService().Clear();
    CloseHandles(part);
    if (part == kCompared) HeldGroupsService().Reset(); // the previous job's groups go
    const int program = fs.OpenFolder(store.program);
    if (program < 0) return StoreFailureOf(store.program, errno);
    const bool oldScanned = part == kScanned && MoveAsideScanned(fs, program);
    std::optional<StoreFailure> failure = store.TakeRemoverFailure();
    if (oldScanned) {
        const int at = dup(program);
        store.removerDone = false;
        if (at >= 0)
            store.remover = std::thread([at, &store] {
                RunAtIdlePriority(); // nobody waits for it: it takes the time the job leaves
                RemoveEntryTreeAt(at, kOldScanned, &store.stopRemover, &store.removerMountLeft);
                close(at);
                store.removerDone.store(true, std::memory_order_release);
            });
    }
    // A folder that cannot go is emptied as far as can be; one mounted there stays, and says so.
    std::string mountLeft;
    RemoveEntryTreeAt(program, kParts[part], nullptr, &mountLeft);
    if (!mountLeft.empty() && !failure) failure = MountLeft(store.program, mountLeft);
    const int rootFd = RealFolderAt(fs, program, kParts[part], root, failure);
    fs.CloseFolder(program);
    if (rootFd < 0) return failure;
    for (int order = 0; order < kClassCount; ++order)
        store.handles[part][order] = RealFolderAt(fs, rootFd, std::string(kSizeClasses[order].code),
                                                  store.paths[part][order], failure);
    fs.CloseFolder(rootFd);
    if (part == kCompared) {
        // Only a folder emptied for certain holds nothing but the groups held from now on.
        for (int order = 0; order < kClassCount; ++order)
            if (!failure && store.handles[part][order] >= 0) HeldGroupsService().Held(order);
    } else {
        (void)StoreWriterService().TakeFailure(); // of a store about to be rebuilt
    }
    // Hidden and system attributes have no counterpart here.
    return failure;
}

} // namespace

StoreFailure StoreFailureOf(std::string path, int error) {
    return {std::move(path), QString::fromLocal8Bit(std::strerror(error))};
}

void InitWorkStorePaths(const std::string& programFolder) {
    ReleaseStoreHandles();
    Store& store = TheStore();
    store.removerMountLeft.clear(); // it was below the old folder
    store.program = programFolder;
    for (int part = 0; part < 2; ++part)
        for (int order = 0; order < kClassCount; ++order)
            store.paths[part][order] = JoinPath(JoinPath(programFolder, kParts[part]),
                                                std::string(kSizeClasses[order].code));
    ScanFolderPaths = store.paths[kScanned];
}

const std::string& ProgramFolder() {
    return TheStore().program;
}

std::string ScanStorePath() {
    return JoinPath(ProgramFolder(), kParts[kScanned]);
}

std::string CompareStorePath() {
    return JoinPath(ProgramFolder(), kParts[kCompared]);
}

const std::string& GroupFolderPath(int classOrder) {
    return TheStore().paths[kCompared][classOrder];
}

std::optional<StoreFailure> ResetScanStore() {
    return ResetStore(kScanned);
}

std::optional<StoreFailure> ResetCompareStore() {
    return ResetStore(kCompared);
}

int StoreFolderHandle(const std::string& folderPath) {
    Store& store = TheStore();
    for (int part = 0; part < 2; ++part) {
        for (int order = 0; order < kClassCount; ++order) {
            if (store.paths[part][order] != folderPath) continue;
            int& fd = store.handles[part][order];
            if (fd >= 0) return fd;
            StoreFolder folder(FileSystemService(), std::string(kParts[part]) + "/" +
                                                        std::string(kSizeClasses[order].code));
            if (folder.IsOpen()) fd = FileSystemService().OpenFolderAt(folder.Handle(), ".");
            return fd;
        }
    }
    errno = EPERM; // not a folder of the store
    return -1;
}

void AwaitScanListRemoval() {
    TheStore().AwaitRemover();
}

void ReleaseStoreHandles() {
    TheStore().AbandonRemover();
    CloseHandles(kScanned);
    CloseHandles(kCompared);
    HeldGroupsService().Reset();
}

StoreFolder::StoreFolder(FileSystem& fs, const std::string& relative) : fs_(fs) {
    fd_ = fs.OpenFolder(ProgramFolder());
    std::size_t start = 0;
    while (fd_ >= 0 && start < relative.size()) {
        std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos) slash = relative.size();
        const std::string name = relative.substr(start, slash - start);
        start = slash + 1;
        if (name.empty()) continue;
        const int next = name == ".." ? -1 : fs.OpenFolderAt(fd_, name);
        fs.CloseFolder(fd_);
        fd_ = next;
    }
}

void StoreFolder::DeleteLater(std::string name) {
    if (fd_ < 0) return;
    StoreWriterService().Delete(fd_, std::move(name));
    deleting_ = true;
}

void StoreFolder::AwaitDeletes() {
    if (std::exchange(deleting_, false)) StoreWriterService().Drain();
}

StoreFolder::~StoreFolder() {
    AwaitDeletes();
    if (fd_ >= 0) fs_.CloseFolder(fd_);
}

} // namespace quilder
