#include "ResultRow.h"

#include "ModifiedDateText.h"
#include "PathText.h"
#include "SizeText.h"
#include "TypeDescription.h"

#include <cstring>
#include <new>

namespace quilder {

static_assert(sizeof(ResultRow) <= 16, "a big tree loads millions of rows: keep them small");

namespace {
const QString kNone;
}

struct SharedText::Record {
    std::atomic<std::uint32_t> refs{1};
    QString text;
};

SharedText::SharedText(QString text) : record_(new Record{1, std::move(text)}) {}

const QString& SharedText::Text() const {
    return record_ ? record_->text : kNone;
}

void SharedText::Hold() const {
    if (record_) record_->refs.fetch_add(1, std::memory_order_relaxed);
}

void SharedText::Release() {
    if (record_ && record_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete record_;
    record_ = nullptr;
}

// One allocation per file, the name's bytes right behind the record: a loaded tree holds a
// million of them.
struct RowTexts::File {
    std::atomic<std::uint32_t> refs{1};
    std::uint32_t nameBytes : 24 = 0;
    std::uint32_t unit : 4 = 0;
    std::uint32_t hasFile : 1 = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    SharedText folder;
    SharedText key;

    char* Name() { return reinterpret_cast<char*>(this + 1); }
    const char* Name() const { return reinterpret_cast<const char*>(this + 1); }

    static File* Make(std::size_t nameBytes) {
        void* at = ::operator new(sizeof(File) + nameBytes);
        File* file = new (at) File;
        file->nameBytes = static_cast<std::uint32_t>(nameBytes);
        return file;
    }
    static void Free(File* file) {
        file->~File();
        ::operator delete(file);
    }
};

void RowTexts::Hold() const {
    if (file_) file_->refs.fetch_add(1, std::memory_order_relaxed);
}

void RowTexts::Release() {
    if (file_ && file_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) File::Free(file_);
    file_ = nullptr;
}

RowTexts::File& RowTexts::Own(std::size_t nameBytes) {
    // A name longer than the system allows (255 bytes) never reaches a row from a file; the
    // record holds up to 16 MB.
    nameBytes = std::min<std::size_t>(nameBytes, (std::size_t{1} << 24) - 1);
    if (file_ && file_->nameBytes == nameBytes && file_->refs.load(std::memory_order_acquire) == 1)
        return *file_;
    File* made = File::Make(nameBytes);
    if (file_) {
        made->unit = file_->unit;
        made->hasFile = file_->hasFile;
        made->size = file_->size;
        made->modifiedSeconds = file_->modifiedSeconds;
        made->folder = file_->folder;
        made->key = file_->key;
        std::memcpy(made->Name(), file_->Name(),
                    std::min<std::size_t>(nameBytes, file_->nameBytes));
    }
    Release();
    file_ = made;
    return *made;
}

std::string_view RowTexts::NameBytes() const {
    return file_ ? std::string_view(file_->Name(), file_->nameBytes) : std::string_view();
}
const QString& RowTexts::Folder() const {
    return file_ ? file_->folder.Text() : kNone;
}
const QString& RowTexts::Key() const {
    return file_ ? file_->key.Text() : kNone;
}

void RowTexts::SetName(std::string_view bytes) {
    File& file = Own(bytes.size());
    std::memcpy(file.Name(), bytes.data(), file.nameBytes);
}
void RowTexts::SetFolder(SharedText folder) {
    Own(NameBytes().size()).folder = std::move(folder);
}
void RowTexts::SetKey(SharedText key) {
    Own(NameBytes().size()).key = std::move(key);
}

bool RowTexts::SameFolder(const RowTexts& other) const {
    if (!file_ || !other.file_) return !file_ && !other.file_;
    return file_->folder.SameAs(other.file_->folder);
}

bool RowTexts::SameKey(const RowTexts& other) const {
    if (file_ && other.file_ && file_->key.SameAs(other.file_->key)) return true;
    return Key() == other.Key();
}

QString RowTexts::operator[](AnyColumn column) const {
    switch (column.slot) {
    case 0:
        return PathToText(NameBytes());
    case 1:
        return Folder();
    case 2:
        return Key();
    default:
        return {};
    }
}

bool RowTexts::operator==(const RowTexts& other) const {
    return NameBytes() == other.NameBytes() && Folder() == other.Folder() && Key() == other.Key();
}

void RowTexts::Write(int slot, const QString& text) {
    if (slot == 0)
        SetName(TextToPath(text));
    else if (slot == 1)
        SetFolder(SharedText(text));
    else
        SetKey(SharedText(text));
}

std::uint64_t RowTexts::Size() const {
    return file_ ? file_->size : 0;
}
std::int64_t RowTexts::ModifiedSeconds() const {
    return file_ ? file_->modifiedSeconds : 0;
}
SizeUnit RowTexts::Unit() const {
    return file_ ? static_cast<SizeUnit>(file_->unit) : SizeUnit::Bytes;
}
bool RowTexts::HasFile() const {
    return file_ && file_->hasFile;
}

void RowTexts::SetFile(std::uint64_t bytes, SizeUnit unit, std::int64_t modified) {
    File& file = Own(NameBytes().size());
    file.size = bytes, file.modifiedSeconds = modified, file.hasFile = 1;
    file.unit = static_cast<std::uint32_t>(unit);
}

void RowTexts::SetUnit(SizeUnit unit) {
    if (Unit() != unit) Own(NameBytes().size()).unit = static_cast<std::uint32_t>(unit);
}

QString ResultRow::Text(int column) const {
    // Asked by a view for the rows on screen only: the type may read the file's first bytes.
    // The type and date come from caches that return the same shared string for the same
    // fact, so twin rows and files of one type or time share theirs.
    switch (column) {
    case kSizeColumn:
        return HasFile() ? SizeText(Size(), Unit()) : QString();
    case kTypeColumn:
        if (link == RowLink::HardLink) return QStringLiteral("hard link");
        if (link == RowLink::SharedExtents) return QStringLiteral("shared extents");
        return HasFile() ? TypeDescriptionOf(text.Folder(), text[kNameColumn]) : QString();
    case kModifiedColumn:
        return HasFile() ? ModifiedDateText(ModifiedSeconds()) : QString();
    default:
        return std::as_const(text)[static_cast<std::size_t>(column)];
    }
}

} // namespace quilder
