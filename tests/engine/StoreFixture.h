#pragma once

#include "FakeEngineHost.h"
#include "FileSystem.h"
#include "LineFile.h"
#include "TestTree.h"
#include "WorkStore.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace quilder::test {

using V = std::vector<std::string>;

// While it lives, no file of this process grows past `bytes`: a write beyond fails part-way (as
// on a full disk), also for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

// A program folder of its own for each test, with an empty work store, and fresh services.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        program = tree.Folder("program");
        InitWorkStorePaths(program);
        ResetScanStore();
        ResetCompareStore();
    }
    void TearDown() override {
        ReleaseLineFileService();
        ReleaseStoreHandles();
        ReleaseFileSystemService();
    }

    // Sorted names of the entries of a folder; sub-folders end with "/".
    static V Entries(const std::string& folder) {
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

    // The lines of a list file as written on disk; a line without its CR LF shows as torn.
    static V ListLines(const std::string& file) {
        const std::string content = TestTree::Read(file);
        V lines;
        for (std::size_t start = 0; start < content.size();) {
            const std::size_t end = content.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back("TORN:" + content.substr(start));
                break;
            }
            lines.push_back(content.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    TestTree tree;
    std::string program;
    FakeEngineHost host;
};

} // namespace quilder::test
