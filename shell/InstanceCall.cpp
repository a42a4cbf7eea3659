#include "InstanceCall.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace quilder {

namespace {
const QByteArray kRaiseLine = QByteArrayLiteral("raise\n");
}

InstanceCall::InstanceCall(const QString& socketPath, std::function<void()> raise, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), raise_(std::move(raise)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath); // left by a program that was killed
    server_->listen(socketPath);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    if (socket->readLine(64) == kRaiseLine && raise_) raise_();
                // Anything else is no request of ours: a line this long is no request at all.
                if (socket->bytesAvailable() > 64) socket->abort();
            });
        }
    });
}

bool InstanceCall::Listening() const {
    return server_->isListening();
}

bool InstanceCall::AskToRaise(const QString& socketPath, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRaiseLine);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

} // namespace quilder
