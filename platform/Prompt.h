#pragma once

#include <QString>

namespace quilder {

enum class PromptAnswer { Yes, No, Cancel };

// Messages to the user, titled "Quilder". The window shows message boxes; tests answer from a
// script.
class Prompt {
public:
    virtual ~Prompt() = default;
    // OK button, information icon.
    virtual void Notice(const QString& text) = 0;
    // Yes and No, question icon: answers Yes or No.
    virtual PromptAnswer AskYesNo(const QString& text) = 0;
    // The same with No as the default button, for a question whose Yes cannot be undone.
    virtual PromptAnswer AskYesNoDefaultNo(const QString& text) = 0;
    // Yes, No and Cancel, question icon.
    virtual PromptAnswer AskYesNoCancel(const QString& text) = 0;
};

} // namespace quilder
