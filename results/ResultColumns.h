#pragma once

#include <QtCore/qnamespace.h>
#include <array>
#include <string_view>

namespace quilder {

// The six columns of a result list: the row's own text, then sub-items 1 to 5.
enum ResultColumn {
    kNameColumn,
    kPathColumn,
    kSizeColumn,
    kTypeColumn,
    kModifiedColumn,
    kSortColumn
};
inline constexpr int kResultColumnCount = 6;
// Columns that shading colours; the hidden sort column keeps the default colour.
inline constexpr int kShadedColumnCount = 5;

struct ResultColumnInfo {
    std::string_view caption;
    int widthTwips; // design width
    Qt::Alignment alignment;
};

inline constexpr std::array<ResultColumnInfo, kResultColumnCount> kResultColumns{{
    {"Name", 2000, Qt::AlignLeft},
    {"Path", 2500, Qt::AlignLeft},
    {"Size", 950, Qt::AlignRight},
    {"Type", 1300, Qt::AlignLeft},
    {"Midified Date", 1730, Qt::AlignLeft},
    {"Sort", 0, Qt::AlignLeft},
}};

inline constexpr int kResultListCount = 8; // list 0 holds every row; 1 Huge ... 7 Tiny
inline constexpr std::string_view kResultListTooltip = "Result - the duplicate files.";

} // namespace quilder
