#pragma once

#include "WebAddresses.h"

namespace quilder {

// The About box's three links, from the one table of web addresses.
inline const QString kProductPageAddress = WebAddress(WebItem::ProductPage);
inline const QString kMakerHomeAddress = WebAddress(WebItem::HomePage);
inline const QString kSupportMailAddress = WebAddress(WebItem::SupportMail);

} // namespace quilder
