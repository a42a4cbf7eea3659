#include "PendingRows.h"

#include "ResultSet.h"

namespace quilder {

PendingRows::PendingRows(ResultSet& results) : results_(results) {
    for (int k = 0; k < kResultListCount; ++k)
        batches_[static_cast<std::size_t>(k)].clears = results.List(k).ClearCount();
}

bool PendingRows::Current(int list) {
    // Rows built before the list was emptied (by a command run during a yield) would have
    // been emptied with it.
    Batch& batch = batches_[static_cast<std::size_t>(list)];
    const std::uint64_t clears = results_.List(list).ClearCount();
    if (batch.clears == clears) return true;
    batch.rows.clear();
    batch.taken = 0;
    batch.clears = clears;
    if (list == 0) classOf_.clear();
    return false;
}

void PendingRows::Add(int list, ResultRow&& row) {
    Current(list);
    batches_[static_cast<std::size_t>(list)].rows.push_back(std::move(row));
}

void PendingRows::AddPair(int classList, ResultRow row) {
    Add(0, ResultRow(row));
    classOf_.push_back(static_cast<std::uint8_t>(classList));
    Add(classList, std::move(row));
}

void PendingRows::PutIn(std::size_t pairs, bool more) {
    // A file's twin rows go in together, or a command run during a yield would see one without
    // the other. Twins are added in the same order to both lists, so the class rows of the
    // first `pairs` All rows are the first rows of each class batch.
    std::array<std::size_t, kResultListCount> counts{};
    Batch& all = batches_[0];
    for (std::size_t i = all.taken; i < all.taken + pairs; ++i)
        ++counts[classOf_[i]];
    counts[0] = pairs;
    for (int k = 0; k < kResultListCount; ++k) {
        Batch& batch = batches_[static_cast<std::size_t>(k)];
        if (!Current(k)) continue;
        const std::size_t count =
            std::min(counts[static_cast<std::size_t>(k)], batch.rows.size() - batch.taken);
        if (count == 0) continue;
        const auto from = batch.rows.begin() + static_cast<std::ptrdiff_t>(batch.taken);
        const std::size_t flushed = batch.rows.size();
        if (batch.taken == 0 && count == batch.rows.size()) {
            results_.List(k).InsertSorted(std::move(batch.rows));
        } else {
            results_.List(k).InsertSorted(std::vector<ResultRow>(
                std::make_move_iterator(from),
                std::make_move_iterator(from + static_cast<std::ptrdiff_t>(count))));
            batch.taken += count;
            if (batch.taken < batch.rows.size()) continue;
        }
        batch.rows.clear();
        batch.taken = 0;
        // The next batch is a quarter larger, as the list is: room for it now spares moving
        // every row each time the batch outgrows its room.
        if (more) batch.rows.reserve(flushed + flushed / 2);
    }
    if (all.rows.empty()) classOf_.clear();
}

void PendingRows::Flush() {
    // Every insertion makes a view lay out all its rows anew; letting the lists grow by a
    // quarter at a time keeps that work proportional to the rows of the whole load. The All
    // list holds every pending row, so it decides for all.
    Current(0);
    const std::size_t pending = batches_[0].rows.size() - batches_[0].taken;
    if (pending == 0 || pending * 4 < static_cast<std::size_t>(results_.AllList().RowCount()))
        return;
    PutIn(pending, true);
}

bool PendingRows::FlushAll(const std::function<bool()>& yield) {
    for (;;) {
        Current(0);
        const std::size_t pending = batches_[0].rows.size() - batches_[0].taken;
        PutIn(std::min(pending, kPairsPerSlice), false);
        if (pending <= kPairsPerSlice) break;
        if (!yield()) return false;
    }
    // A class list emptied on its own leaves nothing of its batch behind.
    for (Batch& batch : batches_)
        batch.rows = {}, batch.taken = 0;
    classOf_ = {};
    return true;
}

} // namespace quilder
