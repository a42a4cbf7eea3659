#pragma once

#include "FileSystem.h"

#include <memory>
#include <string>

namespace quilder {

// Reads a text file line by line. A carriage return ends a line and a line feed right after it
// is skipped; a line feed on its own is kept as part of the line. A last line without an end is
// still a line.
class LineReader {
public:
    LineReader(FileSystem& fs, const std::string& path);
    bool IsOpen() const { return file_.IsOpen(); }
    // False at the end of the file or on a read error (see Failed).
    bool Next(std::string& line);
    bool Failed() const { return failed_; }

private:
    bool Fill();

    ReadHandle file_;
    std::unique_ptr<char[]> chunk_;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::uint64_t offset_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    bool skipLineFeed_ = false;
};

// Reads every line of a file; false when it cannot be opened or read.
bool ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>& lines);

} // namespace quilder
