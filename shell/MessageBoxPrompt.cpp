#include "MessageBoxPrompt.h"

#include <QMessageBox>

namespace quilder {

namespace {

const QString kTitle = QStringLiteral("Quilder");

} // namespace

void MessageBoxPrompt::Notice(const QString& text) {
    QMessageBox::information(owner_, kTitle, text, QMessageBox::Ok);
}

PromptAnswer MessageBoxPrompt::AskYesNo(const QString& text) {
    const auto answer = QMessageBox::question(owner_, kTitle, text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
}

PromptAnswer MessageBoxPrompt::AskYesNoDefaultNo(const QString& text) {
    const auto answer = QMessageBox::question(owner_, kTitle, text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
}

PromptAnswer MessageBoxPrompt::AskYesNoCancel(const QString& text) {
    const auto answer = QMessageBox::question(
        owner_, kTitle, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return PromptAnswer::Yes;
    if (answer == QMessageBox::No) return PromptAnswer::No;
    return PromptAnswer::Cancel;
}

} // namespace quilder
