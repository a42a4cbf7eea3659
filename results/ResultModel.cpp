#include "ResultModel.h"

#include "GroupConfirmation.h"
#include "ProtectedFolders.h"

#include <QBrush>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
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

const QString kLockedTip = QStringLiteral(
    "This file is in a protected folder: it cannot be ticked, and no command deletes it, moves it "
    "to the trash or replaces it.");

// A padlock: a shackle over a body. Made once and never freed: a pixmap must not outlive the
// application object, as a static one would.
const QIcon& LockIcon() {
    static const QIcon* const icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(90, 90, 90), 1.6));
        painter.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
        painter.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
        painter.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 150, 30));
        painter.drawRoundedRect(QRectF(2.5, 7.5, 11, 8), 1.5, 1.5);
        return new QIcon(pixmap);
    }();
    return *icon;
}

} // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int ResultModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(PlacedCount() + rows_.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kResultColumnCount;
}

const ResultRow& ResultModel::RowAt(std::size_t row) const {
    const std::size_t placed = PlacedCount();
    return row < placed ? placed_[row] : rows_[row - placed];
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
    case Qt::DecorationRole:
        if (column == kNameColumn && row.locked) return LockIcon();
        return {};
    case Qt::ForegroundRole:
        if (column < kShadedColumnCount && row.fore != 0) return QBrush(QColor::fromRgba(row.fore));
        return {};
    case Qt::TextAlignmentRole:
        return static_cast<int>(kResultColumns[static_cast<std::size_t>(column)].alignment |
                                Qt::AlignVCenter);
    case Qt::ToolTipRole: {
        // Why a row cannot be ticked comes first; how its group was confirmed holds for all.
        const QString confirmed = GroupConfirmation(row);
        if (row.locked)
            return confirmed.isEmpty() ? kLockedTip : kLockedTip + QLatin1Char('\n') + confirmed;
        return confirmed.isEmpty() ? QVariant() : QVariant(confirmed);
    }
    default:
        return {};
    }
}

bool ResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != kNameColumn ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    ResultRow& row = RowAt(static_cast<std::size_t>(index.row()));
    if (row.locked) return false;
    row.checked = value.toInt() == static_cast<int>(Qt::Checked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kNameColumn && !RowAt(static_cast<std::size_t>(index.row())).locked)
        f |= Qt::ItemIsUserCheckable;
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
    // Only a slot reacting to one of a merge's insertions can get here during one.
    Q_ASSERT_X(state_ == State::Settled, "ResultModel::removeRows",
               "refused: rows cannot be removed while a merge is under way");
    if (state_ == State::Merging || parent.isValid() || row < 0 || count <= 0 ||
        row + count > rowCount())
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
    if (state_ == State::Merging || checks.size() != rows_.size() || rows_.empty()) return;
    for (std::size_t i = 0; i < checks.size(); ++i)
        rows_[i].checked = checks[i] != 0 && !rows_[i].locked;
    Q_EMIT dataChanged(index(0, kNameColumn), index(rowCount() - 1, kNameColumn),
                       {Qt::CheckStateRole});
}

template <typename Rows> void ResultModel::Mark(Rows& rows) const {
    // The rows of one folder share their path text: one look per folder in a run of them.
    const ResultRow* last = nullptr;
    bool locked = false;
    for (ResultRow& row : rows) {
        if (!last || !row.text.SameFolder(last->text))
            locked = protected_ && protected_->Covers(row.text.Folder());
        last = &row;
        row.locked = locked;
        row.checked = row.checked && !locked;
    }
}

void ResultModel::MarkProtectedRows() {
    if (state_ == State::Merging || rows_.empty()) return;
    Mark(rows_);
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kResultColumnCount - 1),
                       {Qt::CheckStateRole, Qt::DecorationRole, Qt::ToolTipRole});
}

bool ResultModel::WouldAppend(const QString& firstKey) const {
    // Equal keys go below the rows already there: those were loaded first.
    return rows_.empty() || !(firstKey < rows_.back().SortKey());
}

void ResultModel::InsertSorted(std::vector<ResultRow> rows) {
    if (rows.empty() || state_ == State::Merging) return;
    // New rows come unlocked: with nothing protected, a million of them need no look.
    if (protected_ && !protected_->Empty()) Mark(rows);
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
    // One pass: old rows move into placed_ up to the next run of new rows, and each run is
    // reported as one insertion, so the view sees every step and keeps its selection and
    // scroll position.
    state_ = State::Merging;
    const auto takeOld = [&] {
        placed_.push_back(std::move(rows_.front()));
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
        const int first = static_cast<int>(placed_.size());
        beginInsertRows({}, first, first + static_cast<int>(end - next) - 1);
        for (; next < end; ++next)
            placed_.push_back(std::move(rows[next]));
        endInsertRows();
    }
    while (!rows_.empty())
        takeOld();
    rows_ = std::move(placed_);
    placed_ = {}; // empty, whatever a moved-from deque holds, and without a block map
    state_ = State::Settled;
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
