#include "LineReader.h"

#include <algorithm>
#include <cstring>

namespace quilder {

namespace {
constexpr std::size_t kChunk = 1 << 16;
}

LineReader::LineReader(FileSystem& fs, const std::string& path) : file_(fs, path) {
    if (!file_.IsOpen()) eof_ = true;
}

LineReader::LineReader(FileSystem& fs, int folder, const std::string& name)
    : file_(fs, folder, name) {
    if (!file_.IsOpen()) eof_ = true;
}

bool LineReader::Fill() {
    if (eof_) return false;
    if (!chunk_) chunk_ = std::make_unique_for_overwrite<char[]>(kChunk);
    const long long n = file_.ReadAt(chunk_.get(), kChunk, offset_);
    if (n <= 0) {
        eof_ = true;
        if (n < 0) failed_ = true;
        return false;
    }
    buffer_.erase(0, pos_);
    noCrBefore_ -= std::min(noCrBefore_, pos_);
    noLfBefore_ -= std::min(noLfBefore_, pos_);
    pos_ = 0;
    buffer_.append(chunk_.get(), static_cast<std::size_t>(n));
    offset_ += static_cast<std::uint64_t>(n);
    return true;
}

// The position in buffer_ of the first line end from pos_ on, or buffer_.size() when none is held.
std::size_t LineReader::FindLineEnd() {
    const char* data = buffer_.data();
    const std::size_t size = buffer_.size();
    noCrBefore_ = std::max(noCrBefore_, pos_);
    const auto* cr =
        static_cast<const char*>(std::memchr(data + noCrBefore_, '\r', size - noCrBefore_));
    noCrBefore_ = cr ? static_cast<std::size_t>(cr - data) : size;
    if (!lineFeedEnds_) return noCrBefore_;
    // Up to the CR only: an LF beyond it is looked at once the CR's line is taken.
    noLfBefore_ = std::max(noLfBefore_, pos_);
    if (noLfBefore_ < noCrBefore_) {
        const auto* lf = static_cast<const char*>(
            std::memchr(data + noLfBefore_, '\n', noCrBefore_ - noLfBefore_));
        noLfBefore_ = lf ? static_cast<std::size_t>(lf - data) : noCrBefore_;
    }
    return std::min(noCrBefore_, noLfBefore_);
}

bool LineReader::Next(std::string& line) {
    for (;;) {
        if (skipLineFeed_) {
            if (pos_ == buffer_.size() && !Fill()) {
                skipLineFeed_ = false;
                return false;
            }
            if (buffer_[pos_] == '\n') ++pos_;
            skipLineFeed_ = false;
        }
        const std::size_t end = FindLineEnd();
        if (end < buffer_.size()) {
            const std::size_t length = end - pos_;
            const bool tooLong = skipping_ || length > maxLine_;
            if (!tooLong) line.assign(buffer_, pos_, length);
            skipLineFeed_ = buffer_[end] == '\r';
            pos_ = end + 1;
            skipping_ = false;
            if (!tooLong) return true;
            ++skipped_;
            continue;
        }
        if (buffer_.size() - pos_ > maxLine_) { // drop what is held of a line that is no path
            skipping_ = true;
            pos_ = buffer_.size();
        }
        if (!Fill()) {
            if (failed_) return false;
            if (skipping_) {
                skipping_ = false;
                ++skipped_;
                return false;
            }
            if (pos_ >= buffer_.size()) return false;
            line.assign(buffer_, pos_, std::string::npos);
            pos_ = buffer_.size();
            return true;
        }
    }
}

bool ReadAllLines(LineReader& reader, std::vector<std::string>& lines) {
    lines.clear();
    if (!reader.IsOpen()) return false;
    std::string line;
    while (reader.Next(line))
        lines.push_back(line);
    return !reader.Failed();
}

bool ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>& lines) {
    LineReader reader(fs, path);
    return ReadAllLines(reader, lines);
}

} // namespace quilder
