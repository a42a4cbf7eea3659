#pragma once

#include "FileSystem.h"
#include "ReadHandle.h"

#include <memory>
#include <string>

namespace quilder {

// No path can be longer: a result-file line beyond it is no path and is skipped unread.
inline constexpr std::size_t kLongestPathLine = 64 * 1024;

// Reads a text file line by line. A carriage return ends a line and a line feed right after it
// is skipped; a line feed on its own is kept as part of the line unless AcceptLineFeedEnds was
// called. A last line without an end is still a line. Every byte is looked at once, however long
// the lines are.
class LineReader {
public:
    LineReader(FileSystem& fs, const std::string& path);
    LineReader(FileSystem& fs, int folder, const std::string& name); // a file in an open folder
    bool IsOpen() const { return file_.IsOpen(); }
    // Lines longer than `bytes` are skipped without being held whole, and counted.
    void SetMaxLineLength(std::size_t bytes) { maxLine_ = bytes; }
    std::size_t LongLinesSkipped() const { return skipped_; }
    // A line feed on its own ends a line too: for files another program may have written.
    void AcceptLineFeedEnds() { lineFeedEnds_ = true; }
    // False at the end of the file or on a read error (see Failed).
    bool Next(std::string& line);
    bool Failed() const { return failed_; }

private:
    bool Fill();
    std::size_t FindLineEnd();

    ReadHandle file_;
    std::unique_ptr<char[]> chunk_;
    std::string buffer_;
    std::size_t pos_ = 0;
    // Where in buffer_ the search for a CR, and for an LF, may begin: no earlier byte from pos_
    // on holds one. Each byte is searched once, whichever line end comes first.
    std::size_t noCrBefore_ = 0;
    std::size_t noLfBefore_ = 0;
    std::uint64_t offset_ = 0;
    std::size_t maxLine_ = SIZE_MAX;
    std::size_t skipped_ = 0;
    bool skipping_ = false; // inside a line that is too long
    bool eof_ = false;
    bool failed_ = false;
    bool skipLineFeed_ = false;
    bool lineFeedEnds_ = false;
};

// Reads every line of a file; false when it cannot be opened or read.
bool ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>& lines);
bool ReadAllLines(LineReader& reader, std::vector<std::string>& lines);

} // namespace quilder
