#include "FormLayout.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quilder {

namespace {

constexpr float kMargin = 90;
constexpr float kListInset = 180; // a margin each side of a list inside its frame
constexpr float kColumnSlack = 400;

void SetSize(float& field, float value) {
    if (value >= 0) field = value;
}

} // namespace

void FormResize(const ClientArea& client, WindowLayout& layout) {
    TwipsRect& left = layout.frames[0];
    TwipsRect& right = layout.frames[1];
    left.top = client.toolbarTop + client.toolbarHeight + kMargin;
    left.left = kMargin;
    SetSize(left.height, client.height - left.top - kMargin - client.statusHeight);
    SetSize(left.width, layout.tree.left + layout.tree.width + kMargin);
    SetSize(layout.tree.height, left.height - layout.tree.top - kMargin);
    right.top = left.top;
    right.left = left.left + left.width + kMargin;
    SetSize(right.height, left.height);
    SetSize(right.width, client.width - right.left - kMargin);

    // The sum of the other four columns, rounded half to even into 16 bits; a sum that does not
    // fit leaves the previous list's.
    int others = 0;
    for (std::size_t i = 0; i < layout.lists.size(); ++i) {
        TwipsRect& list = layout.lists[i];
        ColumnWidths& columns = layout.columns[i];
        SetSize(list.width, right.width - kListInset);
        SetSize(list.height, right.height - list.top - kMargin);
        const float sum = std::nearbyint(columns[0] + columns[2] + columns[3] + columns[4]);
        if (sum >= std::numeric_limits<std::int16_t>::min() &&
            sum <= std::numeric_limits<std::int16_t>::max())
            others = static_cast<int>(sum);
        if (list.width > columns[1] + others + kColumnSlack)
            columns[1] = list.width - kColumnSlack - others;
    }
}

TwipsSize MinimumClientSize(const ClientArea& bars, const WindowLayout& layout, float treeHeight,
                            float resultWidth) {
    // FormResize's rules solved for the client area.
    const float framesTop = bars.toolbarTop + bars.toolbarHeight + kMargin;
    const float framesHeight = layout.tree.top + treeHeight + kMargin;
    const float leftWidth = layout.tree.left + layout.tree.width + kMargin;
    return {kMargin + leftWidth + kMargin + resultWidth + kMargin,
            framesTop + framesHeight + kMargin + bars.statusHeight};
}

} // namespace quilder
