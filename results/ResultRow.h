#pragma once

#include "ResultColumns.h"

#include <QColor>
#include <QString>
#include <array>

namespace quilder {

// One file in a result list. Twin rows in the All list and a class list are copies: their
// texts are shared, their check marks and colours are not.
struct ResultRow {
    std::array<QString, kResultColumnCount> text;
    QColor fore; // invalid: the list's default colour
    bool checked = false;

    const QString& SortKey() const { return text[kSortColumn]; }
};

} // namespace quilder
