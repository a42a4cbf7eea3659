#pragma once

#include "Prompt.h"

class QWidget;

namespace quilder {

// Message boxes titled "Quilder" over the given window.
class MessageBoxPrompt : public Prompt {
public:
    explicit MessageBoxPrompt(QWidget* owner) : owner_(owner) {}
    void Notice(const QString& text) override;
    PromptAnswer AskYesNo(const QString& text) override;
    PromptAnswer AskYesNoDefaultNo(const QString& text) override;
    PromptAnswer AskYesNoCancel(const QString& text) override;

private:
    QWidget* owner_;
};

} // namespace quilder
