#include "ResultFile.h"
#include "LoadResult.h"
#include "PathText.h"
#include "ResultsFixture.h"
#include "ScriptedPrompt.h"

#include <QBuffer>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder::test {
namespace {

ResultRow Row(const char* path, const char* name, const char* key) {
    ResultRow row;
    row.text[kPathColumn] = QString::fromUtf8(path);
    row.text[kNameColumn] = QString::fromUtf8(name);
    row.text[kSortColumn] = QString::fromUtf8(key);
    return row;
}

std::string Written(const ResultModel& list) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteResultLines(list, buffer));
    return buffer.data().toStdString();
}

class ResultFileTest : public ResultsFixture {
protected:
    // A previous save and a result that has changed since.
    std::string PreviousSave(const std::string& folder) {
        const std::string path = folder + "/old.qdr";
        tree.File(path.substr(tree.Root().size() + 1), "previous\tK\r\n");
        results.AllList().InsertSorted({Row("/data", "a", "K")});
        results.SetCurrentResultFile(QStringLiteral("/somewhere/current.qdr"));
        results.SetResultChanged(true);
        return path;
    }
    void ExpectNothingChanged(const std::string& path) {
        ASSERT_EQ(prompt.notices.size(), 1);
        EXPECT_TRUE(prompt.notices[0].contains(QString::fromStdString(path)));
        EXPECT_TRUE(results.ResultChanged());
        EXPECT_EQ(results.CurrentResultFile(), QStringLiteral("/somewhere/current.qdr"));
    }
    ScriptedPrompt prompt;
};

TEST_F(ResultFileTest, WritesPathTabKeyCrLfInListOrder) {
    ResultModel& all = results.AllList();
    all.InsertSorted({Row("/data", "b.doc", "0000000020480_3"),
                      Row("/", "root file", "0000000020480_3"),
                      Row("/data/x", "a", "0000000001024_1"), Row("/data", "no key", "")});
    EXPECT_EQ(Written(all), "/data/no key\t\r\n"
                            "/data/x/a\t0000000001024_1\r\n"
                            "/data/b.doc\t0000000020480_3\r\n"
                            "//root file\t0000000020480_3\r\n");
}

TEST_F(ResultFileTest, SaveThenOpenGivesTheSameRowsInTheSameOrder) {
    GroupFile("s", "20480_1", {tree.FileOfSize("d/a", 20480), tree.FileOfSize("e/a", 20480)});
    GroupFile("vs", "2048_1", {tree.FileOfSize("d/c", 2048), tree.FileOfSize("e/d", 2048)});
    GroupFile("t", "1_1", {tree.File("d/not utf8 \xff\xfe", "z"), tree.File("e/b", "z")});
    LoadResult(results, host, {});
    results.AllList().SetChecked(0, true);
    std::vector<Texts> before;
    for (int k = 0; k < kResultListCount; ++k)
        before.push_back(Names(k));
    const auto keysBefore = Keys(0);
    const auto pathsBefore = Column(results.AllList(), kPathColumn);

    // A name that is no valid text must name the same file for saving and opening.
    const std::string folder = tree.Folder("saved");
    const QString saved = PathToText(folder + "/result \xff.qdr");
    ASSERT_TRUE(SaveResultFile(results, prompt, saved));
    EXPECT_EQ(FilesIn(folder), Texts{"result \xff.qdr"});
    EXPECT_EQ(results.CurrentResultFile(), saved);
    EXPECT_FALSE(results.ResultChanged());
    results.ClearAll();
    EXPECT_EQ(LoadResult(results, host, saved).status, LoadOutcome::Status::Loaded);

    for (int k = 0; k < kResultListCount; ++k)
        EXPECT_EQ(Names(k), before[k]) << "list " << k;
    EXPECT_EQ(Keys(0), keysBefore);
    EXPECT_EQ(Column(results.AllList(), kPathColumn), pathsBefore);
    EXPECT_FALSE(results.AllList().Row(0).checked);
    EXPECT_TRUE(prompt.notices.isEmpty());
}

// Root may write anywhere: permissions are then tested as an ordinary user, for a while.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (geteuid() == 0) dropped_ = setegid(kNobody) == 0 && seteuid(kNobody) == 0;
    }
    ~AsOrdinaryUser() {
        if (dropped_) {
            [[maybe_unused]] const int u = seteuid(0);
            [[maybe_unused]] const int g = setegid(0);
        }
    }
    bool Ready() const { return dropped_ || geteuid() != 0; }

private:
    static constexpr uid_t kNobody = 65534;
    bool dropped_ = false;
};

TEST_F(ResultFileTest, SavingIntoAReadOnlyFolderOrFileKeepsThePreviousFileAndTheFlags) {
    chmod(tree.Root().c_str(), 0755);
    const std::string lockedFolder = tree.Folder("locked");
    const std::string inLockedFolder = PreviousSave(lockedFolder);
    chmod(inLockedFolder.c_str(), 0666); // the file may be written, its folder not
    chmod(lockedFolder.c_str(), 0555);
    const std::string openFolder = tree.Folder("open");
    const std::string readOnlyFile = openFolder + "/read-only.qdr";
    tree.File("open/read-only.qdr", "previous\tK\r\n");
    chmod(readOnlyFile.c_str(), 0444);
    chmod(openFolder.c_str(), 0777);

    bool saved[2] = {true, true};
    {
        AsOrdinaryUser user;
        ASSERT_TRUE(user.Ready());
        saved[0] = SaveResultFile(results, prompt, QString::fromStdString(inLockedFolder));
        saved[1] = SaveResultFile(results, prompt, QString::fromStdString(readOnlyFile));
    }
    chmod(lockedFolder.c_str(), 0755);
    EXPECT_FALSE(saved[0]);
    EXPECT_FALSE(saved[1]);
    EXPECT_EQ(TestTree::Read(inLockedFolder), "previous\tK\r\n");
    EXPECT_EQ(TestTree::Read(readOnlyFile), "previous\tK\r\n");
    ASSERT_EQ(prompt.notices.size(), 2);
    EXPECT_TRUE(prompt.notices[1].contains(QString::fromStdString(readOnlyFile)));
    prompt.notices.removeLast();
    ExpectNothingChanged(inLockedFolder);
}

TEST_F(ResultFileTest, AFullDiskKeepsThePreviousFileAndTheFlags) {
    const std::string path = PreviousSave(tree.Folder("full"));
    // Many rows against a file-size limit of one block: the write runs out of room.
    std::vector<ResultRow> rows(2000, Row("/a/rather/long/folder/name/for/many/rows", "file", "K"));
    results.AllList().InsertSorted(std::move(rows));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = SaveResultFile(results, prompt, QString::fromStdString(path));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(TestTree::Read(path), "previous\tK\r\n");
    EXPECT_EQ(FilesIn(tree.Path("full")), Texts{"old.qdr"}); // no half-written file is left
    ExpectNothingChanged(path);
}

} // namespace
} // namespace quilder::test
