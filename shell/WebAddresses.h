#pragma once

#include <QString>

namespace quilder {

enum class WebItem { Forum, ProductPage, HomePage, SupportMail, VersionCheck };

// The version the version-check page is told about, and the product code.
inline constexpr char kCheckedVersion[] = "1.00 Build 20070405";
inline constexpr char kProductCode[] = "QDR";

// The address of a web item as the desktop gets it: the configured address, for the version
// check with the query parameters ver and prod added, URL-encoded.
QString WebAddress(WebItem item);

} // namespace quilder
