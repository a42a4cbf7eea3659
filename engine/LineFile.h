#pragma once

#include "PhaseOutcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quilder {

// Appends lines (ended by CR LF) to list files of the work store and counts their lines.
// Appended lines are kept in memory and written in one go per file, so that a scan of many files
// does not open and close a list file per line; every read through this class, and Flush, writes
// them first. Files are reached through the store's folder handles only: a file outside the
// store's class folders is never written.
class LineFile {
public:
    LineFile() = default;
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    void AppendLine(const std::string& file, std::string_view text);
    // Number of lines of an existing file; -1 when it cannot be read.
    std::int64_t CountLines(const std::string& file);

    // Writes every pending line. Lines that cannot be written are lost whole, never torn, and
    // the first such failure is kept for TakeFailure.
    void Flush();
    void Flush(const std::string& file);
    // Forgets pending lines of files below a folder that is about to be deleted.
    void DiscardUnder(const std::string& folder);

    // The first write that failed since the last call, and forgets it.
    std::optional<StoreFailure> TakeFailure();

private:
    void Write(const std::string& file, std::string_view data);

    static constexpr std::size_t kFlushAbove = 16u << 20;

    std::unordered_map<std::string, std::string> pending_;
    std::size_t pendingBytes_ = 0;
    std::optional<StoreFailure> failure_;
};

// The folder and the name of a file path.
std::pair<std::string, std::string> SplitPath(const std::string& file);

// The process's line-file component: created on first use, released at shut-down.
LineFile& LineFileService();
void ReleaseLineFileService();

} // namespace quilder
