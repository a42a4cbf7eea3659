#pragma once

#include "DesktopKit.h"

#include <QStringList>
#include <QVariant>

namespace quilder::test {

// Records every call as "Operation|argument|..."; answers the dialogs with the paths set (cancel
// when empty), opens every item but the refused ones and finds no window.
class RecordingDesktopKit : public DesktopKit {
public:
    void SendWindowMessage(WindowHandle w, int m, std::int64_t, std::int64_t) override {
        Record("SendWindowMessage", w, m);
    }
    QStringList ShowOpenDialog(WindowHandle o, const QString& t, const QString& f, const QString&,
                               bool) override {
        return Record("ShowOpenDialog", o, t, f) ? openAnswer : QStringList{};
    }
    QString ShowSaveDialog(WindowHandle o, const QString& t, const QString&, const QString& f,
                           const QString&, const QString& ext) override {
        return Record("ShowSaveDialog", o, t, f, ext) ? saveAnswer : QString();
    }
    bool OpenItem(const QString& p, int s) override {
        return Record("OpenItem", p, s) && !refused.contains(p);
    }
    bool OpenAddress(const QString& a, int s) override {
        return Record("OpenAddress", a, s) && !refused.contains(a);
    }
    WindowHandle FindTitledWindow(const QString& t) override {
        return Record("FindTitledWindow", t) ? 0 : 0; // no window
    }

    QStringList calls;
    QStringList openAnswer;
    QString saveAnswer;
    QStringList refused; // items and addresses that fail to open

private:
    template <class... T> bool Record(const char* operation, const T&... arguments) {
        QStringList parts{QString::fromLatin1(operation)};
        ((parts << QVariant::fromValue(arguments).toString()), ...);
        calls << parts.join(QLatin1Char('|'));
        return true;
    }
};

} // namespace quilder::test
