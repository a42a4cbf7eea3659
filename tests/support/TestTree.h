#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quilder::test {

// A temporary folder tree on disk for tests. Paths given to the helpers are relative to Root();
// missing parent folders are made.
class TestTree {
public:
    TestTree();
    ~TestTree();
    const std::string& Root() const { return root_; }
    std::string Path(std::string_view relative) const;
    std::string Folder(std::string_view relative);
    std::string File(std::string_view relative, std::string_view bytes);
    // A file of `size` bytes, filled from a seed so that equal seeds give equal content.
    std::string FileOfSize(std::string_view relative, std::uint64_t size, unsigned seed = 1);
    std::string SparseFile(std::string_view relative, std::uint64_t size); // no data blocks
    std::string Link(std::string_view relative, const std::string& target);
    std::string Fifo(std::string_view relative);
    static std::string Read(const std::string& path);
    static std::string Bytes(std::uint64_t size, unsigned seed);

private:
    QTemporaryDir dir_;
    std::string root_;
};

// Mounts (root only), taken down in reverse order when this goes, however the test ends: declare
// it after the tree it mounts into.
class BindMounts {
public:
    BindMounts() = default;
    BindMounts(const BindMounts&) = delete;
    BindMounts& operator=(const BindMounts&) = delete;
    ~BindMounts();
    bool Add(const std::string& from, const std::string& onto); // false, errno set, if refused
    // Any file system: Mount("overlay", dir, "overlay", "lowerdir=...,upperdir=...,workdir=...").
    bool Mount(const std::string& source, const std::string& onto, const std::string& type,
               const std::string& options, unsigned long flags = 0);
    // A new ext4 image file of `megabytes` at `image`, loop-mounted on `onto` (mkfs.ext4 and a
    // loop device needed). Remount(onto, MS_RDONLY) then makes it read-only.
    bool Ext4Image(const std::string& image, const std::string& onto, int megabytes);
    // The same for any file system whose maker takes the image as its last argument, e.g.
    // "mkfs.btrfs -q -f".
    bool LoopImage(const std::string& make, const std::string& image, const std::string& onto,
                   int megabytes);
    bool Remount(const std::string& onto, unsigned long flags); // MS_RDONLY, for one

private:
    std::vector<std::string> points_;
};

} // namespace quilder::test
