#pragma once

#include "ResultColumns.h"
#include "ResultRow.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quilder {

class ResultSet;

// Rows a load has built but not yet put into their lists. Putting rows in costs a pass over the
// list, in the model and in its view, so rows wait until they are a good part of the All list or
// until the load forces them in. Twin rows always reach their lists in the same flush.
class PendingRows {
public:
    explicit PendingRows(ResultSet& results);

    // A file's twin rows: one in the All list, one in its class list.
    void AddPair(int classList, ResultRow row);
    // Puts every pending row in when `all` or when they make a good part of the All list.
    void Flush(bool all);

private:
    struct Batch {
        std::vector<ResultRow> rows;
        std::uint64_t clears = 0; // the list's clear count when the rows were built
    };

    void Add(int list, ResultRow&& row);
    bool Current(int list);

    ResultSet& results_;
    std::array<Batch, kResultListCount> batches_;
};

} // namespace quilder
