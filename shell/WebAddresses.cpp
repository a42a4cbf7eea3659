#include "WebAddresses.h"

#include "DesktopKit.h"
#include "Prompt.h"
#include "WebAddressConfig.h"

#include <QUrl>
#include <QUrlQuery>

namespace quilder {

QString WebAddress(WebItem item) {
    switch (item) {
    case WebItem::Forum:
        return QString::fromUtf8(configured::kForum);
    case WebItem::ProductPage:
        return QString::fromUtf8(configured::kProductPage);
    case WebItem::HomePage:
        return QString::fromUtf8(configured::kHomePage);
    case WebItem::SupportMail:
        return QString::fromUtf8(configured::kSupportMail);
    case WebItem::VersionCheck:
        break;
    }
    // The values as they are: QUrl encodes them (the version's spaces as %20).
    QUrl url(QString::fromUtf8(configured::kVersionCheck));
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("ver"), QString::fromLatin1(kCheckedVersion));
    query.addQueryItem(QStringLiteral("prod"), QString::fromLatin1(kProductCode));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

void OpenWebItem(WebItem item, DesktopKit& desktop, Prompt& prompt) {
    const QString address = WebAddress(item);
    if (!desktop.OpenAddress(address, DesktopKit::kShowMaximized))
        prompt.Notice(kNoBrowserNotice.arg(address));
}

} // namespace quilder
