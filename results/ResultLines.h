#pragma once

#include "LineReader.h"

#include <functional>
#include <string>
#include <vector>

namespace quilder {

class FileLookUps;

// The lines of a result file, read a large part at a time. Before the first line of a part is
// handed out, the files its lines name (the text before the first tab) are looked up together
// (FileLookUps::Prepare). A part too small to gain from that is handed out as it is read.
class ResultLines {
public:
    ResultLines(LineReader& reader, FileLookUps& files, std::function<bool()> yield)
        : reader_(reader), files_(files), yield_(std::move(yield)) {}

    // False at the end of the file, on a read error (the reader has Failed) or when a yield
    // during the look-ups said stop.
    bool Next(std::string& line);
    bool Stopped() const { return stopped_; }
    // The system's reason for a failed read.
    int ReadError() const { return readError_; }

private:
    bool ReadPart();

    LineReader& reader_;
    FileLookUps& files_;
    std::function<bool()> yield_;
    std::string text_;              // the part's lines, one after the other
    std::vector<std::size_t> ends_; // where each line ends in text_
    std::size_t next_ = 0;
    bool stopped_ = false;
    bool ended_ = false;
    int readError_ = 0;
};

} // namespace quilder
