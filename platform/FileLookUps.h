#pragma once

#include "FileSystem.h"

#include <functional>
#include <string_view>
#include <vector>

namespace quilder {

// Looks up files by absolute path, each afresh, with the answers of FileSystem::LookUpFile.
// Many paths at once are best handed to Prepare first: it looks them up folder by folder, in an
// order that costs the system far less than a list's order (the files of one folder lie
// together in its caches), and through a handle of the folder, so that the system walks the
// path once per folder instead of once per file. LookUp then hands out those answers when
// asked for the same paths in the same order.
class FileLookUps {
public:
    // `threads` 0: two threads where a second core is free, one otherwise; 1 or 2: so many.
    explicit FileLookUps(FileSystem& fs, unsigned threads = 0) : fs_(fs), threads_(threads) {}

    // Looks up `paths`, which must stay until they have been asked for. Calls `yield` every
    // few dozen look-ups, as a load does per line, and gives up when it says false. Forgets
    // the answers of an earlier call.
    bool Prepare(const std::vector<std::string_view>& paths, const std::function<bool()>& yield);
    std::optional<FileFacts> LookUp(std::string_view path);

private:
    struct Answer {
        std::string_view path;
        std::optional<FileFacts> facts;
    };

    FileSystem& fs_;
    unsigned threads_;
    std::vector<Answer> answers_;
    std::size_t next_ = 0;
};

} // namespace quilder
