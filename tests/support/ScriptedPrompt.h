#pragma once

#include "Prompt.h"

#include <QStringList>
#include <deque>
#include <ostream>

// Failed expectations on texts show the texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace quilder::test {

// Records every message and answers questions from a script (No when the script is empty).
class ScriptedPrompt : public Prompt {
public:
    void Notice(const QString& text) override { notices << text; }
    PromptAnswer AskYesNo(const QString& text) override { return Answer(text); }
    PromptAnswer AskYesNoDefaultNo(const QString& text) override { return Answer(text); }
    PromptAnswer AskYesNoCancel(const QString& text) override { return Answer(text); }

    QStringList notices;
    QStringList questions;
    std::deque<PromptAnswer> answers;

private:
    PromptAnswer Answer(const QString& text) {
        questions << text;
        if (answers.empty()) return PromptAnswer::No;
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace quilder::test
