#include "ShadeGroups.h"

#include "ResultSet.h"
#include "TaskProgress.h"

#include <QPointer>
#include <functional>
#include <optional>

namespace quilder {

namespace {

// The list's group count, or nothing when `yield` said stop.
std::optional<int> ShadeList(ResultModel& list, const std::function<bool()>& yield) {
    const QColor blue = QColor::fromRgb(kShadeRgb);
    bool odd = false; // groups are numbered from the bottom, starting at 1
    int groups = 0;
    // Bottom up, so that the last group is never painted. Rows of unpainted groups go back to
    // the default colour: after rows were removed, a once-blue group may now be an odd one.
    for (int row = list.RowCount() - 1; row >= 0; --row) {
        if (row == list.RowCount() - 1 || !list.Row(row).text.SameKey(list.Row(row + 1).text)) {
            odd = !odd;
            ++groups;
        }
        list.SetForeColour(row, odd ? QColor() : blue);
        if (!yield()) return std::nullopt;
    }
    return groups;
}

} // namespace

bool ShadeGroups(ResultSet& results, TaskProgress& progress) {
    const QPointer<ResultSet> alive(&results);
    const bool yields = results.TryBeginLoad();
    std::size_t sinceYield = 0;
    const std::function<bool()> yield = [&] {
        if (!yields || ++sinceYield < kRowsPerShadingYield) return true;
        sinceYield = 0;
        progress.Yield();
        return !alive.isNull() && !progress.Closing();
    };
    for (int k = 0; k < kResultListCount; ++k) {
        ResultModel& list = results.List(k);
        const std::optional<int> groups = ShadeList(list, yield);
        if (!groups) {
            if (alive) results.EndLoad(); // the window is closing
            return false;
        }
        list.SetTag(QString::number(*groups));
    }
    if (yields) results.EndLoad();
    for (int k = 0; k < kResultListCount; ++k) {
        results.List(k).RedrawColours();
        if (results.VisibleList() == k) results.SetStatusCountsText(results.CountsText(k));
    }
    return true;
}

} // namespace quilder
