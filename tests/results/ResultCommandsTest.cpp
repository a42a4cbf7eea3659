#include "ResultCommands.h"
#include "RecordingDesktopKit.h"
#include "ResultCommandHost.h"
#include "ResultsFixture.h"
#include "ScriptedPrompt.h"

#include <QFile>

namespace quilder::test {
namespace {

using Answer = PromptAnswer;

class ResultCommandsTest : public ResultsFixture, public ResultCommandHost {
protected:
    // A task's progress is the fake engine host's, so that its record holds every status text.
    void Yield() override { host.Yield(); }
    bool Closing() const override { return host.Closing(); }
    QString StatusText() const override { return host.StatusText(); }
    void SetStatusText(const QString& text) override { host.SetStatusText(text); }
    bool StopRequested() const override { return host.StopRequested(); }
    void SetStopRequested(bool stop) override { host.SetStopRequested(stop); }
    void SetAnimationInterval(int ms) override { host.SetAnimationInterval(ms); }
    ResultSet& Results() override { return results; }
    Prompt& Prompts() override { return prompt; }
    DesktopKit& Desktop() override { return kit; }
    WindowHandle WindowId() override { return 7; }
    EngineHost& Engine() override { return host; }
    void TickAllFilesBox() override { steps << "tick all"; }
    void RefillFolderTree() override { steps << "refill tree"; }

    void AddRow() { results.AllList().InsertSorted({Row("a", "", tree.Root().c_str())}); }
    QString Path(const char* name) const {
        return QString::fromStdString(tree.Root()) + '/' + name;
    }
    int LinesIn(const char* name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : -1;
    }

    ScriptedPrompt prompt;
    RecordingDesktopKit kit;
    QStringList steps;
    ResultCommands commands{results, *this};
};

TEST_F(ResultCommandsTest, OfferToSaveAsksForUnsavedOrChangedAndGoesOnOnlyWhenNothingIsLost) {
    const QString saved = Path("saved.qdr"), failing = "/no/such/folder/r.qdr";
    // clang-format off
    const struct { bool rows; QString current; bool changed; Answer answer; QString savePath;
                   bool asks, goesOn; } cases[] = { // savePath: the save dialog's answer
        {false, {}, true, Answer::Yes, {}, false, true},       // Empty
        {true, saved, false, Answer::Yes, {}, false, true},    // Saved
        {true, {}, false, Answer::No, {}, true, true},         // Unsaved
        {true, saved, true, Answer::Cancel, {}, true, false},  // Changed
        {true, {}, true, Answer::Yes, {}, true, false},        // the save dialog cancelled
        {true, {}, true, Answer::Yes, failing, true, false},   // the save fails
        {true, saved, true, Answer::Yes, {}, true, true}};     // saved again
    // clang-format on
    for (const auto& c : cases) {
        results.ClearAll();
        if (c.rows) AddRow();
        results.SetCurrentResultFile(c.current);
        results.SetResultChanged(c.changed);
        prompt.questions.clear();
        prompt.answers = {c.answer};
        kit.saveAnswer = c.savePath;
        EXPECT_EQ(commands.OfferToSaveResult(), c.goesOn) << &c - cases;
        EXPECT_EQ(prompt.questions, c.asks ? QStringList{kSaveQuestion} : QStringList{});
        EXPECT_TRUE(c.goesOn || results.ResultChanged() == c.changed); // still unsaved
    }
    EXPECT_EQ(LinesIn("saved.qdr"), 1);
    EXPECT_EQ(prompt.notices.size(), 1); // the failed save says so
}

// Save writes back to the file the lists came from (not an earlier one) without asking; Save As
// always asks.
TEST_F(ResultCommandsTest, SaveWritesBackToTheOpenedFileAndSaveAsAsks) {
    const std::string a = tree.File("a", "xyz"), b = tree.File("b", "xyz");
    WriteLines("opened.qdr", {a + "\tK", b + "\tK"});
    WriteLines("earlier.qdr", {"earlier"});
    results.SetCurrentResultFile(Path("earlier.qdr"));
    kit.openAnswer = {Path("opened.qdr")};
    commands.OpenResultFile();
    ASSERT_EQ(results.AllList().RowCount(), 2);
    results.AllList().removeRows(0, 1); // as Delete leaves it
    results.SetResultChanged(true);
    EXPECT_TRUE(commands.SaveResult(false));
    EXPECT_EQ(host.statusTexts.back(), "Finished.");
    // The dialog asked about the typed name only: replacing it with ".qdr" added is asked here.
    kit.saveAnswer = Path("second");
    WriteLines("second.qdr", {"old"});
    prompt.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(commands.SaveResult(true));
    EXPECT_TRUE(commands.SaveResult(true));
    EXPECT_EQ(prompt.questions, QStringList(2, ReplaceQuestion(Path("second.qdr"))));
    const QString saveCall = "ShowSaveDialog|7|Save Result As|" + ResultFileFilter() + "|qdr";
    EXPECT_EQ(kit.calls, (QStringList{"ShowOpenDialog|7|Open Result File|" + ResultFileFilter(),
                                      saveCall, saveCall}));
    EXPECT_EQ(LinesIn("opened.qdr") + LinesIn("earlier.qdr") + LinesIn("second.qdr"), 3);
    EXPECT_EQ(results.CurrentResultFile(), Path("second.qdr"));
    // A result file that cannot be read gives one notice, keeps the current file, and says so.
    kit.openAnswer = {Path("missing")};
    commands.OpenResultFile();
    ASSERT_EQ(prompt.notices.size(), 1);
    EXPECT_TRUE(prompt.notices[0].contains(Path("missing")));
    EXPECT_EQ(results.CurrentResultFile(), Path("second.qdr"));
    EXPECT_EQ(host.statusTexts.back(), "The result file could not be read.");
}

TEST_F(ResultCommandsTest, NewJobOpenAndSaveChangeNothingWhileAJobOrALoadRuns) {
    AddRow();
    kit.openAnswer = {Path("other.qdr")};
    for (bool job : {true, false}) {
        results.SetJobRunning(job);
        if (!job) results.TryBeginLoad();
        commands.NewJob();
        commands.OpenResultFile();
    }
    EXPECT_FALSE(commands.SaveResult(true)); // into a file chosen for the lists before the load
    EXPECT_EQ(prompt.notices, (QStringList{kJobRunningNotice, kJobRunningNotice, kLoadRunningNotice,
                                           kLoadRunningNotice, kLoadRunningNotice}));
    EXPECT_TRUE(kit.calls.isEmpty() && steps.isEmpty());
    EXPECT_EQ(results.AllList().RowCount(), 1);
}

} // namespace
} // namespace quilder::test
