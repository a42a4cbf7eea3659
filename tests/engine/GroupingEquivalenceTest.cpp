// The grouping reads each file's samples once and compares for real only where fingerprints
// agree; this holds it against the plain rule: compare every pair in list order.
#include "ComparePhase.h"
#include "ReadAhead.h"
#include "StoreFixture.h"

#include <random>
#include <set>

using namespace quilder;
using quilder::test::TestTree;
using quilder::test::V;

namespace {

// Chunk and stride by class, written out so that the check does not lean on the table it checks.
constexpr std::uint64_t kSampling[][2] = {{1, 1}, {10, 10}, {6, 204}, {6, 2096}, {6, 17476}};

bool PlainCompare(const std::string& first, const std::string& second, int order) {
    if (first.empty() || second.empty() || !FileSystemService().IsFile(first) ||
        !FileSystemService().IsFile(second))
        return false;
    const std::string a = TestTree::Read(first), b = TestTree::Read(second);
    const auto [chunk, stride] = kSampling[order];
    for (std::size_t at = 0; at + chunk <= std::min(a.size(), b.size()); at += stride)
        if (a.compare(at, chunk, b, at, chunk) != 0) return false;
    return true;
}

// Every pair in list order; a taken position is emptied and matches nothing after.
std::map<std::string, V> PlainGroups(V paths, const std::string& listName, int order) {
    std::map<std::string, V> groups;
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

class GroupingEquivalence : public test::StoreFixture {};

TEST_F(GroupingEquivalence, RandomListsGroupAsComparingEveryPair) {
    std::mt19937 random(20240601);
    std::map<std::pair<int, std::string>, V> lists;
    const std::uint64_t sizes[][2] = {
        {1, 1023}, {1024, 10239}, {10240, 102399}, {102400, 400000}, {1048576, 1100000}};
    for (int trial = 0; trial < 45; ++trial) {
        const int order = trial % 5;
        const auto [chunk, stride] = kSampling[order];
        const std::uint64_t size = sizes[order][0] + random() % (sizes[order][1] - sizes[order][0]);
        // Now and then a list whose name is not a size, as a stray file in a scan folder is.
        const std::string listName = std::to_string(size) + (trial % 4 == 3 ? "x" : "");
        SCOPED_TRACE("size " + listName);
        // Members are copies of a few originals, some changed at one byte: outside the samples,
        // the first, the last compared, or next to the end of a file's first read. Some
        // positions name no file, some repeat a path.
        V paths;
        for (int m = 0, members = 2 + static_cast<int>(random() % 10); m < members; ++m) {
            std::string bytes = TestTree::Bytes(size, static_cast<unsigned>(random() % 3));
            const std::uint64_t end = stride * ((size - chunk) / stride) + chunk; // of the last
            const std::uint64_t at[] = {
                chunk < stride ? stride * (random() % ((size - chunk) / stride)) + chunk
                               : end + random() % (size - end + 1),
                0,
                end - 1,
                ((kProbeBytes - chunk) / stride + 1 - random() % 2) * stride,
                SIZE_MAX,
                SIZE_MAX,
                SIZE_MAX};
            const std::size_t pick = random() % 8;
            if (pick == 7 && !paths.empty()) {
                paths.push_back(random() % 2 ? paths.front() : tree.Path("missing"));
                continue;
            }
            if (pick < 7 && at[pick] < size)
                bytes[at[pick]] = static_cast<char>(bytes[at[pick]] ^ 1);
            paths.push_back(tree.File(std::to_string(trial) + "/f" + std::to_string(m), bytes));
        }
        WriteList(order, listName, paths);
        lists[{order, listName}] = paths;
        const auto expected = PlainGroups(paths, listName, order);
        // All samples kept, some, or none: matches are confirmed from memory or by reading again.
        for (const SampleHash hash : {&HashSamples, &SameHash}) {
            for (const std::size_t keep : {kKeepSamplesBytes, 3 * MostSamplesPerFile(order), 0ul}) {
                GroupScanList(host, ScanFolderPaths[order], listName, order, keep, hash);
                EXPECT_EQ(Groups(order), expected) << "keeping " << keep;
                ResetCompareStore();
            }
        }
    }
    // All lists in one phase: their files are sampled ahead on worker threads, yet the lists
    // are grouped in listing order, Large first, each as if it were compared alone.
    std::map<std::string, V> expected[5];
    QStringList statusTexts;
    for (int order = 4; order >= 0; --order) {
        V names;
        FileSystemService().ListFileNames(ScanFolderPaths[order], names);
        for (const std::string& name : names) {
            const V& paths = lists[{order, name}];
            statusTexts << "Comparing '" + QString::fromStdString(paths.front()) + "'";
            expected[order].merge(PlainGroups(paths, name, order));
        }
    }
    // A stop while the workers read ahead ends the phase after the first list, dropping the rest.
    host.statusTexts.clear();
    host.onYield = [&](int) { host.stop = true; };
    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Stopped);
    EXPECT_EQ(host.statusTexts, statusTexts.mid(0, 1));
    host.stop = false;
    host.onYield = nullptr;
    host.statusTexts.clear();
    ResetCompareStore();
    EXPECT_EQ(RunComparingPhase(host).verdict, PhaseVerdict::Completed);
    EXPECT_EQ(host.statusTexts, statusTexts);
    for (int order = 0; order < 5; ++order)
        EXPECT_EQ(Groups(order), expected[order]) << order;
}

// A long list is cut into parts sampled on different workers: joined, it must be exactly the
// list sampled whole, and it must come back in its place between the lists around it.
TEST_F(GroupingEquivalence, AListSampledInPartsJoinsAsIfSampledWhole) {
    V paths;
    for (int k = 0; k < 40; ++k) // copies of three originals, one byte changed in some
        paths.push_back(tree.File("split/f" + std::to_string(k),
                                  TestTree::Bytes(300, k % 3) + (k % 7 == 0 ? "x" : "y")));
    paths.push_back(tree.Path("split/missing"));
    const auto listOf = [&](V files) {
        ListSamples list;
        list.name = "301";
        list.plan = PlanSampling(list.name, 0, 50 * 301, HashSamples);
        list.paths = std::move(files);
        return list;
    };
    ReadAhead whole(FileSystemService(), 0, kKeepSamplesBytes);
    whole.Add(listOf(paths));
    const SampledList expected = whole.Take().sampled;

    ReadAhead split(FileSystemService(), 3, kKeepSamplesBytes, 4);
    split.Add(listOf({paths[0], paths[1]}));
    split.Add(listOf(paths));
    split.Add(listOf({paths[2]}));
    EXPECT_EQ(split.Take().paths, (V{paths[0], paths[1]}));
    const ListSamples joined = split.Take();
    EXPECT_EQ(joined.paths, paths);
    EXPECT_EQ(joined.sampled.next, expected.next);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (expected.next[i] == kNoMatch) continue;
        ASSERT_TRUE(joined.sampled.IsKept(i) && expected.IsKept(i)) << i;
        EXPECT_EQ(joined.sampled.SamplesOf(i), expected.SamplesOf(i)) << i;
    }
    EXPECT_EQ(split.Take().paths, (V{paths[2]}));
}

// Files sharing a fingerprint are compared pair by pair, so a fingerprint that ignores some
// bytes makes a list of many different short files cost the square of its length.
TEST(SampleFingerprint, EveryByteOfShortSamplesCounts) {
    for (const std::size_t length : {1, 7, 13, 40}) {
        std::set<std::uint64_t> hashes;
        std::string samples(length, 'x');
        for (int last = 0; last < 256; ++last) {
            samples.back() = static_cast<char>(last);
            hashes.insert(HashSamples(samples));
        }
        EXPECT_EQ(hashes.size(), 256u) << length;
    }
}

} // namespace
