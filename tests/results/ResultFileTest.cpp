#include "ResultFile.h"
#include "LoadResult.h"
#include "PathText.h"
#include "ResultsFixture.h"
#include "ScriptedPrompt.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder::test {
namespace {

class ResultFileTest : public ResultsFixture {
protected:
    bool Save(const std::string& path) {
        return SaveResultFile(results, prompt, QString::fromStdString(path));
    }
    // Every column of every list.
    std::vector<Texts> Snapshot() const {
        std::vector<Texts> texts;
        for (int k = 0; k < kResultListCount; ++k)
            for (int c = 0; c < kResultColumnCount; ++c)
                texts.push_back(Column(results.List(k), c));
        return texts;
    }
    ScriptedPrompt prompt;
};

TEST_F(ResultFileTest, WritesPathTabKeyCrLfInListOrderAndOpensToTheSameRows) {
    results.AllList().InsertSorted(
        {Row("b.doc", "0000000020480_3", "/data"), Row("root file", "0000000020480_3", "/"),
         Row("a", "0000000001024_1", "/data/x"), Row("no key", "", "/data")});
    ASSERT_TRUE(Save(tree.Path("r.qdr")));
    EXPECT_EQ(TestTree::Read(tree.Path("r.qdr")), "/data/no key\t\r\n"
                                                  "/data/x/a\t0000000001024_1\r\n"
                                                  "/data/b.doc\t0000000020480_3\r\n"
                                                  "//root file\t0000000020480_3\r\n");
    // A link is saved through, also when its file is gone, and stays a link.
    ASSERT_EQ(symlink("linked.qdr", tree.Path("link.qdr").c_str()), 0);
    ASSERT_TRUE(Save(tree.Path("link.qdr")));
    EXPECT_EQ(TestTree::Read(tree.Path("linked.qdr")), TestTree::Read(tree.Path("r.qdr")));
    EXPECT_TRUE(std::filesystem::is_symlink(tree.Path("link.qdr")));

    // Save, then open: the same rows in the same order.
    results.ClearAll();
    GroupFile("s", "20480_1", {tree.FileOfSize("d/a", 20480), tree.FileOfSize("e/a", 20480)});
    GroupFile("vs", "2048_1", {tree.FileOfSize("d/c", 2048), tree.FileOfSize("e/d", 2048)});
    GroupFile("t", "1_1", {tree.File("d/not utf8 \xff\xfe", "z"), tree.File("e/b", "z")});
    LoadResult(results, host, {});
    results.AllList().SetChecked(0, true);
    const std::vector<Texts> before = Snapshot();

    // A name that is no valid text must name the same file for saving and opening.
    const std::string folder = tree.Folder("saved");
    const QString saved = PathToText(folder + "/result \xff.qdr");
    ASSERT_TRUE(SaveResultFile(results, prompt, saved));
    EXPECT_EQ(Entries(folder), Texts{"result \xff.qdr"});
    EXPECT_EQ(results.CurrentResultFile(), saved);
    EXPECT_FALSE(results.ResultChanged());
    results.ClearAll();
    EXPECT_EQ(LoadResult(results, host, saved).status, LoadOutcome::Status::Loaded);

    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(results.AllList().Row(0).checked);
    EXPECT_TRUE(prompt.notices.isEmpty());
}

// Root may write anywhere: permissions are tested as an ordinary user, for a while.
template <class Step> void AsOrdinaryUser(Step step) {
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || (setegid(65534) == 0 && seteuid(65534) == 0));
    step();
    ASSERT_TRUE(!root || (seteuid(0) == 0 && setegid(0) == 0));
}

// A folder that may not be written (the file itself may), a full disk and a read-only file,
// which root too must leave as it is.
TEST_F(ResultFileTest, ASaveThatCannotBeWrittenKeepsThePreviousFileAndTheFlags) {
    // Many rows, so that a file-size limit of one block runs the write out of room.
    results.AllList().InsertSorted(
        std::vector<ResultRow>(2000, Row("f", "K", "/a/rather/long/folder/for/many/rows")));
    results.SetResultChanged(true);
    const std::string files[] = {tree.File("locked/old.qdr", "previous\r\n"),
                                 tree.File("full/old.qdr", "previous\r\n"),
                                 tree.File("read-only/old.qdr", "previous\r\n")};
    chmod(tree.Root().c_str(), 0755);
    chmod(files[0].c_str(), 0666);
    chmod(tree.Path("locked").c_str(), 0555);
    chmod(files[2].c_str(), 0444);
    bool saved[3] = {true, true, true};
    AsOrdinaryUser([&] { saved[0] = Save(files[0]); });
    saved[1] = [&] { return FileSizeLimit(4096), Save(files[1]); }();
    saved[2] = Save(files[2]);
    chmod(tree.Path("locked").c_str(), 0755);

    ASSERT_EQ(prompt.notices.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(saved[i]) << files[i];
        EXPECT_EQ(TestTree::Read(files[i]), "previous\r\n");
        EXPECT_EQ(Entries(files[i].substr(0, files[i].rfind('/'))), Texts{"old.qdr"}); // no rest
        EXPECT_TRUE(prompt.notices[i].contains(QString::fromStdString(files[i])));
    }
    // The system's reason, also when a write stops partway.
    EXPECT_TRUE(prompt.notices[1].endsWith(qt_error_string(EFBIG)));
    EXPECT_TRUE(prompt.notices[2].endsWith("read-only."));
    EXPECT_TRUE(results.ResultChanged() && results.CurrentResultFile().isEmpty());
}

} // namespace
} // namespace quilder::test
