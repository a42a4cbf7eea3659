#include "ResultRow.h"

#include "ModifiedDateText.h"
#include "SizeText.h"
#include "TypeDescription.h"

namespace quilder {

static_assert(sizeof(ResultRow) <= 96, "a big tree loads millions of rows: keep them small");

QString ResultRow::Text(int column) const {
    // Asked by a view for the rows on screen only: the type may read the file's first bytes.
    // The type and date come from caches that return the same shared string for the same
    // fact, so twin rows and files of one type or time share theirs.
    switch (column) {
    case kSizeColumn:
        return hasFile ? SizeText(size, unit) : QString();
    case kTypeColumn:
        if (link == RowLink::HardLink) return QStringLiteral("hard link");
        if (link == RowLink::SharedExtents) return QStringLiteral("shared extents");
        return hasFile ? TypeDescriptionOf(text[kPathColumn], text[kNameColumn]) : QString();
    case kModifiedColumn:
        return hasFile ? ModifiedDateText(modifiedSeconds) : QString();
    default:
        return text[static_cast<std::size_t>(column)];
    }
}

} // namespace quilder
