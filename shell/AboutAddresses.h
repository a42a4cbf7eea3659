#pragma once

#include <QString>

namespace quilder {

// The About box's three links.
inline const QString kProductPageAddress = QStringLiteral("https://quilder.example.org/");
inline const QString kMakerHomeAddress = QStringLiteral("https://www.example.org/");
inline const QString kSupportMailAddress = QStringLiteral("mailto:support@quilder.example.org");

} // namespace quilder
