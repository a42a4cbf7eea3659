#include "WebAddresses.h"

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
    QUrl url(QString::fromUtf8(configured::kVersionCheck));
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("ver"),
                       QString::fromLatin1(QUrl::toPercentEncoding(kCheckedVersion)));
    query.addQueryItem(QStringLiteral("prod"), QString::fromLatin1(kProductCode));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace quilder
