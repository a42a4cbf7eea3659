#pragma once

#include "HeldGroups.h"
#include "ResultSet.h"
#include "StoreFixture.h"

namespace quilder::test {

using Texts = V;

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
        texts.push_back(list.Row(i).Text(column).toStdString());
    return texts;
}

// A result set and a host over a fresh work store for each test.
class ResultsFixture : public StoreFixture {
protected:
    // A group file written by hand, as one left over by an earlier job: only the folder says so.
    std::string GroupFile(std::string_view code, std::string_view name, const Texts& members) {
        HeldGroupsService().Unheld(OrderOfCode(code));
        return WriteLines("program/compared/" + std::string(code) + "/" + std::string(name),
                          members);
    }
    Texts Names(int list) const { return Column(results.List(list), kNameColumn); }
    Texts Keys(int list) const { return Column(results.List(list), kSortColumn); }

    ResultSet results;
};

} // namespace quilder::test
