#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace quilder {

// The system locale's short date, a blank and its time with seconds but no time-zone name; no
// time at exactly midnight.
QString ModifiedDateText(const QDateTime& when);
// The same for a time in seconds since the epoch, in local time. Files often share their times,
// and formatting is dear, so recent answers are remembered.
QString ModifiedDateText(std::int64_t secondsSinceEpoch);

} // namespace quilder
