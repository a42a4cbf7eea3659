#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quilder {

class FileSystem;

enum class ContentVerdict {
    Same,
    Differs,
    NotCompared, // a file could not be opened or read whole, or both paths name one file
    Abandoned,   // the yield asked to stop
};

// Compares two files byte for byte through the file-system service's positioned reads. The
// yield runs between chunks, so that comparing large files keeps the window responsive; when it
// returns false the comparison ends at once.
class ContentCheck {
public:
    ContentCheck(FileSystem& fs, std::function<bool()> yield);

    // Same only when `other` is a separate file, not `file` reached by another path (deleting
    // one would take the other with it), and both hold exactly the same bytes.
    ContentVerdict Compare(const std::string& file, const std::string& other);

private:
    FileSystem& fs_;
    std::function<bool()> yield_;
    std::vector<char> first_;
    std::vector<char> second_;
};

} // namespace quilder
