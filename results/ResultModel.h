#pragma once

#include "ResultRow.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <deque>
#include <vector>

namespace quilder {

class ProtectedFolders;

// The rows of one result list, kept in ascending text order of the sort key; rows of one key
// keep the order in which they were added. C++ row numbers count from 0.
class ResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    int RowCount() const { return rowCount(); }
    const ResultRow& Row(int row) const { return RowAt(static_cast<std::size_t>(row)); }
    // A row in a protected folder is never checked: these leave it as it is.
    void SetChecked(int row, bool checked);
    // Shows the kind of link a row's file became in its type column.
    void SetLink(int row, RowLink link);
    // Sets every row's check mark at once, `checks` holding one flag per row, and tells the
    // views once: row by row would cost a signal per row on a list of 100,000.
    void SetAllChecked(const std::vector<char>& checks);

    // The folders whose rows are locked; rows added later are marked as they come.
    void SetProtectedFolders(const ProtectedFolders* folders) { protected_ = folders; }
    // Marks every row anew after the protected folders changed, unticking the locked ones, and
    // tells the views once.
    void MarkProtectedRows();

    // Adds rows at their places in key order. Costs one pass over the list however the new rows
    // interleave with the old ones, so callers should hand in rows in batches.
    void InsertSorted(std::vector<ResultRow> rows);
    // Empties the list; the tag keeps its text.
    void Clear();
    // Changes with every Clear, so that a loader can drop rows it built before the list was
    // emptied.
    std::uint64_t ClearCount() const { return clearCount_; }

    // Colours are set quietly row by row; RedrawColours then repaints the list once.
    void SetForeColour(int row, const QColor& colour) {
        Q_ASSERT(state_ == State::Settled);
        rows_[static_cast<std::size_t>(row)].fore = colour.isValid() ? colour.rgba() : 0;
    }
    void RedrawColours();
    // Quietly too: only the row's tooltip shows it, and a view asks for that on hovering.
    void SetByteForByte(int row) { RowAt(static_cast<std::size_t>(row)).byteForByte = true; }

    // The list's tag text: its group count once shading has run.
    const QString& Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }

private:
    // A list is Settled, or a merge is under way (MergeSorted) and reports its insertions one
    // run at a time, so that views react while it is only half done. Whatever a view asks for
    // then reads the list as it stands (RowAt, rowCount); any other change is refused until
    // the merge ends.
    enum class State { Settled, Merging };

    // Whether rows starting with this key (in key order) would all go below the last row.
    bool WouldAppend(const QString& firstKey) const;
    // How many rows of the list lie in placed_: none unless a merge is under way.
    std::size_t PlacedCount() const { return state_ == State::Merging ? placed_.size() : 0; }
    const ResultRow& RowAt(std::size_t row) const;
    ResultRow& RowAt(std::size_t row);
    void MergeSorted(std::vector<ResultRow>& rows);
    template <typename Rows> void Mark(Rows& rows) const;

    State state_ = State::Settled;
    // The list is placed_ followed by rows_. Settled, placed_ is empty. A merge moves the old
    // rows one by one from the front of rows_ to placed_, with the new rows between them, and
    // then hands placed_ over as rows_: old rows leave rows_ as they move, so the list is never
    // held twice. In blocks, not one array: a list of a million rows grows and merges without
    // a second copy of itself, which would double the peak memory of a load.
    std::deque<ResultRow> placed_;
    std::deque<ResultRow> rows_;
    QString tag_;
    std::uint64_t clearCount_ = 0;
    const ProtectedFolders* protected_ = nullptr;
};

} // namespace quilder
