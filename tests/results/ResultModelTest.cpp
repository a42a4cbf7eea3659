#include "ResultModel.h"
#include "LoadResult.h"
#include "ModifiedDateText.h"
#include "RecordingFileSystem.h"
#include "ResultListView.h"
#include "ResultsFixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMimeDatabase>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

namespace quilder::test {
namespace {

class ResultModelTest : public ::testing::Test {
protected:
    ResultModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultModelTest, KeepsKeyOrderAndLoadOrderWithinAGroup) {
    model.InsertSorted({Row("b1", "B"), Row("a1", "A"), Row("c1", "C"), Row("b2", "B")});
    // Interleaves with every old group; old members stay above new ones of the same key.
    model.InsertSorted({Row("d1", "D"), Row("b3", "B"), Row("a2", "A"), Row("0", ""),
                        Row("c2", "C"), Row("a3", "A")});
    EXPECT_EQ(Column(model, kNameColumn),
              (Texts{"0", "a1", "a2", "a3", "b1", "b2", "b3", "c1", "c2", "d1"}));
    model.InsertSorted({Row("e1", "E"), Row("d2", "D")}); // the append path
    EXPECT_EQ(Column(model, kNameColumn).back(), "e1");
    EXPECT_EQ(Column(model, kNameColumn)[10], "d2");
}

TEST_F(ResultModelTest, InsertingKeepsTheRowsTheViewHoldsOnAndTheirCheckMarks) {
    ResultListView view(model, 0);
    model.InsertSorted({Row("b1", "B"), Row("d1", "D")});
    // Only the name column carries the check box.
    EXPECT_FALSE(model.setData(model.index(1, kSizeColumn), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(1, kNameColumn), Qt::Checked, Qt::CheckStateRole));
    view.setCurrentIndex(model.index(1, kNameColumn));
    const QPersistentModelIndex held(model.index(1, kNameColumn));
    model.InsertSorted({Row("a1", "A"), Row("c1", "C"), Row("e1", "E")});
    EXPECT_EQ(held.row(), 3);
    EXPECT_EQ(held.data().toString(), QStringLiteral("d1"));
    EXPECT_EQ(view.currentIndex(), QModelIndex(held));
    EXPECT_EQ(held.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(model.Row(1).checked);
}

// The room the view's own delegate asks for a column's texts.
struct MeasuredList : ResultListView {
    using QTreeView::sizeHintForColumn;
    using ResultListView::ResultListView;
};

// Protection locks the rows of a folder and of the folders below it, on whole path components,
// in every list at once, with one signal per list however many rows it has.
TEST(ProtectedRowsTest, LockOnWholeComponentsUntickAndRefuseTicksUntilUnprotected) {
    ResultSet results;
    QAbstractItemModelTester tester(&results.AllList(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<ResultRow> rows{Row("f", "A", "/a/b"), Row("g", "A", "/a/bc"),
                                Row("h", "A", "/a/b/c"), Row("r", "B", "/")};
    for (ResultRow& row : rows)
        row.checked = true;
    results.AllList().InsertSorted(rows);
    results.List(7).InsertSorted(rows);
    QSignalSpy changed(&results.List(7), &QAbstractItemModel::dataChanged);
    const auto locked = [&](int list) {
        std::string marks;
        for (int i = 0; i < results.List(list).RowCount(); ++i)
            marks += results.List(list).Row(i).locked
                         ? (results.List(list).Row(i).checked ? 'X' : 'L')
                         : (results.List(list).Row(i).checked ? '*' : '.');
        return marks;
    };
    results.SetFolderProtected("/a/b", true);
    EXPECT_EQ(locked(0), "L*L*");
    EXPECT_EQ(locked(7), "L*L*");
    EXPECT_EQ(changed.count(), 1);
    ResultModel& all = results.AllList();
    all.SetChecked(0, true);
    all.SetAllChecked({1, 1, 1, 1});
    all.InsertSorted({rows[2]}); // arriving ticked, through the result set
    EXPECT_EQ(locked(0), "L*LL*");
    EXPECT_FALSE(all.flags(all.index(0, kNameColumn)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(all.flags(all.index(1, kNameColumn)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(all.data(all.index(0, kNameColumn), Qt::DecorationRole).isNull());
    EXPECT_FALSE(all.data(all.index(0, kPathColumn), Qt::ToolTipRole).toString().isEmpty());

    results.SetFolderProtected("/", true); // a drive holds every folder on it
    EXPECT_EQ(locked(7), "LLLL");
    results.SetFolderProtected("/", false);
    results.SetFolderProtected("/a/b", false);
    all.SetChecked(0, true);
    EXPECT_EQ(locked(0), "*....");
}

// Twin rows hold one record of their file. What a list does with its row stays its own, and a
// copy given new texts (as Verify Groups gives a new key) leaves its twins as they were.
TEST(TwinRowsTest, ShareTheirFileButNotTheirMarksColoursOrRewrittenTexts) {
    ResultSet results;
    ResultRow row = Row("f", "K", "/a");
    row.SetFile(5000, SizeUnit::KB, 7);
    results.AllList().InsertSorted({row});
    results.List(6).InsertSorted({row});
    results.List(6).SetChecked(0, true);
    results.List(6).SetForeColour(0, Qt::blue);
    EXPECT_FALSE(results.AllList().Row(0).checked);
    EXPECT_EQ(results.AllList().Row(0).fore, 0u);
    ResultRow copy = results.List(6).Row(0);
    copy.text[kSortColumn] = "K2";
    copy.text[kNameColumn] = "longer name";
    for (const ResultModel* list : {&results.AllList(), &results.List(6)})
        EXPECT_EQ(list->Row(0).Text(kNameColumn) + list->Row(0).SortKey(), "fK");
    EXPECT_EQ(copy.Text(kPathColumn) + copy.Text(kNameColumn) + copy.SortKey(), "/alonger nameK2");
    EXPECT_EQ(copy.Text(kSizeColumn), results.AllList().Row(0).Text(kSizeColumn));
    EXPECT_EQ(copy.ModifiedSeconds(), 7);
}

TEST_F(ResultModelTest, SizeAndDateColumnsHoldTheirWidestTextsInAnyFont) {
    MeasuredList view(model, 0);
    std::vector<ResultRow> rows(12, Row("f.txt", "k"));
    for (int month = 1; month <= 12; ++month) // every month's name; KB and MB sizes at their widest
        rows[month - 1].SetFile(
            month % 2 ? 1048575 : std::uint64_t{123456} << 20,
            month % 2 ? SizeUnit::KB : SizeUnit::MB,
            QDateTime(QDate(2026, month, 28), QTime(22, 58, 58)).toSecsSinceEpoch());
    model.InsertSorted(std::move(rows));
    view.show();
    // The window sets the lists' font after making them: the widths follow.
    for (int points : {8, 15}) {
        QFont font = view.font();
        font.setPointSize(points);
        view.setFont(font);
        for (int column : {kSizeColumn, kModifiedColumn})
            EXPECT_GE(view.header()->sectionSize(column), view.sizeHintForColumn(column)) << points;
    }
}

using ShownTextsTest = ResultsFixture;

std::string Shown(const ResultModel& list, int row, int column) {
    return list.data(list.index(row, column)).toString().toStdString();
}

TEST_F(ShownTextsTest, TypeAndDateAreTheDatabasesCommentAndTheFilesTimeInBothTwins) {
    const std::string notes = tree.File("a/notes.txt", "same");
    const std::string lists = tree.File("b/CMakeLists.txt", "same");
    const QDateTime noon(QDate(2024, 3, 5), QTime(12, 30, 15));
    const timespec times[2] = {{noon.toSecsSinceEpoch(), 0}, {noon.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, lists.c_str(), times, 0), 0);
    const std::string result = WriteLines("result.txt", {notes + "\tk", lists + "\tk"});
    ASSERT_EQ(LoadResult(results, host, QString::fromStdString(result)).status,
              LoadOutcome::Status::Loaded);

    const ResultModel &all = results.AllList(), &tiny = results.List(7);
    ASSERT_EQ(tiny.RowCount(), 2);
    const QMimeDatabase database;
    // Asked after notes.txt, CMakeLists.txt still gets its own type, not that of ".txt".
    for (int row = 0; row < 2; ++row) {
        const QString name = row == 0 ? "notes.txt" : "CMakeLists.txt";
        EXPECT_EQ(
            Shown(all, row, kTypeColumn),
            database.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment().toStdString());
        for (int column : {kTypeColumn, kModifiedColumn})
            EXPECT_EQ(Shown(tiny, row, column), Shown(all, row, column));
    }
    EXPECT_NE(Shown(all, 0, kTypeColumn), Shown(all, 1, kTypeColumn));
    EXPECT_EQ(Shown(all, 1, kModifiedColumn), ModifiedDateText(noon).toStdString());
    // A row of no file has no size, type or date.
    ResultModel bare;
    bare.InsertSorted({Row("x.txt", "k")});
    EXPECT_EQ(Shown(bare, 0, kSizeColumn) + Shown(bare, 0, kTypeColumn) +
                  Shown(bare, 0, kModifiedColumn),
              "");
}

TEST_F(ShownTextsTest, FilesWhoseNameSaysNothingAreTypedByContentOnlyWhenShown) {
    const std::string script = tree.File("bin/runme", "#!/bin/sh\necho same\n");
    RecordingFileSystem& fs = InstallRecordingFileSystem();
    const std::string result = WriteLines("result.txt", {script + "\tk", script + "\tk"});
    ASSERT_EQ(LoadResult(results, host, QString::fromStdString(result)).status,
              LoadOutcome::Status::Loaded);
    EXPECT_EQ(fs.opened, V{result}) << "a load reads no file's content";
    EXPECT_EQ(Shown(results.AllList(), 1, kTypeColumn),
              QMimeDatabase().mimeTypeForName("application/x-shellscript").comment().toStdString());
    // Once per file: the other row, the twin and a repaint ask again without a read.
    for (const ResultModel* list : {&results.AllList(), &results.List(7)})
        Shown(*list, 0, kTypeColumn), Shown(*list, 1, kTypeColumn);
    EXPECT_EQ(fs.opened, (V{result, script}));
}

} // namespace
} // namespace quilder::test
