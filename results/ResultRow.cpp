#include "ResultRow.h"

#include "FileSystem.h"
#include "TypeDescription.h"

namespace quilder {

QString ResultRow::Text(int column) const {
    // Both texts come from caches that return the same shared string for the same fact, so
    // twin rows and files of one type or time share theirs.
    if (column == kTypeColumn)
        return modifiedSeconds ? TypeDescriptionOf(text[kNameColumn]) : QString();
    if (column == kModifiedColumn)
        return modifiedSeconds ? ModifiedDateText(*modifiedSeconds) : QString();
    return text[static_cast<std::size_t>(column)];
}

} // namespace quilder
