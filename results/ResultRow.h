#pragma once

#include "ResultColumns.h"
#include "SizeClass.h"

#include <QColor>
#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace quilder {

// Not constexpr, and never defined: a write to a column that a row does not hold calls it while
// the program is compiled, which stops the build with its name.
void OnlyNamePathAndSortKeyCanBeWritten();

// A text that many rows hold: a folder, a group's key. Counted, so that it goes with the last
// row holding it; one pointer wide.
class SharedText {
public:
    SharedText() = default;
    explicit SharedText(QString text);
    SharedText(const SharedText& other) : record_(other.record_) { Hold(); }
    SharedText(SharedText&& other) noexcept : record_(std::exchange(other.record_, nullptr)) {}
    SharedText& operator=(SharedText other) noexcept {
        std::swap(record_, other.record_);
        return *this;
    }
    ~SharedText() { Release(); }

    const QString& Text() const;
    // Whether both hold the very same text, not merely an equal one.
    bool SameAs(const SharedText& other) const { return record_ == other.record_; }

private:
    struct Record;
    void Hold() const;
    void Release();
    Record* record_ = nullptr;
};

// What a row knows of its file: name, folder and sort key, and the file's size and date. The
// size, type and date texts are made from the facts when a view asks, so that a million rows do
// not hold a million copies of them. Twin rows in the All list and a class list hold one and the
// same record (counted; a write to a shared one copies it first). The name is held as the bytes
// the system names the file by, and made a text when asked for; the folder and the key are texts
// shared by every row of a folder or group.
//
// Reading a column that is not held gives an empty text. Only the held ones can be written: a
// write names its column by a constant, checked when the program is compiled, so that writing any
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
        int Index() const { return slot_; }

    private:
        int slot_;
    };
    // What a write goes through: `row.text[kNameColumn] = text`.
    class Writer {
    public:
        Writer(RowTexts& texts, int slot) : texts_(texts), slot_(slot) {}
        Writer& operator=(const QString& text) {
            texts_.Write(slot_, text);
            return *this;
        }
        operator QString() const { return std::as_const(texts_)[AnyColumn(Column(slot_))]; }

    private:
        RowTexts& texts_;
        int slot_;
    };

    RowTexts() = default;
    RowTexts(const RowTexts& other) : file_(other.file_) { Hold(); }
    RowTexts(RowTexts&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}
    RowTexts& operator=(RowTexts other) noexcept {
        std::swap(file_, other.file_);
        return *this;
    }
    ~RowTexts() { Release(); }

    QString operator[](AnyColumn column) const;
    // Chosen over the reading one for a row that may be changed, whenever its column converts
    // to a HeldColumn: both take their column by a conversion of its own.
    Writer operator[](HeldColumn column) { return Writer(*this, column.Index()); }
    bool operator==(const RowTexts& other) const;

    // Without making a text: what the loader and the lists use most.
    std::string_view NameBytes() const;
    const QString& Folder() const;
    const QString& Key() const;
    void SetName(std::string_view bytes);
    void SetFolder(SharedText folder);
    void SetKey(SharedText key);
    // Whether both rows hold the very same folder text, as the rows of one folder do.
    bool SameFolder(const RowTexts& other) const;
    // Whether both rows have equal keys; quick for the rows of one group, which share theirs.
    bool SameKey(const RowTexts& other) const;

    std::uint64_t Size() const;
    std::int64_t ModifiedSeconds() const;
    SizeUnit Unit() const;
    bool HasFile() const;
    void SetFile(std::uint64_t bytes, SizeUnit unit, std::int64_t modified);
    void SetUnit(SizeUnit unit);

private:
    friend class Writer;
    struct File;

    static constexpr int Slot(std::size_t column) {
        return column == kNameColumn   ? 0
               : column == kPathColumn ? 1
               : column == kSortColumn ? 2
                                       : -1;
    }
    static constexpr std::size_t Column(int slot) {
        return slot == 0 ? kNameColumn : slot == 1 ? kPathColumn : kSortColumn;
    }
    void Write(int slot, const QString& text);
    // The record, made or copied first unless this row holds it alone.
    File& Own(std::size_t nameBytes);
    void Hold() const;
    void Release();

    File* file_ = nullptr;
};

// How a row's file came to share its data with a copy that stays (Replace Files with Links).
enum class RowLink : std::uint8_t { None, HardLink, SharedExtents };

// One file in a result list: its file's record, shared with its twin in the other list, and
// what is the list's own: check mark, colour, lock, link. A million rows are loaded, each twice:
// a row is two words.
struct ResultRow {
    RowTexts text;
    QRgb fore = 0; // 0 (transparent): the list's default colour
    bool checked : 1 = false;
    bool byteForByte : 1 = false;     // Verify Groups found its group identical
    bool locked : 1 = false;          // in a protected folder: never ticked
    RowLink link : 2 = RowLink::None; // shown as its type until the lists are replaced

    void SetFile(std::uint64_t bytes, SizeUnit sizeUnit, std::int64_t modified) {
        text.SetFile(bytes, sizeUnit, modified);
    }
    std::uint64_t Size() const { return text.Size(); }
    std::int64_t ModifiedSeconds() const { return text.ModifiedSeconds(); }
    SizeUnit Unit() const { return text.Unit(); }   // of the row's class
    bool HasFile() const { return text.HasFile(); } // a row of no file shows no size, type, date
    const QString& SortKey() const { return text.Key(); }
    // The text a column shows.
    QString Text(int column) const;
};

} // namespace quilder
