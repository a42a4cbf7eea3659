#include "LineReader.h"

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
    pos_ = 0;
    buffer_.append(chunk_.get(), static_cast<std::size_t>(n));
    offset_ += static_cast<std::uint64_t>(n);
    return true;
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
        const char* start = buffer_.data() + pos_;
        const auto* cr = static_cast<const char*>(
            std::memchr(start + searched_, '\r', buffer_.size() - pos_ - searched_));
        if (cr) {
            const auto length = static_cast<std::size_t>(cr - start);
            const bool tooLong = skipping_ || length > maxLine_;
            if (!tooLong) line.assign(start, length);
            pos_ += length + 1;
            searched_ = 0;
            skipping_ = false;
            skipLineFeed_ = true;
            if (!tooLong) return true;
            ++skipped_;
            continue;
        }
        searched_ = buffer_.size() - pos_;
        if (searched_ > maxLine_) { // drop what is held of a line that is no path
            skipping_ = true;
            pos_ = buffer_.size();
            searched_ = 0;
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
            searched_ = 0;
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
