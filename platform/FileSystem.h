#pragma once

#include "SafeRemoval.h"

#include <QDateTime>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quilder {

struct Drive {
    std::string key; // the mount's root path; also the drive's root folder
    QString caption; // volume name (or share) + " (" + key + ")"
};

struct FileEntry {
    std::string name;
    std::string path;
    std::uint64_t size = 0;
};

// A folder's identity, whatever path reached it.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderId&) const = default;
};
struct FolderIdHash {
    std::size_t operator()(const FolderId& id) const { return id.inode * 31 + id.device; }
};

struct FolderEntry {
    std::string name;
    std::string path;
    FolderId id;
};

struct FolderListing {
    FolderId id; // of the listed folder itself
    std::vector<FileEntry> files;
    std::vector<FolderEntry> folders;
};

// What a listing learns of one entry without following it.
struct EntryStatus {
    enum class Kind { File, Folder, Other } kind = Kind::Other;
    std::uint64_t size = 0;
    FolderId id;
    bool mountRootKnown = false; // the system can tell a mount's root (bind mounts included)
    bool mountRoot = false;
};

// A sub-folder is not entered when it is the root of a mount. Where the system cannot tell, a
// change of device stands for one; a btrfs sub-volume (another device, same mount) is entered.
bool IsMountPoint(const EntryStatus& entry, std::uint64_t parentDevice);
// The same for an entry of an open folder, file or folder, without following a link; false
// when the entry cannot be looked at. A file that is a mount's root is never listed, and must
// never be deleted as a copy: it is its source under another path.
bool IsMountRootAt(int folder, const std::string& name);

// What a result row needs to know of a file.
struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0; // since the epoch
};

// Joins a folder and a name with one separator; a folder that already ends with one (the root)
// gets none added.
std::string JoinPath(const std::string& folder, const std::string& name);

// Removes whatever the entry of the open folder is (a folder with everything in it), following
// no link; true when it is gone. It never leaves the open folder's file system: a mount point
// (file or folder), or a folder on another device, is left in place with all it holds, and the
// first such path, below `folder`, is handed back in `leftMount`. Touches no shared state: safe
// on any thread. Once `stop` is set it gives up, leaving what it has not reached yet.
bool RemoveEntryTreeAt(int folder, const std::string& name, const std::atomic<bool>* stop = nullptr,
                       std::string* leftMount = nullptr);

// The system locale's short date, a blank and its time with seconds but no time-zone name; no
// time at exactly midnight.
QString ModifiedDateText(const QDateTime& when);
// The same for a time in seconds since the epoch, in local time. Files often share their times,
// and formatting is dear, so recent answers are remembered.
QString ModifiedDateText(std::int64_t secondsSinceEpoch);

// The program's way to the file system. Every operation reports failure as a value. Tests
// derive from it to make single paths fail, or hand in temporary folders as drives.
class FileSystem {
public:
    FileSystem();
    virtual ~FileSystem();
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // Mounted volumes that are valid and ready, or the list handed to ReplaceDrives.
    virtual std::vector<Drive> Drives();
    void ReplaceDrives(std::vector<Drive> drives);

    // Regular files and sub-folders of a folder, in the order the system returns them. Links,
    // FIFOs, sockets and devices are never listed, nor is a mount point, file or folder.
    // Sub-folders are only looked at when withFolders is true. An entry that vanishes meanwhile is
    // left out.
    virtual bool ListFolder(const std::string& path, FolderListing& out, bool withFolders = true);
    // Names of the regular files of a folder only: cheaper when sizes are not needed.
    virtual bool ListFileNames(const std::string& path, std::vector<std::string>& names);

    virtual bool IsFile(const std::string& path);
    virtual bool IsFolder(const std::string& path);
    virtual std::optional<std::uint64_t> FileSize(const std::string& path);
    // Size and time of a regular file named by an absolute path, without following a link.
    virtual std::optional<FileFacts> LookUpFile(const std::string& path);
    // The same for an entry of a folder held open (OpenFolder), by its name alone.
    virtual std::optional<FileFacts> LookUpFileAt(int folder, const char* name);

    virtual bool DeleteFile(const std::string& path);   // forced: read-only makes no difference
    virtual bool CreateFolder(const std::string& path); // false when it already exists
    virtual bool DeleteFolder(const std::string& path); // with everything in it
    virtual bool CopyFile(const std::string& from, const std::string& to); // replaces `to`
    // Creates the file when missing; false when not all of data could be written.
    virtual bool AppendToFile(const std::string& path, std::string_view data);
    virtual bool SetAttributes(const std::string& path, int attributes); // no such thing here

    // Positioned reads. OpenRead gives a descriptor of a regular file, and its size and time when
    // asked, or -1; ReadAt gives the bytes read (fewer only at the end of the file) or -1 on a read
    // error.
    virtual int OpenRead(const std::string& path, FileFacts* facts = nullptr);
    virtual long long ReadAt(int fd, void* buffer, std::size_t length, std::uint64_t offset);
    virtual void CloseRead(int fd);
    // Whether the first byte of a regular file can be read without waiting for the disk; a file
    // that cannot be opened counts as cached (there is nothing to wait for).
    virtual bool IsCached(const std::string& path);
    // Asks the system to start reading the first `length` bytes of a regular file into its
    // cache and returns at once: several files can then be on their way from the disk while
    // one is read.
    virtual void Prefetch(const std::string& path, std::uint64_t length);

    // Work inside a folder held open by a handle. A name is one entry of that folder; a
    // symbolic link is never followed. Failures give -1 or false with errno set, or the errno.
    virtual int OpenFolder(const std::string& path); // the path may pass through links
    virtual int OpenFolderAt(int folder, const std::string& name);
    virtual void CloseFolder(int folder);
    virtual bool MakeFolderAt(int folder, const std::string& name);
    virtual bool ListFileNamesAt(int folder, std::vector<std::string>& names);
    virtual int OpenReadAt(int folder, const std::string& name, std::uint64_t* size = nullptr);
    virtual bool DeleteFileAt(int folder, const std::string& name);
    // Removes whatever the entry is (a folder with everything in it); true when it is gone.
    virtual bool RemoveEntryAt(int folder, const std::string& name);
    // Renames an entry of the folder; never replaces one. 0 or the errno value.
    virtual int MoveEntryAt(int folder, const std::string& from, const std::string& to);
    // The same into another open folder.
    virtual int MoveEntryTo(int folder, const std::string& from, int toFolder,
                            const std::string& to);
    // Appends data, creating the file; a failed or short write leaves the file as it was.
    virtual int AppendAt(int folder, const std::string& name, std::string_view data);
    // Replaces the target by a copy of the source; 0 or the errno.
    virtual int CopyFileAt(int fromFolder, const std::string& fromName, int toFolder,
                           const std::string& toName);
    // Takes a checked file away from the open folder that its check verified, only if the entry
    // is still the compared file once it has been moved from its name (RemoveComparedAt,
    // TrashComparedAt). `folderPath` only names places in the outcome.
    virtual RemovalOutcome RemoveCompared(int folder, const std::string& folderPath,
                                          const std::string& name, const EntryState& compared);
    virtual RemovalOutcome TrashCompared(int folder, const std::string& folderPath,
                                         const std::string& name, const EntryState& compared);
    // Replaces it by a link to one of the copies that stay (ReplaceByLinkAt).
    virtual RemovalOutcome LinkCompared(int folder, const std::string& folderPath,
                                        const std::string& name, const EntryState& compared,
                                        const std::vector<RecordedEntry>& copies);

protected:
    // Status of one entry of an open folder; false when it cannot be read (vanished meanwhile).
    virtual bool StatusAt(int folder, const char* name, EntryStatus& out);

private:
    std::optional<std::vector<Drive>> replacedDrives_;
};

// An open file for reading that is always closed, whatever way the scope is left.
// Whether a file-system service may be called from several threads at once. The platform's own
// keeps no state between its system calls; a replaced one (a test's seam) may record or fail
// calls in shared members, and is then called from one thread only.
bool SafeOnAnyThread(const FileSystem& fs);

class ReadHandle {
public:
    ReadHandle(FileSystem& fs, const std::string& path) : fs_(fs), fd_(fs.OpenRead(path, &facts_)) {
        size_ = facts_.size;
    }
    ReadHandle(FileSystem& fs, int folder, const std::string& name)
        : fs_(fs), fd_(fs.OpenReadAt(folder, name, &size_)) {}
    ~ReadHandle() {
        if (fd_ >= 0) fs_.CloseRead(fd_);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t Size() const { return size_; } // when it was opened
    // Size and time when it was opened; the time only for a handle opened by path.
    const FileFacts& Facts() const { return facts_; }
    // Reads stop at the size the file had when it was opened, which spares the read that would
    // only find the end.
    long long ReadAt(void* buffer, std::size_t length, std::uint64_t offset) {
        if (offset >= size_) return 0;
        return fs_.ReadAt(fd_, buffer,
                          static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)),
                          offset);
    }

private:
    FileSystem& fs_;
    FileFacts facts_{UINT64_MAX, 0};
    std::uint64_t size_ = UINT64_MAX;
    int fd_;
};

// The process's file-system service: created on first use, replaceable by tests, released at
// shut-down.
FileSystem& FileSystemService();
void ReplaceFileSystemService(std::unique_ptr<FileSystem> fs);
void ReleaseFileSystemService();

} // namespace quilder
