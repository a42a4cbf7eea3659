#include "BatchReads.h"
#include "FileSystem.h"
#include "TestTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quilder;

namespace {

// Whatever way the files are opened, together through a ring or one by one, each is opened as
// OpenRead opens it: only regular files, never through a link, never a FIFO, with the size and
// time they had, their first bytes read along; and every descriptor is closed again. More files
// than one ring slice holds.
TEST(BatchReads, OpenOnlyRegularFilesAsOpenReadDoesAndCloseThemAll) {
    test::TestTree tree;
    std::vector<std::string> paths;
    for (int i = 0; i < 70; ++i)
        paths.push_back(tree.File("f" + std::to_string(i), test::TestTree::Bytes(i, i)));
    paths[3] = tree.Link("link", paths[4]);
    paths[10] = tree.Fifo("fifo");
    paths[20] = tree.Folder("folder");
    paths[66] = tree.Path("missing");
    const timespec times[2] = {{0, UTIME_OMIT}, {86400, 0}};
    utimensat(AT_FDCWD, paths[65].c_str(), times, AT_SYMLINK_NOFOLLOW);
    for (const bool ring : {true, false}) {
        SCOPED_TRACE(ring ? "ring" : "one by one");
        UseRingForBatchReads(ring);
        std::vector<int> fds(paths.size(), -2);
        std::vector<FileFacts> facts(paths.size());
        constexpr std::size_t kFirst = 40;
        std::vector<char> first(paths.size() * kFirst);
        std::vector<long long> read(paths.size(), -2);
        OpenReadMany(paths, fds, facts, {kFirst, first.data(), read.data()});
        for (std::size_t i = 0; i < paths.size(); ++i) {
            FileFacts one{};
            const int fd = FileSystemService().OpenRead(paths[i], &one);
            EXPECT_EQ(fds[i] >= 0, fd >= 0) << i;
            if (fd < 0) continue;
            FileSystemService().CloseRead(fd);
            EXPECT_EQ(facts[i].size, one.size) << i;
            EXPECT_EQ(facts[i].modifiedSeconds, one.modifiedSeconds) << i;
            const std::string bytes = test::TestTree::Bytes(i, static_cast<unsigned>(i));
            EXPECT_EQ(std::string(first.data() + i * kFirst, static_cast<std::size_t>(read[i])),
                      bytes.substr(0, kFirst))
                << i;
        }
        EXPECT_EQ(facts[65].modifiedSeconds, 86400);
        CloseReadMany(fds);
        for (const int fd : fds) {
            if (fd >= 0) {
                EXPECT_EQ(fcntl(fd, F_GETFD), -1) << fd;
            }
        }
    }
    UseRingForBatchReads(true);
}

} // namespace
