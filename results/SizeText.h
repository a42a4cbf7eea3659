#pragma once

#include "SizeClass.h"

#include <QLocale>
#include <QString>
#include <cstdint>
#include <string_view>

namespace quilder {

// A file's size as a result row shows it: bytes for Tiny ("512 B"), otherwise KB or MB with two
// decimals, rounded, and the locale's decimal separator ("1.50 KB"). The unit comes from the
// class of the row, not from the size itself.
QString SizeText(std::uint64_t size, SizeUnit unit, const QLocale& locale = QLocale::system());
// The same in the unit of the class the size falls in.
inline QString SizeTextOfItsClass(std::uint64_t size) {
    return SizeText(size, kSizeClasses[static_cast<std::size_t>(ClassOfSize(size))].unit);
}

// A total for a summary, one decimal in the largest unit it fills ("512 B", "3.2 GB"), with the
// locale's decimal separator.
QString TotalSizeText(std::uint64_t size, const QLocale& locale = QLocale());

// The sort key of the members of a group file: the size part of its name padded to 13 digits,
// then the rest of the name from its first "_" on ("20480_3" -> "0000000020480_3").
QString SortKey(std::string_view groupFileName);

} // namespace quilder
