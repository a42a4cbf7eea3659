#include "InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <unistd.h>

namespace quilder {

QString InstanceLockPath(const QString& storeRoot) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(storeRoot).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QDir::tempPath() + QStringLiteral("/quilder-") + QString::fromLatin1(hash) +
           QStringLiteral(".lock");
}

QString InstanceSocketPath(const QString& lockPath) {
    QString base = lockPath;
    if (base.endsWith(QLatin1String(".lock"))) base.chop(5);
    return base + QLatin1Char('-') + QString::number(getuid()) + QStringLiteral(".socket");
}

} // namespace quilder
