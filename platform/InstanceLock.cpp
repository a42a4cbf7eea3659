#include "InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>

namespace quilder {

QString InstanceLockPath(const QString& storeRoot) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(storeRoot).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QDir::tempPath() + QStringLiteral("/quilder-") + QString::fromLatin1(hash) +
           QStringLiteral(".lock");
}

} // namespace quilder
