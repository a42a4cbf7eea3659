#pragma once

#include "ResultColumns.h"

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace quilder {

// One file in a result list. Twin rows in the All list and a class list are copies: their
// texts are shared, their check marks and colours are not.
struct ResultRow {
    // The type and date entries stay empty: a list shows a few dozen of its rows at a time, so
    // those texts are made from the file's facts only when shown (Text).
    std::array<QString, kResultColumnCount> text;
    // Seconds since the epoch; unset for a row of no file, whose type and date stay blank.
    std::optional<std::int64_t> modifiedSeconds;
    QColor fore; // invalid: the list's default colour
    bool checked = false;

    const QString& SortKey() const { return text[kSortColumn]; }
    // The text a column shows.
    QString Text(int column) const;
};

} // namespace quilder
