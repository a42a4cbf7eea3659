#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace quilder {

// A second start of the program ends at once, but first asks the running one to bring its
// window to the front: the running program listens on a local socket beside its instance lock,
// and a second start sends it one line.
class InstanceCall : public QObject {
public:
    // Listens on `socketPath` for as long as it lives; `raise` runs once per request. A socket
    // file left there is taken over: whoever holds the instance lock owns the name.
    InstanceCall(const QString& socketPath, std::function<void()> raise, QObject* parent = nullptr);
    bool Listening() const;

    // From a second start: asks the program listening on `socketPath` to raise its window.
    // Gives up after `timeoutMs`, so a program that does not answer never holds it up; false
    // then.
    static bool AskToRaise(const QString& socketPath, int timeoutMs = 1000);

private:
    QLocalServer* server_;
    std::function<void()> raise_;
};

} // namespace quilder
