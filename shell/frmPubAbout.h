#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace quilder {

class DesktopKit;

// The About box: name, logo and version of the product, three links and Close. Modeless and
// without an owner; it always keeps the size that fits its frame. Esc closes it like Close.
class frmPubAbout : public QDialog {
    Q_OBJECT

public:
    // `kit` gives the desktop kit at the moment a link is clicked (none: nothing opens).
    explicit frmPubAbout(std::function<DesktopKit*()> kit);

    QSize FittedSize() const { return fitted_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Open(const QString& address);

    std::function<DesktopKit*()> kit_;
    QLabel* productLogo_ = nullptr;
    QLabel* makerLogo_ = nullptr;
    QSize fitted_;
};

} // namespace quilder
