#pragma once

#include "FakeEngineHost.h"
#include "FileSystem.h"
#include "ResultSet.h"
#include "TestTree.h"
#include "WorkStore.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quilder::test {

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
    static std::string WriteLines(TestTree& tree, std::string_view relative,
                                  const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        return tree.File(relative, bytes);
    }
    std::string GroupFile(std::string_view code, std::string_view name,
                          const std::vector<std::string>& members) {
        return WriteLines(tree, "program/compared/" + std::string(code) + "/" + std::string(name),
                          members);
    }

    // Column texts of a list, top to bottom.
    static std::vector<std::string> Column(const ResultModel& list, int column) {
        std::vector<std::string> texts;
        for (int i = 0; i < list.RowCount(); ++i)
            texts.push_back(list.Row(i).text[static_cast<std::size_t>(column)].toStdString());
        return texts;
    }
    std::vector<std::string> Names(int list) const {
        return Column(results.List(list), kNameColumn);
    }
    std::vector<std::string> Keys(int list) const {
        return Column(results.List(list), kSortColumn);
    }

    TestTree tree;
    std::string program;
    ResultSet results;
    FakeEngineHost host;
};

} // namespace quilder::test
