#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quilder {

// Appends lines (ended by CR LF) to list files and counts their lines. Appended lines are kept
// in memory and written in one go per file, so that a scan of many files does not open and
// close a list file per line; every read through this class, and Flush, writes them first.
class LineFile {
public:
    LineFile() = default;
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    void AppendLine(const std::string& file, std::string_view text);
    // Number of lines of an existing file; -1 when it cannot be read.
    std::int64_t CountLines(const std::string& file);

    // Writes every pending line. A line that cannot be written is lost.
    void Flush();
    void Flush(const std::string& file);
    // Forgets pending lines of files below a folder that is about to be deleted.
    void DiscardUnder(const std::string& folder);

    std::size_t PendingBytes() const { return pendingBytes_; }

private:
    static constexpr std::size_t kFlushAbove = 16u << 20;

    std::unordered_map<std::string, std::string> pending_;
    std::size_t pendingBytes_ = 0;
};

// The process's line-file component: created on first use, released at shut-down.
LineFile& LineFileService();
void ReleaseLineFileService();

} // namespace quilder
