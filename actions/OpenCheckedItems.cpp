#include "OpenCheckedItems.h"

#include "DesktopKit.h"
#include "Prompt.h"
#include "ResultSet.h"
#include "RowPaths.h"
#include "TaskHost.h"

#include <QStringList>

namespace quilder {

void OpenCheckedItems(TaskHost& host, int listIndex, bool folders) {
    if (listIndex < 0 || listIndex >= kResultListCount) return;
    const ResultModel& list = host.Results().List(listIndex);
    if (list.RowCount() < 1) {
        host.Prompts().Notice(kNoFileForOpening);
        return;
    }
    // Targets first: the desktop may run events while it launches, and the list could change.
    QStringList targets;
    for (int i = 0; i < list.RowCount(); ++i) {
        const ResultRow& row = list.Row(i);
        if (row.checked) targets << (folders ? row.text[kPathColumn] : RowPathText(row));
    }
    DesktopKit& desktop = host.Desktop();
    QStringList refused;
    for (const QString& target : targets)
        if (!desktop.OpenItem(target, DesktopKit::kShowMaximized)) refused << target;
    // Once per command: a desktop without a file manager or a program for the type refuses
    // every item alike.
    if (refused.isEmpty()) return;
    QString text = QStringLiteral("The desktop could not open %1.").arg(refused.first());
    if (refused.size() > 1)
        text += QStringLiteral("\n%1 more could not be opened either.").arg(refused.size() - 1);
    host.Prompts().Notice(text);
}

void OpenFilesCommand(TaskHost& host) {
    OpenCheckedItems(host, host.Results().VisibleList(), false);
}

void OpenFoldersCommand(TaskHost& host) {
    OpenCheckedItems(host, host.Results().VisibleList(), true);
}

} // namespace quilder
