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
    batch.clears = clears;
    return false;
}

void PendingRows::Add(int list, ResultRow&& row) {
    Current(list);
    batches_[static_cast<std::size_t>(list)].rows.push_back(std::move(row));
}

void PendingRows::AddPair(int classList, ResultRow row) {
    Add(0, ResultRow(row));
    Add(classList, std::move(row));
}

void PendingRows::Flush(bool all) {
    // A file's twin rows go in together, or a command run during the yield (Delete) would see
    // one without the other. The All list holds every pending row, so it decides for all.
    // Every insertion makes a view lay out all its rows anew; letting the lists grow by a
    // quarter at a time keeps that work proportional to the rows of the whole load.
    Current(0);
    const std::size_t pending = batches_[0].rows.size();
    if (!all && pending * 4 < static_cast<std::size_t>(results_.AllList().RowCount())) return;
    for (int k = 0; k < kResultListCount; ++k) {
        Batch& batch = batches_[static_cast<std::size_t>(k)];
        if (!Current(k) || batch.rows.empty()) continue;
        const std::size_t flushed = batch.rows.size();
        results_.List(k).InsertSorted(std::move(batch.rows));
        batch.rows.clear();
        // The next batch is a quarter larger, as the list is: room for it now spares moving
        // every row each time the batch outgrows its room.
        if (!all) batch.rows.reserve(flushed + flushed / 2);
    }
}

} // namespace quilder
