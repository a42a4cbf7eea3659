#pragma once

#include "ResultColumns.h"
#include "ResultRow.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace quilder {

class ResultSet;

// Rows a load has built but not yet put into their lists. Putting rows in costs a pass over the
// list, in the model and in its view, so rows wait until they are a good part of the All list or
// until the load forces them in. Twin rows always reach their lists in the same step.
class PendingRows {
public:
    explicit PendingRows(ResultSet& results);

    // A file's twin rows: one in the All list, one in its class list.
    void AddPair(int classList, ResultRow row);
    // Puts the pending rows in when they make a good part of the All list.
    void Flush();
    // Puts every pending row in, a slice of pairs at a time, calling `yield` between slices;
    // false when it said stop (the rows not put in yet are dropped).
    bool FlushAll(const std::function<bool()>& yield);

    // The most pairs put in between two yields of FlushAll.
    static constexpr std::size_t kPairsPerSlice = 32768;

private:
    struct Batch {
        std::vector<ResultRow> rows;
        std::size_t taken = 0;    // rows from the front already put in
        std::uint64_t clears = 0; // the list's clear count when the rows were built
    };

    void Add(int list, ResultRow&& row);
    bool Current(int list);
    // Puts in the next `pairs` pairs: that many rows of the All list, and their twins. Room
    // for the next batch is made when `more` rows are to come.
    void PutIn(std::size_t pairs, bool more);

    ResultSet& results_;
    std::array<Batch, kResultListCount> batches_;
    std::vector<std::uint8_t> classOf_; // the class list of each pending All row
};

} // namespace quilder
