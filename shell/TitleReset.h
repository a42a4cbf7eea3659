#pragma once

#include <QObject>

class QWidget;

namespace quilder {

// Puts the window's title back to "Quilder" on every mouse move over the watched controls, which
// takes a menu help text off the title bar once the pointer is back over the window's content.
class TitleReset : public QObject {
    Q_OBJECT

public:
    explicit TitleReset(QWidget& window, QObject* parent = nullptr);

    // Moves over `control` (for a list or tree: its items and its header too) reset the title.
    // Controls not watched, such as the toolbar and the status bar, leave it.
    void Watch(QWidget& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};

} // namespace quilder
