#pragma once

#include <QString>

namespace quilder {

class DesktopKit;
class Prompt;

enum class WebItem { Forum, ProductPage, HomePage, SupportMail, VersionCheck };

// The version the version-check page is told about, and the product code.
inline constexpr char kCheckedVersion[] = "1.00 Build 20070405";
inline constexpr char kProductCode[] = "QDR";

// The address of a web item as the desktop gets it: the configured address, for the version
// check with the query parameters ver and prod added, URL-encoded.
QString WebAddress(WebItem item);

// The Help menu's web items: hands the item's address to the desktop, and tells the user when
// no browser or mail program took it.
void OpenWebItem(WebItem item, DesktopKit& desktop, Prompt& prompt);
inline const QString kNoBrowserNotice =
    QStringLiteral("No web browser or mail program could open this address:\n%1");

} // namespace quilder
