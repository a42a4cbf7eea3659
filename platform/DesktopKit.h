#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace quilder {

// Window handles as the desktop kit hands them out: greater than 1 for a window, less than 1
// for none.
using WindowHandle = std::int64_t;

// The desktop outside the program: file dialogs, opening files, folders and addresses, finding
// and closing a top-level window by its title. The window provides the Qt implementation;
// tests record the calls.
class DesktopKit {
public:
    static constexpr int kShowMaximized = 3;
    static constexpr int kCloseMessage = 16;

    virtual ~DesktopKit() = default;

    virtual void SendWindowMessage(WindowHandle window, int message, std::int64_t wordParameter,
                                   std::int64_t longParameter) = 0;
    // Filter: pairs of description and pattern, each element followed by a NUL, the last one
    // without. The chosen paths, none when the user cancels.
    virtual QStringList ShowOpenDialog(WindowHandle owner, const QString& title,
                                       const QString& filter, const QString& initialPath,
                                       bool multiSelect) = 0;
    // The chosen path as the user gave it, empty when the user cancels; the dialog asks before
    // an existing file is chosen. The caller adds the default extension to a name that has none
    // and asks before that name replaces a file: not every desktop dialog asks about the name
    // with the extension added.
    virtual QString ShowSaveDialog(WindowHandle owner, const QString& title,
                                   const QString& initialPath, const QString& filter,
                                   const QString& initialName, const QString& defaultExtension) = 0;
    // Opens a file with its associated program (or starts it when it is a program), or shows a
    // folder. False when the desktop refused.
    virtual bool OpenItem(const QString& path, int showStyle) = 0;
    // Opens a web or mail address; never starts a program.
    virtual bool OpenAddress(const QString& address, int showStyle) = 0;
    virtual WindowHandle FindTitledWindow(const QString& title) = 0;
};

} // namespace quilder
