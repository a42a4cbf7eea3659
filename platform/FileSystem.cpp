#include "FileSystem.h"

#include "PathText.h"
#include "Service.h"

#include <QHash>
#include <QLocale>
#include <QStorageInfo>
#include <QTimeZone>

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/uio.h>
#include <typeinfo>
#include <unistd.h>

namespace quilder {

namespace {

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsNetworkFileSystem(const QByteArray& type) {
    static const char* const kNetwork[] = {"nfs",   "nfs4",        "cifs",        "smb3", "smbfs",
                                           "9p",    "fuse.sshfs",  "fuse.rclone", "afs",  "ncpfs",
                                           "davfs", "fuse.davfs2", "glusterfs",   "ceph"};
    for (const char* t : kNetwork)
        if (type == t) return true;
    return false;
}

// Removes everything inside the open folder dfd; the folder itself stays.
bool RemoveContents(int dfd, const std::atomic<bool>* stop) {
    DIR* dir = fdopendir(dfd);
    if (!dir) {
        close(dfd);
        return false;
    }
    bool ok = true;
    std::vector<std::string> names;
    while (dirent* e = readdir(dir)) {
        if (!IsDotOrDotDot(e->d_name)) names.emplace_back(e->d_name);
    }
    for (const std::string& name : names) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            ok = false;
            break;
        }
        if (!RemoveEntryTreeAt(dfd, name, stop)) ok = false;
    }
    closedir(dir);
    return ok;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += '/';
    path += name;
    return path;
}

// The locale's long time format, which has the seconds, without its time-zone name: the
// column has no room for it and every date of a list is in the same zone.
static QString TimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        kept += c;
    }
    return kept.simplified();
}

QString ModifiedDateText(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += QLatin1Char(' ') + locale.toString(time, TimeFormatWithoutZone(locale));
    return text;
}

QString ModifiedDateText(std::int64_t secondsSinceEpoch) {
    static QHash<std::int64_t, QString> recent;
    const auto found = recent.constFind(secondsSinceEpoch);
    if (found != recent.constEnd()) return *found;
    if (recent.size() >= 4096) recent.clear();
    const QString text =
        ModifiedDateText(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secondsSinceEpoch)));
    recent.insert(secondsSinceEpoch, text);
    return text;
}

FileSystem::FileSystem() = default;
FileSystem::~FileSystem() = default;

std::vector<Drive> FileSystem::Drives() {
    if (replacedDrives_) return *replacedDrives_;
    std::vector<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        Drive drive;
        drive.key = TextToPath(volume.rootPath());
        QString label = IsNetworkFileSystem(volume.fileSystemType())
                            ? PathToText(volume.device().toStdString())
                            : volume.name();
        drive.caption = label.isEmpty() ? volume.rootPath()
                                        : label + QStringLiteral(" (") + volume.rootPath() +
                                              QStringLiteral(")");
        drives.push_back(std::move(drive));
    }
    return drives;
}

void FileSystem::ReplaceDrives(std::vector<Drive> drives) {
    replacedDrives_ = std::move(drives);
}

bool IsMountPoint(const EntryStatus& entry, std::uint64_t parentDevice) {
    if (entry.mountRootKnown) return entry.mountRoot;
    return entry.id.device != parentDevice;
}

bool FileSystem::StatusAt(int folder, const char* name, EntryStatus& out) {
    struct statx st {};
    if (statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_SIZE | STATX_INO, &st) != 0)
        return false;
    out.kind = S_ISREG(st.stx_mode)   ? EntryStatus::Kind::File
               : S_ISDIR(st.stx_mode) ? EntryStatus::Kind::Folder
                                      : EntryStatus::Kind::Other;
    out.size = st.stx_size;
    out.id = {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
    out.mountRootKnown = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    out.mountRoot = (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return true;
}

bool FileSystem::ListFolder(const std::string& path, FolderListing& out, bool withFolders) {
    out.files.clear();
    out.folders.clear();
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return false;
    struct stat self {};
    if (fstat(dfd, &self) != 0) {
        close(dfd);
        return false;
    }
    out.id = {static_cast<std::uint64_t>(self.st_dev), static_cast<std::uint64_t>(self.st_ino)};
    DIR* dir = fdopendir(dfd);
    if (!dir) {
        close(dfd);
        return false;
    }
    bool failed = false;
    for (;;) {
        // errno tells the end of the folder from a failure only when cleared before each read.
        errno = 0;
        const dirent* e = readdir(dir);
        if (!e) {
            failed = errno != 0;
            break;
        }
        const unsigned char type = e->d_type;
        if (IsDotOrDotDot(e->d_name)) continue;
        if (type != DT_REG && type != DT_UNKNOWN && !(type == DT_DIR && withFolders)) continue;
        EntryStatus st;
        if (!StatusAt(dfd, e->d_name, st)) continue; // vanished meanwhile
        if (st.kind == EntryStatus::Kind::File) {
            std::string name(e->d_name);
            std::string full = JoinPath(path, name);
            out.files.push_back({std::move(name), std::move(full), st.size});
        } else if (withFolders && st.kind == EntryStatus::Kind::Folder &&
                   !IsMountPoint(st, self.st_dev)) {
            std::string name(e->d_name);
            std::string full = JoinPath(path, name);
            out.folders.push_back({std::move(name), std::move(full), st.id});
        }
    }
    closedir(dir);
    if (failed) {
        out.files.clear();
        out.folders.clear();
        return false;
    }
    return true;
}

bool FileSystem::ListFileNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return false;
    const bool listed = ListFileNamesAt(dfd, names);
    close(dfd);
    return listed;
}

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

std::optional<FileFacts> FileSystem::LookUpFile(const std::string& path) {
    // Only absolute paths name a file: a relative one would depend on the working folder.
    if (path.empty() || path.front() != '/') return std::nullopt;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileFacts{static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec)};
}

bool FileSystem::DeleteFile(const std::string& path) {
    // unlink never removes a folder, so no look before it is needed.
    return !path.empty() && unlink(path.c_str()) == 0;
}

bool FileSystem::CreateFolder(const std::string& path) {
    return !path.empty() && mkdir(path.c_str(), 0755) == 0;
}

bool FileSystem::DeleteFolder(const std::string& path) {
    if (path.empty()) return false;
    const int dfd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0) return false;
    RemoveContents(dfd, nullptr);
    return rmdir(path.c_str()) == 0;
}

bool FileSystem::AppendToFile(const std::string& path, std::string_view data) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data.data(), data.size());
    return close(fd) == 0 && ok;
}

bool FileSystem::CopyFile(const std::string& from, const std::string& to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return false;
    }
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    close(in);
    if (close(out) != 0) ok = false;
    return ok;
}

bool FileSystem::SetAttributes(const std::string& path, int attributes) {
    (void)attributes; // hidden and system have no counterpart here
    return IsFolder(path) || IsFile(path);
}

bool FileSystem::IsCached(const std::string& path) {
    const int fd = OpenRead(path);
    if (fd < 0) return true;
    char byte;
    iovec one{&byte, 1};
    const bool waits = preadv2(fd, &one, 1, 0, RWF_NOWAIT) < 0 && errno == EAGAIN;
    close(fd);
    return !waits;
}

void FileSystem::Prefetch(const std::string& path, std::uint64_t length) {
    const int fd = OpenRead(path);
    if (fd < 0) return;
    (void)posix_fadvise(fd, 0, static_cast<off_t>(length), POSIX_FADV_WILLNEED);
    close(fd);
}

int FileSystem::OpenRead(const std::string& path, std::uint64_t* size) {
    if (path.empty()) return -1;
    // Non-blocking so that a FIFO put in a file's place can never hang the open.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    if (size) *size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

long long FileSystem::ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) {
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(fd, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

void FileSystem::CloseRead(int fd) {
    close(fd);
}

int FileSystem::OpenFolder(const std::string& path) {
    if (path.empty()) return -1;
    return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int FileSystem::OpenFolderAt(int folder, const std::string& name) {
    return openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void FileSystem::CloseFolder(int folder) {
    close(folder);
}

bool FileSystem::MakeFolderAt(int folder, const std::string& name) {
    return mkdirat(folder, name.c_str(), 0755) == 0;
}

bool FileSystem::ListFileNamesAt(int folder, std::vector<std::string>& names) {
    names.clear();
    const int own = fcntl(folder, F_DUPFD_CLOEXEC, 0); // closedir closes its descriptor
    if (own < 0) return false;
    DIR* dir = fdopendir(own);
    if (!dir) {
        close(own);
        return false;
    }
    rewinddir(dir);
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent* e = readdir(dir);
        if (!e) {
            failed = errno != 0;
            break;
        }
        if (IsDotOrDotDot(e->d_name)) continue;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(folder, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                continue;
        } else if (e->d_type != DT_REG) {
            continue;
        }
        names.emplace_back(e->d_name);
    }
    closedir(dir);
    return !failed;
}

int FileSystem::OpenReadAt(int folder, const std::string& name, std::uint64_t* size) {
    const int fd = openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    if (size) *size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

bool FileSystem::DeleteFileAt(int folder, const std::string& name) {
    return unlinkat(folder, name.c_str(), 0) == 0;
}

bool SafeOnAnyThread(const FileSystem& fs) {
    return typeid(fs) == typeid(FileSystem);
}

bool RemoveEntryTreeAt(int folder, const std::string& name, const std::atomic<bool>* stop) {
    if (unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) return true;
    if (errno != EISDIR && errno != EPERM) return false; // Linux answers EISDIR for a folder
    const int sub = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0 && !RemoveContents(sub, stop) && stop && stop->load()) return false;
    return unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

bool FileSystem::RemoveEntryAt(int folder, const std::string& name) {
    return RemoveEntryTreeAt(folder, name);
}

int FileSystem::MoveEntryAt(int folder, const std::string& from, const std::string& to) {
    return MoveEntryTo(folder, from, folder, to);
}

int FileSystem::MoveEntryTo(int folder, const std::string& from, int toFolder,
                            const std::string& to) {
    return renameat2(folder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int FileSystem::AppendAt(int folder, const std::string& name, std::string_view data) {
    // Most list and group files are written once, new: made exclusively, a file is known to be
    // regular and empty without asking. Neither way follows a link.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    struct stat st {};
    bool known = true;
    int fd = openat(folder, name.c_str(), kFlags | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST) {
        fd = openat(folder, name.c_str(), kFlags, 0644);
        if (fd < 0) return errno;
        known = fstat(fd, &st) == 0;
    } else if (fd < 0) {
        return errno;
    } else {
        st.st_mode = S_IFREG;
    }
    int error = known ? 0 : errno;
    if (known && !S_ISREG(st.st_mode)) error = EINVAL;
    if (error == 0 && !WriteAll(fd, data.data(), data.size())) {
        error = errno != 0 ? errno : EIO;
        // Never a torn line: what was written of this append goes again.
        (void)!ftruncate(fd, st.st_size);
    }
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0 && known && S_ISREG(st.st_mode) && st.st_size == 0)
        unlinkat(folder, name.c_str(), 0); // as if never made
    return error;
}

int FileSystem::CopyFileAt(int fromFolder, const std::string& fromName, int toFolder,
                           const std::string& toName) {
    const int in = OpenReadAt(fromFolder, fromName);
    if (in < 0) return errno != 0 ? errno : EINVAL;
    const int out =
        openat(toFolder, toName.c_str(),
               O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        close(in);
        return error;
    }
    int error = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) {
            error = errno != 0 ? errno : EIO;
            break;
        }
    }
    close(in);
    if (close(out) != 0 && error == 0) error = errno;
    if (error != 0) unlinkat(toFolder, toName.c_str(), 0); // no half copy
    return error;
}

FileSystem& FileSystemService() {
    return ServiceInstance<FileSystem>();
}

void ReplaceFileSystemService(std::unique_ptr<FileSystem> fs) {
    ServiceSlot<FileSystem>() = std::move(fs);
}

void ReleaseFileSystemService() {
    ServiceSlot<FileSystem>().reset();
}

} // namespace quilder
