#include "GroupListing.h"

#include "FileSystem.h"
#include "LineReader.h"
#include "SizeClass.h"
#include "WorkStore.h"

#include <algorithm>
#include <vector>

namespace quilder {

namespace {

struct Group {
    std::string key;
    std::vector<std::string> members;
};

// A row addresses its file as folder + "/" + name, so a file in the root folder reads "//name".
std::string RowPath(const std::string& path) {
    return path.rfind('/') == 0 ? "/" + path : path;
}

} // namespace

std::string SortKeyOfGroupFile(std::string_view name) {
    constexpr std::size_t kDigits = 13;
    const std::size_t underscore = name.find('_');
    const std::string_view size = name.substr(0, underscore);
    std::string key;
    if (size.size() < kDigits) key.assign(kDigits - size.size(), '0');
    key += size;
    if (underscore != std::string_view::npos) key += name.substr(underscore);
    return key;
}

bool WriteGroupListing(const EngineHost& host, std::FILE* out) {
    FileSystem& fs = FileSystemService();
    std::vector<Group> groups;
    std::vector<std::string> names;
    for (int box = 1; box <= kClassCount; ++box) {
        if (host.ClassBoxValue(box) != 1) continue;
        const std::string folder = GroupFolderPath(OrderOfBox(box));
        if (!fs.ListFileNames(folder, names)) continue;
        for (const std::string& name : names) {
            const std::string file = JoinPath(folder, name);
            Group group{SortKeyOfGroupFile(name), {}};
            ReadAllLines(fs, file, group.members);
            fs.DeleteFile(file);
            if (!group.members.empty()) groups.push_back(std::move(group));
        }
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.key < b.key; });
    std::string line;
    for (const Group& group : groups) {
        for (const std::string& member : group.members) {
            line = RowPath(member);
            line += '\t';
            line += group.key;
            line += "\r\n";
            if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) return false;
        }
    }
    return std::fflush(out) == 0;
}

} // namespace quilder
