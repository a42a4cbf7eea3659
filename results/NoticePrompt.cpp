#include "NoticePrompt.h"

#include <QMessageBox>

namespace quilder {

void MessageBoxNotice::Notice(const QString& text) {
    QMessageBox::information(parent_, QStringLiteral("Quilder"), text);
}

} // namespace quilder
