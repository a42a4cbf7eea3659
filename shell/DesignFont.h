#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace quilder {

// Tahoma 8.25 pt where installed, otherwise the desktop's sans-serif at that size.
inline QFont DesignFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    if (QFontInfo(font).family() != font.family()) {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSizeF(8.25);
    }
    // Set explicitly, so that the content of a bold frame is not bold by inheritance.
    font.setWeight(QFont::Normal);
    return font;
}

inline QFont BoldDesignFont() {
    QFont font = DesignFont();
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace quilder
