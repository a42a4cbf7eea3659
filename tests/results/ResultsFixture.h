#pragma once

#include "FakeEngineHost.h"
#include "FileSystem.h"
#include "ResultSet.h"
#include "TestTree.h"
#include "WorkStore.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quilder::test {

using Texts = std::vector<std::string>;

// A program folder with an empty work store, a result set and a host for each test.
class ResultsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        program = tree.Folder("program");
        InitWorkStorePaths(program);
        ResetCompareStore();
    }
    void TearDown() override { ReleaseFileSystemService(); }

    // A group file (or result file) with the given lines, each ended by CR LF.
    std::string WriteLines(std::string_view relative, const Texts& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        return tree.File(relative, bytes);
    }
    std::string GroupFile(std::string_view code, std::string_view name, const Texts& members) {
        return WriteLines("program/compared/" + std::string(code) + "/" + std::string(name),
                          members);
    }

    static Texts FilesIn(const std::string& folder) {
        Texts names;
        FileSystemService().ListFileNames(folder, names);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Column texts of a list, top to bottom.
    static Texts Column(const ResultModel& list, int column) {
        Texts texts;
        for (int i = 0; i < list.RowCount(); ++i)
            texts.push_back(list.Row(i).text[static_cast<std::size_t>(column)].toStdString());
        return texts;
    }
    Texts Names(int list) const { return Column(results.List(list), kNameColumn); }
    Texts Keys(int list) const { return Column(results.List(list), kSortColumn); }

    TestTree tree;
    std::string program;
    ResultSet results;
    FakeEngineHost host;
};

} // namespace quilder::test
