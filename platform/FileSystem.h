#pragma once

#include "FileRecords.h"
#include "SafeRemoval.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quilder {

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
    // One step of a folder walk: opens the sub-folder `name` of the open folder `parent` (which
    // may be AT_FDCWD with a whole path as the name) without following a link, and lists it as
    // ListFolder does, sub-folders by name and path only (their ids stay zero). Gives the open
    // handle, which the walk closes (CloseFolder) once it has opened the sub-folders from it; or
    // -1 with errno, 0 when the entry is not to be listed at all: the root of a mount (another
    // device than parentDevice where the system cannot tell), or gone or replaced meanwhile.
    // With parent kWalkRoot, `path` is opened as given, links on the way followed.
    static constexpr int kWalkRoot = -1;
    virtual int ListFolderAt(int parent, std::uint64_t parentDevice, const std::string& name,
                             const std::string& path, FolderListing& out);
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

// Whether a file-system service may be called from several threads at once. The platform's own
// keeps no state between its system calls; a replaced one (a test's seam) may record or fail
// calls in shared members, and is then called from one thread only.
bool SafeOnAnyThread(const FileSystem& fs);

// The process's file-system service: created on first use, replaceable by tests, released at
// shut-down.
FileSystem& FileSystemService();
void ReplaceFileSystemService(std::unique_ptr<FileSystem> fs);
void ReleaseFileSystemService();

} // namespace quilder
