#pragma once

#include "DesktopKit.h"

namespace quilder {

// The desktop kit on a Qt desktop: Qt's file dialogs, the desktop's handlers for files, folders
// and addresses, and the program's own top-level windows for the title lookup.
class QtDesktopKit : public DesktopKit {
public:
    void SendWindowMessage(WindowHandle window, int message, std::int64_t wordParameter,
                           std::int64_t longParameter) override;
    QStringList ShowOpenDialog(WindowHandle owner, const QString& title, const QString& filter,
                               const QString& initialPath, bool multiSelect) override;
    QString ShowSaveDialog(WindowHandle owner, const QString& title, const QString& initialPath,
                           const QString& filter, const QString& initialName,
                           const QString& defaultExtension) override;
    bool OpenItem(const QString& path, int showStyle) override;
    bool OpenAddress(const QString& address, int showStyle) override;
    WindowHandle FindTitledWindow(const QString& title) override;

private:
    // Where a dialog opens when its caller names no folder: the folder of the file last chosen
    // in either dialog, at first the user's home folder.
    QString StartFolder(const QString& initialPath) const;
    void Remember(const QString& chosenFile);

    QString lastFolder_;
};

// The dialog's name filters from a NUL-separated filter text of description and pattern pairs.
// "*.*" means every file, also one without a dot, as it does on the system the text comes from.
QStringList NameFiltersOf(const QString& filter);

} // namespace quilder
