#pragma once

#include "FileSystem.h"
#include "LineFile.h"
#include "TestTree.h"
#include "WorkStore.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quilder::test {

// A program folder of its own for each test, and fresh services.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        program = tree.Folder("program");
        InitWorkStorePaths(program);
    }
    void TearDown() override {
        ReleaseLineFileService();
        ReleaseFileSystemService();
    }

    // Sorted names of the entries of a folder.
    static std::vector<std::string> Entries(const std::string& folder) {
        std::vector<std::string> names;
        FolderListing listing;
        FileSystemService().ListFolder(folder, listing);
        for (const auto& f : listing.files)
            names.push_back(f.name);
        for (const auto& f : listing.folders)
            names.push_back(f.name + "/");
        std::sort(names.begin(), names.end());
        return names;
    }

    // The lines of a list file as written on disk.
    static std::vector<std::string> ListLines(const std::string& file) {
        const std::string content = TestTree::Read(file);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < content.size()) {
            const std::size_t end = content.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back("UNTERMINATED:" + content.substr(start));
                break;
            }
            lines.push_back(content.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    TestTree tree;
    std::string program;
};

} // namespace quilder::test
