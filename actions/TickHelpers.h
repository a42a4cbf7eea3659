#pragma once

#include <QString>

namespace quilder {

class TaskHost;
class ResultModel;

// Which row of a group stays unticked.
enum class KeepRule {
    Oldest, // the earliest modified date; on a tie the first of them
    Newest, // the latest modified date; on a tie the first of them
    First,  // the group's first row
};

// The tick helpers act on the visible list and end by showing TickedText in the status panel,
// which from then on follows the ticks (ShowTickedStatus).
// Each group keeps exactly one row unticked; every other row of it is ticked. A group with rows
// in a protected folder keeps those instead, and has every other row ticked.
void TickAllButOne(TaskHost& host, KeepRule rule);
// Ticks every row whose file is in the folder of row `row` (not in its sub-folders) and not
// protected; other rows keep their ticks. One notice tells how many groups now have every row
// ticked. A row of -1 (none chosen) only asks for one.
void TickAllInFolder(TaskHost& host, int row);
void UntickAll(TaskHost& host);

// "1,204 files ticked, 3.2 GB": the ticked rows of the list and their total size.
QString TickedText(const ResultModel& list);

inline const QString kNoRowForFolder =
    QStringLiteral("Click a row of the folder whose files are to be ticked first.");
QString WholeGroupsTickedNotice(int groups);

} // namespace quilder
