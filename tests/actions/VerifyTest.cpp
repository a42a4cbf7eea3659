#include "GroupConfirmation.h"
#include "TestActionHost.h"
#include "TestTree.h"
#include "VerifyGroups.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quilder::test {
namespace {

using Paths = std::vector<std::string>;
using R = std::vector<std::string>;

// Verify Groups on rows of files in a test tree.
class VerifyTest : public ::testing::Test, public TestActionHost {
protected:
    // Rows of one group in class list `classList` and, when `inAll`, the All list.
    void AddGroup(int classList, const QString& key, const Paths& paths, bool inAll = true) {
        std::vector<ResultRow> rows = RowsOf(key, paths);
        for (ResultRow& row : rows)
            row.SetFile(1000, SizeUnit::Bytes, 0);
        Insert(classList, rows, inAll);
    }
    // "name:key" in list order.
    R Rows(int list) const {
        R rows;
        for (int i = 0; i < results.List(list).RowCount(); ++i) {
            const ResultRow& row = results.List(list).Row(i);
            rows.push_back(row.text[kNameColumn].toStdString() + ":" + row.SortKey().toStdString());
        }
        return rows;
    }

    TestTree tree;
};

TEST_F(VerifyTest, SplitsByContentKeepsLinksWithTheirCopyAndStopsBetweenGroups) {
    const std::string bytes = TestTree::Bytes(20000, 3);
    std::string odd = bytes;
    odd[12345] ^= 1; // a byte no sample reads
    const Paths a{tree.File("x1", "abcd"), tree.File("y1", "abce"), tree.File("x2", "abcd"),
                  tree.File("y2", "abce")};
    const Paths h{tree.File("h1", "hhhh"), tree.Path("h2"), tree.File("h3", "hhhh")};
    ASSERT_EQ(link(h[0].c_str(), h[1].c_str()), 0);
    const Paths s{tree.File("s1", bytes), tree.File("s2", odd), tree.File("s3", bytes)};
    AddGroup(7, "0000000000004_1", a);
    AddGroup(7, "0000000000004_7", h);
    AddGroup(5, "0000000020000_3", s);
    results.SetCurrentResultFile("saved.qdr");
    onYield = [&] { stop = stop || status.endsWith("(group 3 of 3)"); };
    VerifyGroupsCommand(*this);
    const R small{"s1:0000000020000_3", "s2:0000000020000_3", "s3:0000000020000_3"};
    R all{"x1:0000000000004_1", "x2:0000000000004_1", "y1:0000000000004_2", "y2:0000000000004_2",
          "h1:0000000000004_7", "h2:0000000000004_7", "h3:0000000000004_7"};
    EXPECT_EQ(Rows(7), all);
    all.insert(all.end(), small.begin(), small.end());
    EXPECT_EQ(Rows(0), all);
    EXPECT_EQ(Rows(5), small);
    // The groups verified say so in their rows' tooltips, in every list; the others say how
    // their class compares (these rows are all 1,000 bytes: Tiny).
    const auto tip = [this](int list, int row) {
        const ResultModel& model = results.List(list);
        return model.data(model.index(row, kPathColumn), Qt::ToolTipRole).toString();
    };
    const QString verified = "Confirmed byte for byte by Verify Groups.";
    EXPECT_EQ(tip(0, 0), verified); // split
    EXPECT_EQ(tip(7, 4), verified); // confirmed
    EXPECT_EQ(tip(5, 0), "Confirmed by comparing every byte of the files.");
    ResultRow big;
    big.SetFile(20 << 20, SizeUnit::MB, 0);
    EXPECT_TRUE(GroupConfirmation(big).startsWith("Confirmed by equal size only"));
    EXPECT_EQ(prompt.notices.last(),
              "Stopped after 2 of 3 groups; the others are as they were.\n"
              "Groups confirmed: 1; groups split: 1; files that left the lists: 0.");
    EXPECT_TRUE(results.ResultChanged() && !results.JobRunning() && !stop);
    EXPECT_EQ(results.StatusCountsText(), "10 files in 4 groups.");

    onYield = [&] { VerifyGroupsCommand(*this); }; // refused while it runs
    VerifyGroupsCommand(*this);
    EXPECT_EQ(prompt.notices.last(),
              "Groups confirmed: 3; groups split: 1; files that left the lists: 1.");
    EXPECT_EQ(prompt.notices[prompt.notices.size() - 2], kVerifyingNotice);
    all.erase(all.end() - 2);
    EXPECT_EQ(Rows(0), all);
    EXPECT_EQ(Rows(5), (R{small[0], small[2]}));
    EXPECT_EQ(tip(5, 0), verified);
}

TEST_F(VerifyTest, NewKeysAreUnusedInEveryListWhateverNumbersTheKeysHold) {
    const std::string max = "0000000000004_9223372036854775807";
    AddGroup(7, QString::fromStdString(max),
             {tree.File("a1", "aaaa"), tree.File("b1", "bbbb"), tree.File("a2", "aaaa"),
              tree.File("c1", "cccc"), tree.File("b2", "bbbb"), tree.File("c2", "cccc")});
    AddGroup(7, "0000000000004_1", {tree.File("d1", "dddd"), tree.File("d2", "dddd")});
    AddGroup(3, "0000000000004_2", {tree.File("e1", "eeee"), tree.File("e2", "eeee")}, false);
    AddGroup(7, "name",
             {tree.File("n1", "nnnn"), tree.File("m1", "mmmm"), tree.File("n2", "nnnn"),
              tree.File("m2", "mmmm")});
    VerifyGroupsCommand(*this);
    EXPECT_EQ(Rows(0),
              (R{"d1:0000000000004_1", "d2:0000000000004_1", "b1:0000000000004_3",
                 "b2:0000000000004_3", "c1:0000000000004_4", "c2:0000000000004_4", "a1:" + max,
                 "a2:" + max, "n1:name", "n2:name", "m1:name_1", "m2:name_1"}));
    EXPECT_EQ(prompt.notices.last(),
              "Groups confirmed: 1; groups split: 2; files that left the lists: 0.");
}

TEST_F(VerifyTest, FilesOfOneSizeSplitByTheirWholeContentConfirmedByteForByte) {
    // u is unlike all the others, so they are hashed apart: p, three equal in their first 4 KiB
    // and more than one read long, one of them other in its last byte; r, a pair other in the
    // first byte. q is a pair that differs in its last byte only.
    const std::string p = TestTree::Bytes((5 << 19) + 7, 5);
    std::string last = p, first = p;
    last.back() ^= 1;
    first.front() ^= 1;
    AddGroup(7, "0000002621447_1",
             {tree.File("u", p.substr(1) + "x"), tree.File("p1", p), tree.File("r1", first),
              tree.File("p2", last), tree.File("p3", p), tree.File("r2", first)});
    std::string q = p.substr(0, 20000);
    const std::string q1 = tree.File("q1", q);
    q.back() ^= 1;
    AddGroup(7, "0000000020000_1", {q1, tree.File("q2", q)});
    AddGroup(7, "0000000000004_1", {tree.File("lone", "llll")}); // what a Delete left of a group
    VerifyGroupsCommand(*this);
    EXPECT_EQ(Rows(0), (R{"p1:0000002621447_1", "p3:0000002621447_1", "r1:0000002621447_2",
                          "r2:0000002621447_2"}));
    EXPECT_EQ(prompt.notices.last(), "Groups confirmed: 0; groups split: 1; groups dissolved: 2; "
                                     "files that left the lists: 5.");
}

TEST_F(VerifyTest, RowsOfOneFileCountAsOneFileUnderAnySpellingOrMount) {
    const std::string f = tree.File("a/f", "same"), g = tree.File("b/g", "same");
    ASSERT_EQ(link(f.c_str(), tree.Path("a/h").c_str()), 0);
    tree.Link("l", tree.Path("a"));
    Paths one{f, tree.Path("a/../a/f"), tree.Path("l/f"), tree.Path("a/h")};
    // An overlay shows the file under another device, with the same inode number and times.
    BindMounts mounts;
    if (geteuid() == 0) {
        ASSERT_TRUE(mounts.Mount("overlay", tree.Folder("o"), "overlay",
                                 "lowerdir=" + tree.Path("a") + ":" + tree.Folder("e")));
        one.push_back(tree.Path("o/f"));
    }
    AddGroup(7, "0000000000004_1", one);
    AddGroup(7, "0000000000004_2", {g, tree.Path("b/../b/g"), tree.File("c/g", "same")});
    VerifyGroupsCommand(*this);
    EXPECT_EQ(Rows(0), (R{"g:0000000000004_2", "g:0000000000004_2", "g:0000000000004_2"}));
    EXPECT_EQ(
        prompt.notices.last(),
        QStringLiteral("Groups confirmed: 1; groups split: 0; groups dissolved: 1; files that "
                       "left the lists: %1.")
            .arg(one.size()));
    if (geteuid() != 0) GTEST_SKIP() << "the overlay part needs root";
}

TEST_F(VerifyTest, AFileChangedWhileVerifiedIsIdenticalToNone) {
    // c takes a new time, its bytes unchanged, at one yield after another: whatever was read or
    // hashed before the change proves nothing. u is unlike the rest, so they are hashed before
    // they are compared, each with c.
    std::string bytes = TestTree::Bytes(3 << 20, 9);
    const std::string u = tree.File("u", bytes);
    bytes[0] ^= 1;
    const std::string c = tree.File("c", bytes);
    const Paths files{u, c, tree.File("a", bytes), tree.File("b", bytes)};
    int seen = 0, changeAt = 0;
    onYield = [&] {
        if (++seen != changeAt) return;
        const timespec times[2] = {{changeAt, 0}, {changeAt, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, c.c_str(), times, 0), 0);
    };
    AddGroup(7, "0000003145728_1", files);
    VerifyGroupsCommand(*this); // counts the yields
    const int yields = seen;
    ASSERT_GT(yields, 10);
    for (changeAt = 1; changeAt <= yields; ++changeAt) {
        SCOPED_TRACE(changeAt);
        seen = 0;
        for (int k = 0; k < kResultListCount; ++k)
            results.List(k).Clear();
        AddGroup(7, "0000003145728_1", files);
        VerifyGroupsCommand(*this);
        // Changed before it is first looked at (the second yield), c is as good as the others.
        R rows{"c:0000003145728_1", "a:0000003145728_1", "b:0000003145728_1"};
        if (changeAt > 2) rows.erase(rows.begin());
        EXPECT_EQ(Rows(0), rows);
    }
}

} // namespace
} // namespace quilder::test
