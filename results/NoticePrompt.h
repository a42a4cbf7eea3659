#pragma once

#include <QString>

class QWidget;

namespace quilder {

// Notices to the user (OK button, information icon, title "Quilder"). Tests replace the
// message box with a recorder.
class NoticePrompt {
public:
    virtual ~NoticePrompt() = default;
    virtual void Notice(const QString& text) = 0;
};

class MessageBoxNotice : public NoticePrompt {
public:
    explicit MessageBoxNotice(QWidget* parent = nullptr) : parent_(parent) {}
    void Notice(const QString& text) override;

private:
    QWidget* parent_;
};

} // namespace quilder
