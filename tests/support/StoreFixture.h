#pragma once

#include "ComparePhase.h"
#include "FakeEngineHost.h"
#include "LineFile.h"
#include "LineReader.h"
#include "ScanLists.h"
#include "StoreWriter.h"
#include "TestTree.h"
#include "WorkStore.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>

namespace quilder::test {

using V = std::vector<std::string>;

// While it lives, no file of this process grows past `bytes`: a write beyond fails part-way (as
// on a full disk), also for root.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &kNone); }
    static constexpr rlimit kNone{RLIM_INFINITY, RLIM_INFINITY};
};

// A program folder of its own for each test, with an empty work store, and fresh services.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitWorkStorePaths(program);
        ResetScanStore();
        ResetCompareStore();
    }
    void TearDown() override {
        ReleaseStoreWriterService();
        ReleaseScanListsService();
        ReleaseLineFileService();
        ReleaseStoreHandles();
        ReleaseFileSystemService();
    }

    // Sorted names of the entries of a folder; sub-folders end with "/".
    static V Entries(const std::string& folder) {
        WriteUntakenGroups(); // the store as a job that loads nothing leaves it
        StoreWriterService().Drain();
        FolderListing listing;
        FileSystemService().ListFolder(folder, listing);
        V names;
        for (const auto& f : listing.files)
            names.push_back(f.name);
        for (const auto& f : listing.folders)
            names.push_back(f.name + "/");
        std::sort(names.begin(), names.end());
        return names;
    }
    static V ListLines(const std::string& file) {
        StoreWriterService().Drain();
        V lines;
        ReadAllLines(FileSystemService(), file, lines);
        return lines;
    }
    // A list, group or result file with the given lines, each ended by CR LF.
    std::string WriteLines(std::string_view relative, const V& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        return tree.File(relative, bytes);
    }
    std::string WriteList(int order, const std::string& name, const V& paths) {
        return WriteLines("program/scanned/" + std::string(kSizeClasses[order].code) + "/" + name,
                          paths);
    }
    std::string Group(int order, const std::string& name) const {
        return GroupFolderPath(order) + "/" + name;
    }
    std::map<std::string, V> Groups(int order) const {
        std::map<std::string, V> groups;
        for (const std::string& name : Entries(GroupFolderPath(order)))
            groups[name] = ListLines(Group(order, name));
        return groups;
    }

    TestTree tree;
    std::string program = tree.Folder("program");
    FakeEngineHost host;
};

} // namespace quilder::test
