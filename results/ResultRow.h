#pragma once

#include "ResultColumns.h"
#include "SizeClass.h"

#include <QColor>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

namespace quilder {

// Not constexpr, and never defined: a write to a column that a row does not hold calls it while
// the program is compiled, which stops the build with its name.
void OnlyNamePathAndSortKeyCanBeWritten();

// The texts a row holds: name, path and sort key. The size, type and date texts are made from
// the file's facts when a view asks, so that a million rows do not hold a million copies of
// them. Reading another column gives an empty text. Only the held ones can be written: a write
// names its column by a constant, checked when the program is compiled, so that writing any
// other column, or a column only known at run time, does not compile.
class RowTexts {
public:
    // A column to read, any column.
    struct AnyColumn {
        constexpr AnyColumn(std::size_t column) : slot(Slot(column)) {}
        int slot; // -1: not held
    };
    // A column to write: name, path or sort key.
    class HeldColumn {
    public:
        consteval HeldColumn(ResultColumn column) : slot_(Slot(column)) {
            if (slot_ < 0) OnlyNamePathAndSortKeyCanBeWritten();
        }
        std::size_t Index() const { return static_cast<std::size_t>(slot_); }

    private:
        int slot_;
    };

    const QString& operator[](AnyColumn column) const {
        static const QString none;
        return column.slot < 0 ? none : held_[static_cast<std::size_t>(column.slot)];
    }
    // Chosen over the reading one for a row that may be changed, whenever its column converts
    // to a HeldColumn: both take their column by a conversion of its own.
    QString& operator[](HeldColumn column) { return held_[column.Index()]; }
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
    // Flags share one byte: a million rows are held, each in two lists.
    bool checked : 1 = false;
    bool hasFile : 1 = false;     // a row of no file shows no size, type or date
    bool byteForByte : 1 = false; // Verify Groups found its group identical
    bool locked : 1 = false;      // in a protected folder: never ticked
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
