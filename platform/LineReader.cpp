#include "LineReader.h"

namespace quilder {

namespace {
constexpr std::size_t kChunk = 1 << 16;
}

LineReader::LineReader(FileSystem& fs, const std::string& path) : file_(fs, path) {
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
        const std::size_t cr = buffer_.find('\r', pos_);
        if (cr != std::string::npos) {
            line.assign(buffer_, pos_, cr - pos_);
            pos_ = cr + 1;
            skipLineFeed_ = true;
            return true;
        }
        if (!Fill()) {
            if (pos_ >= buffer_.size() || failed_) return false;
            line.assign(buffer_, pos_, std::string::npos);
            pos_ = buffer_.size();
            return true;
        }
    }
}

bool ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    LineReader reader(fs, path);
    if (!reader.IsOpen()) return false;
    std::string line;
    while (reader.Next(line))
        lines.push_back(line);
    return !reader.Failed();
}

} // namespace quilder
