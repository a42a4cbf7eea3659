#pragma once

#include "DesktopKit.h"

#include <QStringList>
#include <map>

namespace quilder::test {

// Records every call as "Operation|argument|..."; answers the dialogs with the paths set (cancel
// when empty) and the title lookup from `windows`.
class RecordingDesktopKit : public DesktopKit {
public:
    void SendWindowMessage(WindowHandle window, int message, std::int64_t, std::int64_t) override {
        calls << QStringLiteral("SendWindowMessage|%1|%2").arg(window).arg(message);
    }
    QStringList ShowOpenDialog(WindowHandle owner, const QString& title, const QString& filter,
                               const QString&, bool) override {
        calls << QStringLiteral("ShowOpenDialog|%1|%2|%3").arg(owner).arg(title, filter);
        return openAnswer;
    }
    QString ShowSaveDialog(WindowHandle owner, const QString& title, const QString&,
                           const QString& filter, const QString&, const QString& ext) override {
        calls << QStringLiteral("ShowSaveDialog|%1|%2|%3|%4").arg(owner).arg(title, filter, ext);
        return saveAnswer;
    }
    bool OpenItem(const QString& path, int style) override {
        calls << QStringLiteral("OpenItem|%1|%2").arg(path).arg(style);
        return true;
    }
    bool OpenAddress(const QString& address, int style) override {
        calls << QStringLiteral("OpenAddress|%1|%2").arg(address).arg(style);
        return true;
    }
    WindowHandle FindTitledWindow(const QString& title) override {
        calls << QStringLiteral("FindTitledWindow|%1").arg(title);
        return windows.contains(title) ? windows[title] : 0;
    }

    QStringList calls;
    QStringList openAnswer;
    QString saveAnswer;
    std::map<QString, WindowHandle> windows;
};

} // namespace quilder::test
