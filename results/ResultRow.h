#pragma once

#include "ResultColumns.h"
#include "SizeClass.h"

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>

namespace quilder {

// The texts a row holds: name, path and sort key. The size, type and date texts are made from
// the file's facts when a view asks, so that a million rows do not hold a million copies of
// them. Reading another column gives an empty text; only the held ones may be written.
class RowTexts {
public:
    const QString& operator[](std::size_t column) const {
        static const QString none;
        const int slot = Slot(column);
        return slot < 0 ? none : held_[static_cast<std::size_t>(slot)];
    }
    QString& operator[](std::size_t column) {
        const int slot = Slot(column);
        if (slot >= 0) return held_[static_cast<std::size_t>(slot)];
        Q_ASSERT_X(false, "RowTexts", "only name, path and sort key are held");
        static QString discarded; // a stray write must not land in a held text
        discarded.clear();
        return discarded;
    }
    bool operator==(const RowTexts&) const = default;

private:
    static constexpr int Slot(std::size_t column) {
        return column == kNameColumn   ? 0
               : column == kPathColumn ? 1
               : column == kSortColumn ? 2
                                       : -1;
    }
    std::array<QString, 3> held_;
};

// How a row's file came to share its data with a copy that stays (Replace Files with Links).
enum class RowLink : std::uint8_t { None, HardLink, SharedExtents };

// One file in a result list. Twin rows in the All list and a class list are copies: their
// texts are shared (implicitly), their check marks and colours are not. A row is kept small,
// since a big tree loads a million of them, each twice.
struct ResultRow {
    RowTexts text;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0; // since the epoch
    QRgb fore = 0;                    // 0 (transparent): the list's default colour
    bool checked = false;
    bool hasFile = false;                // a row of no file shows no size, type or date
    SizeUnit unit : 8 = SizeUnit::Bytes; // of the row's class
    RowLink link = RowLink::None;        // shown as its type until the lists are replaced

    void SetFile(std::uint64_t bytes, SizeUnit sizeUnit, std::int64_t modified) {
        size = bytes, unit = sizeUnit, modifiedSeconds = modified, hasFile = true;
    }
    const QString& SortKey() const { return text[kSortColumn]; }
    // The text a column shows.
    QString Text(int column) const;
};

} // namespace quilder
