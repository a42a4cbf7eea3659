#pragma once

#include <QString>
#include <QTextBrowser>

namespace quilder {

class DesktopKit;

inline const QString kHelpWindowTitle = QStringLiteral("QDR Help");

// The program's user guide in a top-level window of its own, titled "QDR Help". It belongs to
// no other window: it is found again by its title, and it deletes itself when closed.
class HelpWindow : public QTextBrowser {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

protected:
    // Esc closes it, as it closes the About box.
    void keyPressEvent(QKeyEvent* event) override;
};

// Help Topics: shows the help window maximised, unless a window titled "QDR Help" is open
// already; that one is left as it is. Nothing happens when the document is missing.
void HelpTopics(DesktopKit& kit);

// At shut-down: asks the window titled "QDR Help", if there is one, to close.
void CloseHelpViewer(DesktopKit& kit);

} // namespace quilder
