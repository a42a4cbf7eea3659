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

// A row with these texts, the others empty.
inline ResultRow Row(const char* name, const char* key, const char* path = "") {
    ResultRow row;
    row.text[kNameColumn] = QString::fromUtf8(name);
    row.text[kPathColumn] = QString::fromUtf8(path);
    row.text[kSortColumn] = QString::fromUtf8(key);
    return row;
}

// Puts rows of the given keys (one character each) into a list.
inline void Fill(ResultModel& list, const std::string& keys) {
    std::vector<ResultRow> rows(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        rows[i].text[kSortColumn] = QString(QLatin1Char(keys[i]));
    list.InsertSorted(std::move(rows));
}

// Column texts of a list, top to bottom.
inline Texts Column(const ResultModel& list, int column) {
    Texts texts;
    for (int i = 0; i < list.RowCount(); ++i)
        texts.push_back(list.Row(i).text[static_cast<std::size_t>(column)].toStdString());
    return texts;
}

// A program folder with an empty work store, a result set and a host for each test.
class ResultsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitWorkStorePaths(tree.Folder("program"));
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

    Texts Names(int list) const { return Column(results.List(list), kNameColumn); }
    Texts Keys(int list) const { return Column(results.List(list), kSortColumn); }

    TestTree tree;
    ResultSet results;
    FakeEngineHost host;
};

} // namespace quilder::test
