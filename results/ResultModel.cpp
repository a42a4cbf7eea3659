#include "ResultModel.h"

#include <QBrush>
#include <algorithm>

namespace quilder {

namespace {

bool KeyLess(const ResultRow& a, const ResultRow& b) {
    // The rows of one group share their key's text: no need to compare it.
    const QString& x = a.SortKey();
    const QString& y = b.SortKey();
    if (x.constData() == y.constData() && x.size() == y.size()) return false;
    return x < y;
}

} // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int ResultModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    const std::size_t count = merged_ ? merged_->size() + rows_.size() : rows_.size();
    return static_cast<int>(count);
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kResultColumnCount;
}

const ResultRow& ResultModel::RowAt(std::size_t row) const {
    if (!merged_) return rows_[row];
    if (row < merged_->size()) return (*merged_)[row];
    return rows_[row - merged_->size()];
}

ResultRow& ResultModel::RowAt(std::size_t row) {
    return const_cast<ResultRow&>(std::as_const(*this).RowAt(row));
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ResultRow& row = RowAt(static_cast<std::size_t>(index.row()));
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return row.Text(column);
    case Qt::CheckStateRole:
        if (column == kNameColumn) return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        if (column < kShadedColumnCount && row.fore != 0) return QBrush(QColor::fromRgba(row.fore));
        return {};
    case Qt::TextAlignmentRole:
        return static_cast<int>(kResultColumns[static_cast<std::size_t>(column)].alignment |
                                Qt::AlignVCenter);
    default:
        return {};
    }
}

bool ResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != kNameColumn ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    RowAt(static_cast<std::size_t>(index.row())).checked =
        value.toInt() == static_cast<int>(Qt::Checked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kNameColumn) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    const ResultColumnInfo& column = kResultColumns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(column.caption.data(),
                                   static_cast<qsizetype>(column.caption.size()));
    if (role == Qt::TextAlignmentRole) return static_cast<int>(column.alignment | Qt::AlignVCenter);
    return {};
}

bool ResultModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || merged_ || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    rows_.erase(rows_.begin() + row, rows_.begin() + row + count);
    endRemoveRows();
    return true;
}

void ResultModel::SetChecked(int row, bool checked) {
    const QModelIndex at = index(row, kNameColumn);
    setData(at, checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void ResultModel::SetLink(int row, RowLink link) {
    if (row < 0 || row >= rowCount()) return;
    RowAt(static_cast<std::size_t>(row)).link = link;
    const QModelIndex at = index(row, kTypeColumn);
    Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
}

void ResultModel::SetAllChecked(const std::vector<char>& checks) {
    if (merged_ || checks.size() != rows_.size() || rows_.empty()) return;
    for (std::size_t i = 0; i < checks.size(); ++i)
        rows_[i].checked = checks[i] != 0;
    Q_EMIT dataChanged(index(0, kNameColumn), index(rowCount() - 1, kNameColumn),
                       {Qt::CheckStateRole});
}

bool ResultModel::WouldAppend(const QString& firstKey) const {
    // Equal keys go below the rows already there: those were loaded first.
    return rows_.empty() || !(firstKey < rows_.back().SortKey());
}

void ResultModel::InsertSorted(std::vector<ResultRow> rows) {
    if (rows.empty() || merged_) return;
    // Result files and group files come in key order: checking is far cheaper than sorting.
    if (!std::is_sorted(rows.begin(), rows.end(), KeyLess))
        std::stable_sort(rows.begin(), rows.end(), KeyLess);
    if (WouldAppend(rows.front().SortKey())) {
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                     std::make_move_iterator(rows.end()));
        endInsertRows();
        return;
    }
    MergeSorted(rows);
}

void ResultModel::MergeSorted(std::vector<ResultRow>& rows) {
    // One pass: old rows move into `merged` up to the next run of new rows, and each run is
    // reported as one insertion, so the view sees every step and keeps its selection and
    // scroll position. Old rows leave rows_ as they move, so the list is never held twice.
    std::deque<ResultRow> merged;
    merged_ = &merged;
    const auto takeOld = [&] {
        merged.push_back(std::move(rows_.front()));
        rows_.pop_front();
    };
    std::size_t next = 0;
    while (next < rows.size()) {
        const QString& key = rows[next].SortKey();
        while (!rows_.empty() && !(key < rows_.front().SortKey()))
            takeOld();
        std::size_t end = next + 1;
        if (!rows_.empty()) {
            const QString& bound = rows_.front().SortKey();
            while (end < rows.size() && rows[end].SortKey() < bound)
                ++end;
        } else {
            end = rows.size();
        }
        const int first = static_cast<int>(merged.size());
        beginInsertRows({}, first, first + static_cast<int>(end - next) - 1);
        for (; next < end; ++next)
            merged.push_back(std::move(rows[next]));
        endInsertRows();
    }
    while (!rows_.empty())
        takeOld();
    rows_ = std::move(merged);
    merged_ = nullptr;
}

void ResultModel::Clear() {
    beginResetModel();
    rows_ = {}; // clear() would keep the block map of a big list
    endResetModel();
    ++clearCount_;
}

void ResultModel::RedrawColours() {
    if (rows_.empty()) return;
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kShadedColumnCount - 1),
                       {Qt::ForegroundRole});
}

} // namespace quilder
