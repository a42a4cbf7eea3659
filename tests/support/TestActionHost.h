#pragma once

#include "PathText.h"
#include "RecordingDesktopKit.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "ScriptedPrompt.h"
#include "TaskHost.h"

#include <algorithm>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quilder::test {

// The window and the desktop as the file commands see them: a result set, scripted answers, a
// recording desktop, status panel 1, the stop flag, and a hook that runs at every yield (where
// another program may act while a command compares).
class TestActionHost : public TaskHost {
public:
    ResultSet& Results() override { return results; }
    Prompt& Prompts() override { return prompt; }
    DesktopKit& Desktop() override { return kit; }
    void Yield() override {
        if (onYield) onYield();
    }
    bool StopRequested() const override { return stop; }
    void SetStopRequested(bool request) override { stop = request; }
    QString StatusText() const override { return status; }
    void SetStatusText(const QString& text) override { status = text; }
    void SetAnimationInterval(int) override {}

    // Rows of one group, named by their paths, with the key; size and date are the caller's.
    static std::vector<ResultRow> RowsOf(const QString& key,
                                         const std::vector<std::string>& paths) {
        std::vector<ResultRow> rows;
        for (const std::string& path : paths) {
            ResultRow& row = rows.emplace_back();
            row.text[kNameColumn] = PathToText(path.substr(path.rfind('/') + 1));
            row.text[kPathColumn] = PathToText(path.substr(0, path.rfind('/')));
            row.text[kSortColumn] = key;
        }
        return rows;
    }
    // Rows of one group in class list `classList` and the All list, each with its file's size on
    // disk (0 when there is none) and date `modified[i]` (0 when not given).
    void AddGroup(int classList, const QString& key, const std::vector<std::string>& paths,
                  const std::vector<std::int64_t>& modified = {}) {
        std::vector<ResultRow> rows = RowsOf(key, paths);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            struct stat st {};
            stat(paths[i].c_str(), &st);
            rows[i].SetFile(static_cast<std::uint64_t>(st.st_size), SizeUnit::Bytes,
                            i < modified.size() ? modified[i] : 0);
        }
        Insert(classList, rows);
    }
    // Ticks the rows of list `list` that name one of `paths`.
    void Tick(int list, const std::vector<std::string>& paths) {
        for (int i = 0; i < results.List(list).RowCount(); ++i)
            if (std::count(paths.begin(), paths.end(), RowFilePath(results.List(list).Row(i))))
                results.List(list).SetChecked(i, true);
    }
    QString LastNotice() const {
        return prompt.notices.isEmpty() ? QString() : prompt.notices.last();
    }
    // Into class list `classList` and, when `inAll`, the All list.
    void Insert(int classList, const std::vector<ResultRow>& rows, bool inAll = true) {
        if (inAll) results.List(0).InsertSorted(rows);
        results.List(classList).InsertSorted(rows);
    }

    ResultSet results;
    ScriptedPrompt prompt;
    RecordingDesktopKit kit;
    QString status;
    bool stop = false;
    std::function<void()> onYield;
};

} // namespace quilder::test
