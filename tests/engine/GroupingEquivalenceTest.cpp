// The grouping reads each file's samples once and compares for real only where fingerprints
// agree; these tests hold it against the plain rule: compare every pair in list order.
#include "Compare.h"
#include "ComparePhase.h"
#include "Fingerprint.h"
#include "PhaseFixture.h"

#include <fstream>
#include <iterator>
#include <map>
#include <random>

using namespace quilder;
using V = std::vector<std::string>;
using Groups = std::map<std::string, V>;
using quilder::test::TestTree;

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The comparison written out plainly, reading every chunk on its own.
bool PlainCompare(const std::string& first, const std::string& second, int order) {
    if (first.empty() || second.empty() || !FileSystemService().IsFile(first) ||
        !FileSystemService().IsFile(second))
        return false;
    const std::string a = ReadWhole(first), b = ReadWhole(second);
    const std::size_t chunk = static_cast<std::size_t>(kSizeClasses[order].chunk);
    const std::size_t stride = static_cast<std::size_t>(kSizeClasses[order].stride);
    for (std::size_t at = 0; at < a.size(); at += stride) {
        if (at + chunk > a.size() || at + chunk > b.size()) return true;
        if (a.compare(at, chunk, b, at, chunk) != 0) return false;
    }
    return true;
}

// Every pair in list order; a taken position is emptied and matches nothing after.
Groups PlainGroups(V paths, const std::string& listName, int order) {
    Groups groups;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        for (std::size_t j = i + 1; j < paths.size(); ++j) {
            if (!PlainCompare(paths[i], paths[j], order)) continue;
            V& group = groups[listName + "_" + std::to_string(i + 1)];
            if (group.empty()) group.push_back(paths[i]);
            group.push_back(paths[j]);
            paths[j].clear();
        }
    }
    return groups;
}

class GroupingEquivalence : public test::PhaseFixture {
protected:
    Groups Grouped(int order) const {
        Groups groups;
        for (const std::string& name : Entries(GroupFolderPath(order)))
            groups[name] = ListLines(Group(order, name));
        return groups;
    }
};

std::uint64_t LastSampled(int order, std::uint64_t size) {
    const std::uint64_t chunk = static_cast<std::uint64_t>(kSizeClasses[order].chunk);
    const std::uint64_t stride = static_cast<std::uint64_t>(kSizeClasses[order].stride);
    return stride * ((size - chunk) / stride) + chunk;
}

// A byte that no whole chunk covers, or 0 when every byte is compared.
std::uint64_t UnsampledPosition(int order, std::uint64_t size, std::mt19937& random) {
    const std::uint64_t chunk = static_cast<std::uint64_t>(kSizeClasses[order].chunk);
    const std::uint64_t stride = static_cast<std::uint64_t>(kSizeClasses[order].stride);
    const std::uint64_t tail = 1 + stride * ((size - chunk) / stride) + chunk; // after the last
    if (chunk < stride) {
        const std::uint64_t gap = stride * (random() % ((size - chunk) / stride));
        return gap + chunk + 1 + random() % (stride - chunk);
    }
    return tail <= size ? tail + random() % (size - tail + 1) : 0;
}

TEST_F(GroupingEquivalence, RandomListsGroupAsComparingEveryPair) {
    std::mt19937 random(20240601);
    const std::uint64_t sizes[][2] = {
        {1, 1023}, {1024, 10239}, {10240, 102399}, {102400, 400000}, {1048576, 1100000}};
    for (int trial = 0; trial < 45; ++trial) {
        const int order = trial % 5;
        const std::uint64_t size =
            sizes[order][0] + random() % (sizes[order][1] - sizes[order][0] + 1);
        // Now and then a list whose name is not a size, as a stray file in a scan folder is.
        const std::string listName = std::to_string(size) + (trial % 4 == 3 ? "x" : "");
        SCOPED_TRACE("trial " + std::to_string(trial) + " class " +
                     std::string(kSizeClasses[order].code) + " size " + listName);
        // A few originals; every member is one of them, as it is, changed outside the samples,
        // or changed at a sampled byte. Some positions name no file, some repeat a path.
        std::vector<std::string> originals;
        for (int k = 0; k < 3; ++k)
            originals.push_back(TestTree::Bytes(size, static_cast<unsigned>(trial * 10 + k)));
        V paths;
        const int members = 2 + static_cast<int>(random() % 10);
        for (int m = 0; m < members; ++m) {
            const std::string name = "t" + std::to_string(trial) + "/f" + std::to_string(m);
            std::string bytes = originals[random() % originals.size()];
            switch (random() % 8) {
            case 0:
                if (const std::uint64_t at = UnsampledPosition(order, size, random))
                    bytes[at - 1] = static_cast<char>(bytes[at - 1] ^ 1);
                break;
            case 1:
                bytes[0] = static_cast<char>(bytes[0] ^ 1);
                break;
            case 2: // the last byte that is compared
                bytes[LastSampled(order, size) - 1] ^= 1;
                break;
            case 4: { // a chunk on either side of where the first read of a file stops
                const std::uint64_t chunk = static_cast<std::uint64_t>(kSizeClasses[order].chunk);
                const std::uint64_t stride = static_cast<std::uint64_t>(kSizeClasses[order].stride);
                const std::uint64_t head = (kProbeBytes - chunk) / stride + 1;
                const std::uint64_t at = (head - random() % 2) * stride + random() % chunk;
                if (at < size && at + chunk <= size) bytes[at] = static_cast<char>(bytes[at] ^ 1);
                break;
            }
            case 3:
                if (!paths.empty() && random() % 2) {
                    paths.push_back(random() % 2 ? paths.front() : tree.Path("missing"));
                    continue;
                }
                break;
            default:
                break;
            }
            paths.push_back(tree.File(name, bytes));
        }
        const std::string folder = ScanFolderPaths[order];
        WriteList(order, listName, paths);

        for (std::size_t i = 0; i + 1 < paths.size(); ++i)
            EXPECT_EQ(CompareFiles(paths[i], paths[i + 1], kSizeClasses[order].code),
                      PlainCompare(paths[i], paths[i + 1], order))
                << i;
        const Groups expected = PlainGroups(paths, listName, order);
        // All samples kept, some, or none: matches are confirmed from memory or by reading again.
        for (const std::size_t keep :
             {kKeepSamplesBytes, 3 * MostSamplesPerFile(order), std::size_t{0}}) {
            GroupScanList(host, folder, listName, order, keep);
            EXPECT_EQ(Grouped(order), expected) << "keeping " << keep;
            ResetCompareStore();
        }
    }
}

} // namespace
