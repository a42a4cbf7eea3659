#include "TestTree.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder::test {

namespace {
// The path, with its parent folders made; throws when `made` is false.
std::string Made(const std::string& path, bool made) {
    if (!made) throw std::runtime_error("test tree: cannot create " + path);
    return path;
}

std::string WithParents(std::string path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    return path;
}
} // namespace

TestTree::TestTree() : root_(Made(dir_.path().toStdString(), dir_.isValid())) {}

TestTree::~TestTree() {
    // QTemporaryDir cannot remove names that are not valid UTF-8; remove by bytes first.
    nftw(
        root_.c_str(),
        [](const char* path, const struct stat*, int type, FTW*) {
            return type == FTW_DP ? rmdir(path) * 0 : unlink(path) * 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

std::string TestTree::Path(std::string_view relative) const {
    return root_ + "/" + std::string(relative);
}

std::string TestTree::Folder(std::string_view relative) {
    const std::string path = WithParents(Path(relative));
    return Made(path, mkdir(path.c_str(), 0755) == 0 || errno == EEXIST);
}

std::string TestTree::File(std::string_view relative, std::string_view bytes) {
    const std::string path = WithParents(Path(relative));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Made(path, out.good());
}

std::string TestTree::Bytes(std::uint64_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::minstd_rand random(seed + 1);
    for (auto& b : bytes)
        b = static_cast<char>(random() >> 7);
    return bytes;
}

std::string TestTree::FileOfSize(std::string_view relative, std::uint64_t size, unsigned seed) {
    return File(relative, Bytes(size, seed));
}

std::string TestTree::SparseFile(std::string_view relative, std::uint64_t size) {
    const std::string path = File(relative, "");
    return Made(path, truncate(path.c_str(), static_cast<off_t>(size)) == 0);
}

std::string TestTree::Link(std::string_view relative, const std::string& target) {
    const std::string path = WithParents(Path(relative));
    return Made(path, symlink(target.c_str(), path.c_str()) == 0);
}

std::string TestTree::Fifo(std::string_view relative) {
    const std::string path = WithParents(Path(relative));
    return Made(path, mkfifo(path.c_str(), 0644) == 0);
}

std::string TestTree::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

BindMounts::~BindMounts() {
    for (auto point = points_.rbegin(); point != points_.rend(); ++point)
        umount2(point->c_str(), MNT_DETACH);
}

bool BindMounts::Mount(const std::string& source, const std::string& onto, const std::string& type,
                       const std::string& options, unsigned long flags) {
    if (mount(source.c_str(), onto.c_str(), type.c_str(), flags,
              options.empty() ? nullptr : options.c_str()) != 0)
        return false;
    points_.push_back(onto);
    return true;
}

bool BindMounts::Ext4Image(const std::string& image, const std::string& onto, int megabytes) {
    return LoopImage("mkfs.ext4 -q -F", image, onto, megabytes);
}

bool BindMounts::LoopImage(const std::string& make, const std::string& image,
                           const std::string& onto, int megabytes) {
    const std::string command = "truncate -s " + std::to_string(megabytes) + "M '" + image +
                                "' && " + make + " '" + image +
                                "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + onto + "'";
    if (std::system(command.c_str()) != 0) return errno = ENODEV, false;
    points_.push_back(onto);
    return true;
}

bool BindMounts::Remount(const std::string& onto, unsigned long flags) {
    return mount(nullptr, onto.c_str(), nullptr, MS_REMOUNT | flags, nullptr) == 0;
}

bool BindMounts::Add(const std::string& from, const std::string& onto) {
    if (mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    points_.push_back(onto);
    return true;
}

} // namespace quilder::test
