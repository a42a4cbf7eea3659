#include "EntryState.h"
#include "PathText.h"
#include "SafeRemoval.h"
#include "TestTree.h"

#include <QDateTime>
#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quilder;
using quilder::test::BindMounts;
using quilder::test::TestTree;
using Kind = RemovalOutcome::Kind;

namespace {

EntryState StateOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return {static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
            0,
            1};
}

// Trashes the file at `path` through a handle of its folder, compared as `compared`.
RemovalOutcome Trash(const std::string& path, const EntryState& compared) {
    const auto [folderPath, name] = SplitEntryPath(path);
    const int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const RemovalOutcome outcome = TrashComparedAt(folder, folderPath, name, compared);
    close(folder);
    return outcome;
}
RemovalOutcome Trash(const std::string& path) {
    return Trash(path, StateOf(path));
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}
unsigned Mode(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}
QStringList Names(const std::string& folder) {
    return QDir(QString::fromStdString(folder))
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Path= read back as a file manager reads it: the percent-escapes decoded.
std::string RestorePath(const std::string& info) {
    const std::size_t start = info.find("\nPath=");
    const std::size_t end = start == std::string::npos ? start : info.find('\n', start + 6);
    if (end == std::string::npos) return {};
    const std::string encoded = info.substr(start + 6, end - start - 6);
    std::string path;
    for (std::size_t i = 0; i < encoded.size(); ++i)
        if (encoded[i] == '%' && i + 2 < encoded.size())
            path += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16)), i += 2;
        else
            path += encoded[i];
    return path;
}

class TrashTest : public testing::Test {
protected:
    void SetUp() override { home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME"); }
    void TearDown() override { qputenv("HOME", home), qputenv("XDG_DATA_HOME", data); }
    void SetHome(const std::string& homePath, const std::string& dataPath) {
        qputenv("HOME", homePath.c_str()), qputenv("XDG_DATA_HOME", dataPath.c_str());
    }
    // A tmpfs of its own (not the home folder's file system), or a skip.
    std::string Drive(const char* options = "size=4m") {
        if (geteuid() != 0) return {};
        const std::string top = tree.Folder("drive");
        return mounts.Mount("tmpfs", top, "tmpfs", options) ? top : std::string();
    }

    QByteArray home, data;
    TestTree tree;
    BindMounts mounts;
};

TEST_F(TrashTest, HomeTrashIsMadePrivateWhereMissingAndItsInfoRestoresThePath) {
    const std::string name = "a b%\xff.txt";
    const std::string file = tree.File("g/" + name, "bytes");
    SetHome(tree.Folder("home"), tree.Path("home/missing/data"));
    ASSERT_EQ(Trash(file).kind, Kind::Done);
    for (const char* made : {"missing", "missing/data", "missing/data/Trash",
                             "missing/data/Trash/files", "missing/data/Trash/info"})
        EXPECT_EQ(Mode(tree.Path(std::string("home/") + made)), 0700u) << made;
    const std::string trash = tree.Path("home/missing/data/Trash/");
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(TestTree::Read(trash + "files/" + name), "bytes");
    const std::string info = TestTree::Read(trash + "info/" + name + ".trashinfo");
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=/")) << info;
    EXPECT_NE(info.find("/g/a%20b%25%FF.txt\n"), std::string::npos) << info;
    const std::size_t date = info.find("\nDeletionDate=");
    ASSERT_NE(date, std::string::npos) << info;
    const std::string when = info.substr(date + 14);
    EXPECT_TRUE(when.size() == 20 && when.back() == '\n' &&
                QDateTime::fromString(QString::fromStdString(when.substr(0, 19)),
                                      QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
                    .isValid())
        << info;
    EXPECT_EQ(RestorePath(info), file);
    EXPECT_EQ(Mode(trash + "info/" + name + ".trashinfo"), 0600u);

    // A relative XDG_DATA_HOME is ignored: ~/.local/share, never the working folder.
    const std::string other = tree.File("g/other", "o");
    SetHome(tree.Folder("home2"), "relative");
    ASSERT_EQ(Trash(other).kind, Kind::Done);
    EXPECT_EQ(Mode(tree.Path("home2/.local")) | Mode(tree.Path("home2/.local/share")), 0700u);
    EXPECT_EQ(TestTree::Read(tree.Path("home2/.local/share/Trash/files/other")), "o");
    EXPECT_FALSE(Exists("relative") || Exists("files") || Exists("info"));
}

// A file manager finds what we trashed, and puts it back where it was.
TEST_F(TrashTest, GioListsAndRestoresWhatWasTrashed) {
    SetHome(tree.Folder("home"), tree.Path("home/data"));
    const std::string file = tree.File("g/a b%", "bytes");
    ASSERT_EQ(Trash(file).kind, Kind::Done);
    ASSERT_FALSE(Exists(file));
    // gio reaches the trash through gvfs on a session bus of its own.
    const auto gio = [&](const std::string& command, std::string& out) {
        const std::string line = "HOME='" + tree.Path("home") + "' XDG_DATA_HOME='" +
                                 tree.Path("home/data") + "' dbus-run-session -- gio trash " +
                                 command + " 2>/dev/null";
        FILE* run = popen(line.c_str(), "r");
        if (!run) return false;
        char buffer[4096];
        while (std::size_t got = fread(buffer, 1, sizeof buffer, run))
            out.append(buffer, got);
        return pclose(run) == 0;
    };
    std::string listed, restored;
    if (!gio("--list", listed) || listed.empty())
        GTEST_SKIP() << "gio cannot reach the trash here (gvfs and dbus needed)";
    EXPECT_NE(listed.find("\t" + file + "\n"), std::string::npos) << listed;
    EXPECT_TRUE(gio("--restore 'trash:///a%20b%25'", restored));
    EXPECT_EQ(TestTree::Read(file), "bytes");
    EXPECT_TRUE(Names(tree.Path("home/data/Trash/info")).isEmpty());
}

TEST_F(TrashTest, AnEntryInFilesEvenADanglingLinkMovesTheFileToTheNextNameAndALongNameIsCut) {
    SetHome(tree.Folder("home"), tree.Path("home/data"));
    const std::string file = tree.File("g/f", "new");
    tree.Link("home/data/Trash/files/f", "/nonexistent/target");
    ASSERT_EQ(Trash(file).kind, Kind::Done);
    EXPECT_EQ(TestTree::Read(tree.Path("home/data/Trash/files/f.2")), "new");
    EXPECT_EQ(Names(tree.Path("home/data/Trash/info")), QStringList{"f.2.trashinfo"});

    // A name too long to take ".trashinfo" is cut in the trash; Path= keeps it whole.
    const std::string name(250, 'n'), cut(245, 'n');
    ASSERT_EQ(Trash(tree.File("g/" + name, "long")).kind, Kind::Done);
    EXPECT_EQ(TestTree::Read(tree.Path("home/data/Trash/files/" + cut)), "long");
    EXPECT_EQ(RestorePath(TestTree::Read(tree.Path("home/data/Trash/info/" + cut + ".trashinfo"))),
              tree.Path("g/" + name));
}

TEST_F(TrashTest, AFileSwappedSinceItWasComparedComesBackWithNoInfoLeft) {
    SetHome(tree.Folder("home"), tree.Path("home/data"));
    const std::string file = tree.File("g/f", "swapped in");
    const RemovalOutcome outcome = Trash(file, StateOf(tree.File("g/compared", "compared")));
    EXPECT_EQ(outcome.kind, Kind::Changed);
    EXPECT_TRUE(outcome.leftAt.empty());
    EXPECT_EQ(TestTree::Read(file), "swapped in");
    EXPECT_TRUE(Names(tree.Path("home/data/Trash/files")).isEmpty());
    EXPECT_TRUE(Names(tree.Path("home/data/Trash/info")).isEmpty());

    // Only device, inode, size and modification time tell: the move itself sets the change time.
    struct stat now {};
    ASSERT_EQ(lstat(file.c_str(), &now), 0);
    const EntryState same = StateOf(file);
    EXPECT_TRUE(IsComparedFile(now, same));
    EntryState changed = same;
    changed.changedNs += 1;
    EXPECT_TRUE(IsComparedFile(now, changed));
    for (auto field : {&EntryState::device, &EntryState::inode, &EntryState::size}) {
        changed = same;
        changed.*field += 1;
        EXPECT_FALSE(IsComparedFile(now, changed));
    }
    changed = same;
    changed.modifiedNs += 1;
    EXPECT_FALSE(IsComparedFile(now, changed));
}

TEST_F(TrashTest, ADriveUsesItsStickyTrashOrItsOwnPrivateOneWithARelativePath) {
    const std::string top = Drive();
    if (top.empty()) GTEST_SKIP() << "needs root to mount a tmpfs";
    SetHome(tree.Folder("home"), tree.Path("home/data"));
    const std::string shared = top + "/.Trash";
    ASSERT_EQ(mkdir(shared.c_str(), 0777) | chmod(shared.c_str(), 0777), 0); // not sticky: unsafe
    ASSERT_EQ(Trash(tree.File("drive/sub/one", "1")).kind, Kind::Done);
    EXPECT_EQ(Mode(top + "/.Trash-0"), 0700u);
    EXPECT_TRUE(Names(shared).isEmpty());
    EXPECT_EQ(TestTree::Read(top + "/.Trash-0/files/one"), "1");
    EXPECT_NE(TestTree::Read(top + "/.Trash-0/info/one.trashinfo").find("\nPath=sub/one\n"),
              std::string::npos);

    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(Trash(tree.File("drive/two", "2")).kind, Kind::Done);
    EXPECT_EQ(Mode(top + "/.Trash/0"), 0700u);
    EXPECT_EQ(TestTree::Read(top + "/.Trash/0/files/two"), "2");
    EXPECT_NE(TestTree::Read(top + "/.Trash/0/info/two.trashinfo").find("\nPath=two\n"),
              std::string::npos);
    EXPECT_FALSE(Exists(tree.Path("home/data/Trash")));
}

TEST_F(TrashTest, APlantedTrashOfAnotherUserALinkOrOpenToAllIsRefused) {
    const std::string top = Drive();
    if (top.empty()) GTEST_SKIP() << "needs root to mount a tmpfs";
    SetHome(tree.Folder("home"), tree.Path("home/data"));
    const std::string file = tree.File("drive/f", "mine");
    const std::string elsewhere = tree.Folder("drive/elsewhere");
    ASSERT_EQ(chmod(elsewhere.c_str(), 0700), 0); // would pass the checks but for the link
    const std::string planted = top + "/.Trash-0";
    struct Case {
        std::function<void()> plant;
        const char* why;
    };
    const Case cases[] = {
        {[&] { ASSERT_EQ(symlink(elsewhere.c_str(), planted.c_str()), 0); }, "is a symbolic link"},
        {[&] { ASSERT_EQ(mkdir(planted.c_str(), 0700) | chown(planted.c_str(), 1234, 1234), 0); },
         "belongs to another user"},
        {[&] { ASSERT_EQ(mkdir(planted.c_str(), 0700) | chmod(planted.c_str(), 0777), 0); },
         "is open to other users"}};
    for (const Case& c : cases) {
        c.plant();
        const RemovalOutcome outcome = Trash(file);
        EXPECT_EQ(outcome.kind, Kind::Failed) << c.why;
        EXPECT_EQ(outcome.why, "no trash on its drive can be used: " + planted + ' ' + c.why);
        EXPECT_EQ(TestTree::Read(file), "mine");
        EXPECT_TRUE(Names(elsewhere).isEmpty() && Names(planted).isEmpty()) << c.why;
        ASSERT_EQ(unlink(planted.c_str()) == 0 || rmdir(planted.c_str()) == 0, true);
    }
}

TEST_F(TrashTest, AReadOnlyOrFullDriveFailsAtOnceAndKeepsTheFileWithNoInfo) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount drives";
    SetHome(tree.Folder("home"), tree.Path("home/data"));
    const std::string image = tree.Folder("image");
    if (!mounts.Ext4Image(tree.Path("image.ext4"), image, 8))
        GTEST_SKIP() << "no loop-mounted ext4 image here";
    tree.Folder("image/.Trash-0/files"), tree.Folder("image/.Trash-0/info");
    ASSERT_EQ(chmod((image + "/.Trash-0").c_str(), 0700), 0);
    const std::string kept = tree.File("image/kept", "kept");
    ASSERT_TRUE(mounts.Remount(image, MS_RDONLY));
    RemovalOutcome outcome = Trash(kept);
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.error, EROFS);
    EXPECT_EQ(TestTree::Read(kept), "kept");

    const std::string top = Drive("size=256k");
    ASSERT_FALSE(top.empty());
    const std::string file = tree.File("drive/f", "full");
    const int fill = open((top + "/fill").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string block(4096, 'x');
    while (write(fill, block.data(), block.size()) > 0) {
    }
    close(fill);
    outcome = Trash(file);
    EXPECT_EQ(outcome.kind, Kind::Failed);
    EXPECT_EQ(outcome.error, ENOSPC) << outcome.why;
    EXPECT_EQ(TestTree::Read(file), "full");
    EXPECT_TRUE(Names(top + "/.Trash-0/info").isEmpty());
}

} // namespace
