#include "OpenCheckedItems.h"

#include "ActionHost.h"
#include "DesktopKit.h"
#include "Prompt.h"
#include "ResultSet.h"
#include "RowPaths.h"

#include <QStringList>

namespace quilder {

void OpenCheckedItems(ActionHost& host, int listIndex, bool folders) {
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
    for (const QString& target : targets)
        desktop.OpenItem(target, DesktopKit::kShowMaximized); // a refusal is passed over
}

void OpenFilesCommand(ActionHost& host) {
    OpenCheckedItems(host, host.Results().VisibleList(), false);
}

void OpenFoldersCommand(ActionHost& host) {
    OpenCheckedItems(host, host.Results().VisibleList(), true);
}

} // namespace quilder
