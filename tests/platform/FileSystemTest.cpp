#include "FileSystem.h"
#include "FileLookUps.h"
#include "MountPoints.h"
#include "PathText.h"
#include "ReadHandle.h"
#include "TestTree.h"
#include "UsableCores.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quilder;
using quilder::test::BindMounts;
using quilder::test::TestTree;
using ::testing::UnorderedElementsAre;

namespace {

template <class Entries> std::vector<std::string> Names(const Entries& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    return names;
}

// Entries as the system may describe them: one vanishes between the listing and its status,
// one is a bind mount (same device), one a btrfs sub-volume (another device, not a mount), one
// a mount on a system that cannot tell a mount's root.
class OddEntries : public FileSystem {
protected:
    bool StatusAt(int folder, const char* name, EntryStatus& out) override {
        const std::string n(name);
        if (n == "vanished") return errno = ENOENT, false;
        if (!FileSystem::StatusAt(folder, name, out)) return false;
        out.mountRoot = n == "bind";
        out.mountRootKnown = n != "old-mount";
        out.id.device += n == "subvolume" || n == "old-mount";
        return true;
    }
};

// Only regular files and real sub-folders; links, FIFOs and mount points are left out, and an
// entry that vanished only itself.
TEST(FileSystemListing, OnlyRegularFilesAndRealSubFolders) {
    TestTree tree;
    for (const char* name : {"bind", "subvolume", "old-mount", ".hidden-dir"})
        tree.Folder(name);
    for (const char* name : {"a.txt", ".hidden", "vanished"})
        tree.File(name, "abc");
    tree.Link("link-to-file", tree.Path("a.txt"));
    tree.Link("link-to-dir", tree.Path("subvolume"));
    tree.Fifo("pipe");
    OddEntries fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder(tree.Root(), listing));
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("a.txt", ".hidden"));
    EXPECT_THAT(Names(listing.folders), UnorderedElementsAre("subvolume", ".hidden-dir"));
    EXPECT_EQ(listing.files.front().size, 3u);
    EXPECT_FALSE(ReadHandle(fs, tree.Path("pipe")).IsOpen()); // would block forever if read
}

// A folder or a file mounted inside a listed folder is left out: the file would otherwise be
// grouped with its source, and deleting the source would lose the only copy.
TEST(FileSystemListing, AMountPointIsNeitherEnteredNorListed) {
    TestTree tree;
    tree.File("elsewhere/f", "x");
    const std::string source = tree.File("root/source", "content");
    BindMounts mounts;
    if (!mounts.Add(tree.Path("elsewhere"), tree.Folder("root/bound")) ||
        !mounts.Add(source, tree.File("root/copy", "")))
        GTEST_SKIP() << "cannot bind-mount here (root only): " << std::strerror(errno);
    FileSystem fs;
    FolderListing listing;
    ASSERT_TRUE(fs.ListFolder(tree.Path("root"), listing));
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("source"));
    EXPECT_TRUE(listing.folders.empty());
    const int root = fs.OpenFolder(tree.Path("root"));
    EXPECT_TRUE(IsMountRootAt(root, "copy") && IsMountRootAt(root, "bound"));
    EXPECT_FALSE(IsMountRootAt(root, "source") || IsMountRootAt(root, "missing"));
    fs.CloseFolder(root);
}

// A walk's step opens a sub-folder from its parent's handle: never through a link, never into
// a mount (a bind mount on the same device included), an entry gone meanwhile is no failure;
// a folder is known by the same identity whatever path reached it.
TEST(FileSystemListing, AWalkStepNeverFollowsALinkNorEntersAMount) {
    TestTree tree;
    tree.File("elsewhere/f", "x");
    tree.File("root/a", "abc");
    tree.File("root/sub/b", "b");
    const std::string source = tree.File("root/source", "content");
    tree.Link("root/link-to-dir", tree.Path("root/sub"));
    tree.Link("alias", tree.Path("root"));
    tree.Fifo("root/pipe");
    BindMounts mounts;
    if (!mounts.Add(tree.Path("elsewhere"), tree.Folder("root/bound")) ||
        !mounts.Add(source, tree.File("root/copy", "")))
        GTEST_SKIP() << "cannot bind-mount here (root only): " << std::strerror(errno);
    FileSystem fs;
    FolderListing byPath, listing, sub;
    ASSERT_TRUE(fs.ListFolder(tree.Path("root"), byPath));
    const int root =
        fs.ListFolderAt(FileSystem::kWalkRoot, 0, "", tree.Path("alias"), listing); // a link
    ASSERT_GE(root, 0);
    EXPECT_EQ(listing.id, byPath.id);
    EXPECT_THAT(Names(listing.files), UnorderedElementsAre("a", "source"));
    for (const FileEntry& file : listing.files)
        EXPECT_EQ(file.size, file.name == "a" ? 3u : 7u);
    EXPECT_THAT(Names(listing.folders), UnorderedElementsAre("sub", "bound"));
    const auto stepError = [&](const std::string& name) { // -1 when listed
        errno = EINVAL;
        const int handle =
            fs.ListFolderAt(root, listing.id.device, name, JoinPath(tree.Path("alias"), name), sub);
        const int error = errno;
        if (handle >= 0) fs.CloseFolder(handle);
        return handle >= 0 ? -1 : error;
    };
    EXPECT_EQ(stepError("sub"), -1);
    EXPECT_THAT(Names(sub.files), UnorderedElementsAre("b"));
    EXPECT_EQ(sub.files.front().path, tree.Path("alias/sub/b"));
    for (const char* notListed : {"bound", "link-to-dir", "gone", "a"})
        EXPECT_EQ(stepError(notListed), 0) << notListed;
    // Reads of a handle read before start from its first entry again.
    std::vector<std::string> names, again;
    EXPECT_TRUE(fs.ListFileNamesAt(root, names) && fs.ListFileNamesAt(root, again));
    EXPECT_EQ(again, names);
    EXPECT_THAT(names, ::testing::Contains("a"));
    fs.CloseFolder(root);
}

// The cores the process may run on, less those other programs keep busy: one, when pinned to
// one core or when every other core it may use is kept busy by another process. Its own busy
// threads (the store's idle-priority writer, say) are not another program's load.
TEST(FileSystemCores, UsableCoresLeaveOutCoresNotAllowedAndCoresKeptBusy) {
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    const int count = CPU_COUNT(&allowed);
    EXPECT_GE(UsableCores(), 1u);
    EXPECT_LE(UsableCores(), static_cast<unsigned>(count));
    if (count < 2) GTEST_SKIP() << "one core only";
    const auto spinning = [](auto start, int n) {
        std::atomic<bool> spin{true};
        std::vector<std::thread> own;
        std::vector<pid_t> others;
        for (int k = 0; k < n; ++k)
            start(spin, own, others);
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // all of them running
        const std::pair<unsigned, int> usable{UsableCores(), OwnRunnableThreads()};
        spin = false;
        for (std::thread& t : own)
            t.join();
        for (const pid_t pid : others) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        return usable;
    };
    const auto thread = [](std::atomic<bool>& spin, std::vector<std::thread>& own, auto&) {
        own.emplace_back([&spin] {
            while (spin.load(std::memory_order_relaxed)) {
            }
        });
    };
    const auto process = [](std::atomic<bool>&, auto&, std::vector<pid_t>& others) {
        const pid_t pid = fork();
        if (pid == 0)
            for (;;) {
            }
        others.push_back(pid);
    };
    EXPECT_EQ(spinning(process, count - 1).first, 1u);
    EXPECT_GE(spinning(thread, count - 1).second, count); // the caller too
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(UsableCores(), 1u);
    sched_setaffinity(0, sizeof allowed, &allowed);
}

// Midnight shows the date alone; other times add the seconds but no zone name (the column would
// cut it off). From seconds, remembered or not, the text is the same as from the local time.
// The read-ahead asks for files ahead only when a file is found not to be in the cache.
TEST(FileSystemCache, AFileDroppedFromTheCacheIsToldAndPrefetchBringsItBack) {
    TestTree tree;
    const std::string path = tree.File("f", std::string(64 * 1024, 'x'));
    FileSystem fs;
    EXPECT_TRUE(fs.IsCached(path));
    EXPECT_TRUE(fs.IsCached(tree.Path("missing")));
    const auto resident = [&] { // whether the first page is in the cache, as the system says
        const int fd = open(path.c_str(), O_RDONLY);
        void* map = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
        unsigned char page = 0;
        mincore(map, 4096, &page);
        munmap(map, 4096);
        close(fd);
        return (page & 1) != 0;
    };
    const auto drop = [&] {
        const int fd = open(path.c_str(), O_RDONLY);
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        close(fd);
    };
    drop();
    if (resident()) GTEST_SKIP() << "this file system keeps the pages: " << tree.Root();
    EXPECT_FALSE(fs.IsCached(path));
    drop(); // the look itself may have started reading
    fs.Prefetch(path, 4096);
    for (int wait = 0; wait < 1000 && !resident(); ++wait)
        usleep(1000);
    EXPECT_TRUE(resident());
}

// Files looked up ahead through their folder's handle answer as a look-up by path would: a link
// in the folder's path is followed, one in the name is not. An answer is handed out only for its
// own path, in turn; anything else is looked up afresh. A path listed twice answers twice.
TEST(FileSystemLookUp, LookUpsAheadAnswerAsByPathAndOnlyInTurn) {
    TestTree tree;
    const std::string a = tree.File("real/a", "1"), b = tree.File("real/b", "22");
    tree.Link("via", tree.Path("real"));
    const std::string link = tree.Link("real/link", a);
    const std::string c = tree.File("c", "333"); // its folder's only file
    std::vector<std::string> paths{tree.Path("via/a"), tree.Path("via/b"), a, link, c,
                                   tree.Path("via/b")};
    for (const char* more : {"e", "f", "g", "h", "i", "j"}) // enough for a handle of via
        paths.push_back(tree.File(std::string("via/") + more, "x"));
    FileLookUps files(FileSystemService());
    ASSERT_TRUE(files.Prepare({paths.begin(), paths.end()}, [] { return true; }));
    tree.File("real/b", "4444"); // changed after its look-up: the answer stays
    tree.File("c", "55555");

    EXPECT_EQ(files.LookUp(paths[0])->size, 1u);
    EXPECT_EQ(files.LookUp(paths[1])->size, 2u);
    EXPECT_FALSE(files.LookUp(link)); // real/a's answer passed over
    EXPECT_EQ(files.LookUp(c)->size, 3u);
    EXPECT_EQ(files.LookUp(paths[5])->size, 2u); // listed twice: the answer of the look-up
    EXPECT_EQ(files.LookUp(paths[1])->size, 4u); // asked again: afresh
    EXPECT_EQ(FileLookUps(FileSystemService()).LookUp(c)->size, 5u);
}

// A second thread looks up the later folders: every answer is still the one a look-up by path
// gives, repeats and missing files included.
TEST(FileSystemLookUp, ManyLookUpsAnswerAsByPath) {
    TestTree tree;
    std::vector<std::string> paths;
    for (int f = 0; f < 20; ++f)
        for (int k = 0; k < 20; ++k)
            paths.push_back(tree.File("d" + std::to_string(f) + "/" + std::to_string(k),
                                      std::string(static_cast<std::size_t>(f + k), 'x')));
    paths.push_back(tree.Path("d7/missing"));
    for (int k = 0; k < 40; ++k)
        paths.push_back(paths[static_cast<std::size_t>(k * 9)]);
    FileLookUps files(FileSystemService(), 2);
    ASSERT_TRUE(files.Prepare({paths.begin(), paths.end()}, [] { return true; }));
    for (const std::string& path : paths) {
        const auto byPath = FileSystemService().LookUpFile(path);
        const auto ahead = files.LookUp(path);
        ASSERT_EQ(ahead.has_value(), byPath.has_value()) << path;
        if (ahead) {
            EXPECT_EQ(ahead->size, byPath->size) << path;
        }
    }
}

} // namespace
