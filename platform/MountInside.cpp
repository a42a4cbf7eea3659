#include "MountInside.h"

#include "TrashPlace.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quilder {

namespace {

// mountinfo writes a space, tab, newline and backslash of a path as \040, \011, \012, \134.
std::string Unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            field.find_first_not_of("01234567", i + 1) >= i + 4) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string ReadMountInfo() {
    std::FILE* file = std::fopen("/proc/self/mountinfo", "re");
    if (!file) return {};
    std::string text;
    char buffer[8192];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

} // namespace

bool PathWithin(const std::string& path, const std::string& folder) {
    if (!path.starts_with(folder)) return false;
    return path.size() == folder.size() || folder.ends_with('/') || path[folder.size()] == '/';
}

std::optional<InsidePath> InsidePathOf(const std::string& path, std::uint64_t device) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    const std::string text = ReadMountInfo();
    std::optional<InsidePath> best;
    std::size_t bestLength = 0;
    // Lines: id, parent id, major:minor, root, mount point, ... A later mount on the same point
    // is the one on top, so a tie goes to it.
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = std::min(text.find('\n', at), text.size());
        std::string_view fields[5];
        std::size_t from = at;
        for (std::string_view& field : fields) {
            const std::size_t space = std::min(text.find(' ', from), end);
            field = std::string_view(text).substr(from, space - from);
            from = std::min(space + 1, end);
        }
        unsigned major = 0, minor = 0;
        if (std::sscanf(std::string(fields[2]).c_str(), "%u:%u", &major, &minor) != 2) continue;
        if (makedev(major, minor) != device) continue;
        const std::string point = Unescaped(fields[4]);
        if (point.empty() || !PathWithin(path, point) || point.size() < bestLength) continue;
        std::string rest = point == "/" ? path : path.substr(point.size());
        if (rest == "/") rest.clear();
        std::string root = Unescaped(fields[3]);
        if (root == "/") root.clear();
        best = InsidePath{device, rest.empty() && root.empty() ? "/" : root + rest};
        bestLength = point.size();
    }
    return best;
}

std::optional<InsidePath> InsidePathOfHandle(int folder) {
    struct stat st {};
    if (fstat(folder, &st) != 0) return std::nullopt;
    return InsidePathOf(PathOfHandle(folder), static_cast<std::uint64_t>(st.st_dev));
}

} // namespace quilder
