#include "ResultLines.h"

#include "FileLookUps.h"

#include <cerrno>

namespace quilder {

namespace {

// The files of one folder lie together in the system's caches: the larger a part, the more of
// them are looked up one after the other. A part is bounded, since it is held whole.
constexpr std::size_t kPartLines = 131072;
constexpr std::size_t kPartBytes = std::size_t{16} << 20;
// Fewer lines gain too little to be held back from the lists.
constexpr std::size_t kLeastLinesLookedUpAhead = 1024;
constexpr std::size_t kLinesPerReadingYield = 4096;

} // namespace

bool ResultLines::ReadPart() {
    text_.clear();
    ends_.clear();
    next_ = 0;
    std::string line;
    while (ends_.size() < kPartLines && text_.size() < kPartBytes) {
        errno = 0;
        if (!reader_.Next(line)) {
            ended_ = true;
            if (reader_.Failed()) readError_ = errno;
            break;
        }
        text_ += line;
        ends_.push_back(text_.size());
        // A large part may take a while to come from the disk: the window answers meanwhile.
        if (ends_.size() % kLinesPerReadingYield == 0 && yield_ && !yield_()) {
            stopped_ = true;
            return false;
        }
    }
    if (ends_.size() < kLeastLinesLookedUpAhead) return !ends_.empty();
    std::vector<std::string_view> paths;
    paths.reserve(ends_.size());
    std::size_t begin = 0;
    for (const std::size_t end : ends_) {
        const std::string_view line(text_.data() + begin, end - begin);
        paths.push_back(line.substr(0, line.find('\t')));
        begin = end;
    }
    if (!files_.Prepare(paths, yield_)) {
        stopped_ = true;
        return false;
    }
    return true;
}

bool ResultLines::Next(std::string& line) {
    if (stopped_) return false;
    if (next_ == ends_.size() && (ended_ || !ReadPart())) return false;
    const std::size_t begin = next_ == 0 ? 0 : ends_[next_ - 1];
    line.assign(text_, begin, ends_[next_] - begin);
    ++next_;
    return true;
}

} // namespace quilder
