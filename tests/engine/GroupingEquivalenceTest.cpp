// The grouping reads each file's samples once and compares for real only where fingerprints
// agree; these tests hold it against the plain rule: compare every pair in list order.
#include "Compare.h"
#include "ComparePhase.h"
#include "Fingerprint.h"
#include "PhaseFixture.h"

#include <random>

using namespace quilder;
using quilder::test::TestTree;
using quilder::test::V;
using GroupMap = std::map<std::string, V>;

namespace {

struct Sampling {
    std::uint64_t chunk, stride;
};
// Written out, so that the check does not lean on the class table it checks.
constexpr Sampling kSampling[] = {{1, 1}, {10, 10}, {6, 204}, {6, 2096}, {6, 17476}};

// The comparison written out plainly, reading every chunk on its own.
bool PlainCompare(const std::string& first, const std::string& second, int order) {
    if (first.empty() || second.empty() || !FileSystemService().IsFile(first) ||
        !FileSystemService().IsFile(second))
        return false;
    const std::string a = TestTree::Read(first), b = TestTree::Read(second);
    const auto [chunk, stride] = kSampling[order];
    for (std::size_t at = 0; at < a.size(); at += stride) {
        if (at + chunk > a.size() || at + chunk > b.size()) return true;
        if (a.compare(at, chunk, b, at, chunk) != 0) return false;
    }
    return true;
}

// Every pair in list order; a taken position is emptied and matches nothing after.
GroupMap PlainGroups(V paths, const std::string& listName, int order) {
    GroupMap groups;
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

// Every file collides: only the confirmation can keep different files apart.
std::uint64_t SameHash(std::string_view) {
    return 42;
}

class GroupingEquivalence : public test::PhaseFixture {};

TEST_F(GroupingEquivalence, RandomListsGroupAsComparingEveryPair) {
    std::mt19937 random(20240601);
    const std::uint64_t sizes[][2] = {
        {1, 1023}, {1024, 10239}, {10240, 102399}, {102400, 400000}, {1048576, 1100000}};
    for (int trial = 0; trial < 45; ++trial) {
        const int order = trial % 5;
        const auto [chunk, stride] = kSampling[order];
        const std::uint64_t size =
            sizes[order][0] + random() % (sizes[order][1] - sizes[order][0] + 1);
        // Now and then a list whose name is not a size, as a stray file in a scan folder is.
        const std::string listName = std::to_string(size) + (trial % 4 == 3 ? "x" : "");
        SCOPED_TRACE("trial " + std::to_string(trial) + " size " + listName);
        // A few originals; every member is one of them, as it is or changed at one byte: outside
        // the samples, the first, the last compared, or either side of the end of a file's first
        // read. Some positions name no file, some repeat a path.
        std::vector<std::string> originals;
        for (unsigned k = 0; k < 3; ++k)
            originals.push_back(TestTree::Bytes(size, static_cast<unsigned>(trial) * 10 + k));
        V paths;
        const int members = 2 + static_cast<int>(random() % 10);
        for (int m = 0; m < members; ++m) {
            std::string bytes = originals[random() % originals.size()];
            const std::uint64_t last = stride * ((size - chunk) / stride) + chunk; // after it
            std::uint64_t at = SIZE_MAX;
            switch (random() % 8) {
            case 0:
                if (chunk < stride)
                    at = stride * (random() % ((size - chunk) / stride)) + chunk;
                else if (last < size)
                    at = last + random() % (size - last);
                break;
            case 1:
                at = 0;
                break;
            case 2:
                at = last - 1;
                break;
            case 3:
                if (!paths.empty() && random() % 2) {
                    paths.push_back(random() % 2 ? paths.front() : tree.Path("missing"));
                    continue;
                }
                break;
            case 4:
                at = ((kProbeBytes - chunk) / stride + 1 - random() % 2) * stride;
                break;
            default:
                break;
            }
            if (at < size) bytes[at] = static_cast<char>(bytes[at] ^ 1);
            paths.push_back(
                tree.File(std::to_string(trial) + "/f" + std::to_string(m), bytes));
        }
        WriteList(order, listName, paths);
        for (std::size_t i = 0; i + 1 < paths.size(); ++i)
            EXPECT_EQ(CompareFiles(paths[i], paths[i + 1], kSizeClasses[order].code),
                      PlainCompare(paths[i], paths[i + 1], order))
                << i;
        const GroupMap expected = PlainGroups(paths, listName, order);
        // All samples kept, some, or none: matches are confirmed from memory or by reading again.
        for (const SampleHash hash : {&HashSamples, &SameHash}) {
            for (const std::size_t keep :
                 {kKeepSamplesBytes, 3 * MostSamplesPerFile(order), std::size_t{0}}) {
                GroupScanList(host, ScanFolderPaths[order], listName, order, keep, hash);
                EXPECT_EQ(Groups(order), expected) << "keeping " << keep;
                ResetCompareStore();
            }
        }
    }
}

} // namespace
