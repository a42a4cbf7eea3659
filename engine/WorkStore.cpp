#include "WorkStore.h"

#include "FileSystem.h"
#include "LineFile.h"

namespace quilder {

std::array<std::string, kClassCount> ScanFolderPaths;

namespace {

std::string& ProgramFolderSlot() {
    static std::string folder;
    return folder;
}

constexpr int kHiddenAndSystem = 6;

void ResetStore(const std::string& root) {
    FileSystem& fs = FileSystemService();
    LineFileService().DiscardUnder(root);
    if (fs.IsFolder(root)) fs.DeleteFolder(root);
    fs.CreateFolder(root);
    for (const SizeClass& c : kSizeClasses)
        fs.CreateFolder(root + "/" + std::string(c.code));
    fs.SetAttributes(root, kHiddenAndSystem);
}

} // namespace

void InitWorkStorePaths(const std::string& programFolder) {
    ProgramFolderSlot() = programFolder;
    for (int order = 0; order < kClassCount; ++order)
        ScanFolderPaths[order] = ScanStorePath() + "/" + std::string(kSizeClasses[order].code);
}

const std::string& ProgramFolder() {
    return ProgramFolderSlot();
}

std::string ScanStorePath() {
    return ProgramFolder() + "/scanned";
}

std::string CompareStorePath() {
    return ProgramFolder() + "/compared";
}

std::string GroupFolderPath(int classOrder) {
    return CompareStorePath() + "/" + std::string(kSizeClasses[classOrder].code);
}

void ResetScanStore() {
    ResetStore(ScanStorePath());
}

void ResetCompareStore() {
    ResetStore(CompareStorePath());
}

} // namespace quilder
