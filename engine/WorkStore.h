#pragma once

#include "FileSystem.h"
#include "PhaseOutcome.h"
#include "SizeClass.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quilder {

// Scan folders by class order: P/scanned/t ... P/scanned/h. The scanner and the find job reach
// the scan folders only through this table.
extern std::array<std::string, kClassCount> ScanFolderPaths;

// Fills ScanFolderPaths from the program folder P (no trailing separator). Touches no disk.
void InitWorkStorePaths(const std::string& programFolder);
const std::string& ProgramFolder();

std::string ScanStorePath();                        // P/scanned
std::string CompareStorePath();                     // P/compared
const std::string& GroupFolderPath(int classOrder); // P/compared/<code>

// Make P/scanned (or P/compared) exist, empty, with its seven class folders. Whatever stands
// where a store folder belongs and is no real folder (a link, a file) is removed as an entry,
// never followed. Each step that fails is skipped; the first failure is handed back.
std::optional<StoreFailure> ResetScanStore();
std::optional<StoreFailure> ResetCompareStore();

// Handle of a class folder of the store, given by its path (a ScanFolderPaths entry or a
// GroupFolderPath), reached from P without following a link; kept open until the next reset.
// -1 (errno set) for any other folder, or when it is not a real folder.
int StoreFolderHandle(const std::string& folderPath);
// Closes every kept handle.
void ReleaseStoreHandles();
// The previous job's scan lists, moved aside by the reset, are removed on a thread of their own
// while the job runs; this waits until they are gone. Releasing the handles stops that removal
// instead, and the next reset takes what is left along with its own.
void AwaitScanListRemoval();

// A folder of the store opened afresh from P, one real folder at a time, for the result loader:
// its group files are listed, read and deleted through the handle, so nothing outside the store
// is ever touched.
class StoreFolder {
public:
    // `relative` is below P, as a class box's tag: "/compared/t".
    StoreFolder(FileSystem& fs, const std::string& relative);
    ~StoreFolder();
    StoreFolder(const StoreFolder&) = delete;
    StoreFolder& operator=(const StoreFolder&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }
    bool ListFiles(std::vector<std::string>& names) { return fs_.ListFileNamesAt(fd_, names); }
    bool Delete(const std::string& name) { return fs_.DeleteFileAt(fd_, name); }
    // Deletes through the store writer while the caller goes on: removing an entry costs about
    // as much as reading a small file. AwaitDeletes, and the destructor, return once every name
    // given is gone (or could not be deleted).
    void DeleteLater(std::string name);
    void AwaitDeletes();

private:
    FileSystem& fs_;
    int fd_ = -1;
    bool deleting_ = false; // deletions asked and not yet awaited
};

} // namespace quilder
