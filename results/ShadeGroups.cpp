#include "ShadeGroups.h"

#include "ResultSet.h"

namespace quilder {

namespace {

int ShadeList(ResultModel& list) {
    const QColor blue = QColor::fromRgb(kShadeRgb);
    bool odd = false; // groups are numbered from the bottom, starting at 1
    int groups = 0;
    // Bottom up, so that the last group is never painted. Rows of unpainted groups go back to
    // the default colour: after rows were removed, a once-blue group may now be an odd one.
    for (int row = list.RowCount() - 1; row >= 0; --row) {
        if (row == list.RowCount() - 1 || list.Row(row).SortKey() != list.Row(row + 1).SortKey()) {
            odd = !odd;
            ++groups;
        }
        list.SetForeColour(row, odd ? QColor() : blue);
    }
    return groups;
}

} // namespace

void ShadeGroups(ResultSet& results) {
    for (int k = 0; k < kResultListCount; ++k) {
        ResultModel& list = results.List(k);
        list.SetTag(QString::number(ShadeList(list)));
    }
    for (int k = 0; k < kResultListCount; ++k) {
        results.List(k).RedrawColours();
        if (results.VisibleList() == k) results.SetStatusCountsText(results.CountsText(k));
    }
}

} // namespace quilder
