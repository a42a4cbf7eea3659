#include "frmPubAbout.h"

#include "AboutAddresses.h"
#include "DesignFont.h"
#include "DesktopKit.h"
#include "MenuTable.h"
#include "PlaceAtTwips.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace quilder {

namespace {

// The frame, in twips; the window ends 90 twips right of and below it.
constexpr int kFrameLeft = 90;
constexpr int kFrameTop = 0;
constexpr int kFrameWidth = 6300;
constexpr int kFrameHeight = 2365;
constexpr int kMargin = 90;

QLabel* Picture(const QString& name, const QString& image, const QString& tooltip,
                QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(QPixmap(image));
    picture->setAlignment(Qt::AlignCenter);
    picture->setToolTip(tooltip);
    picture->setAccessibleName(tooltip);
    picture->setCursor(Qt::PointingHandCursor);
    return picture;
}

QPushButton* PicButton(const QString& name, const QString& caption, const QString& image,
                       const QString& tooltip, QWidget* parent) {
    auto* button = new QPushButton(QIcon(image), caption, parent);
    button->setObjectName(name);
    button->setToolTip(tooltip);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmPubAbout::frmPubAbout(std::function<DesktopKit*()> kit) : kit_(std::move(kit)) {
    setObjectName(QStringLiteral("frmPubAbout"));
    setWindowTitle(QStringLiteral("About Quilder"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFont(DesignFont());

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fra"));
    frame->setAccessibleName(QStringLiteral("About Quilder"));
    PlaceAtTwips(*frame, kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight);

    productLogo_ = Picture(QStringLiteral("imgProdLogo"), QStringLiteral(":/about/product.png"),
                           QStringLiteral("Opens QDR web page."), frame);
    PlaceAtTwips(*productLogo_, 90, 180, 1140, 1140);
    auto* name = new QLabel(QStringLiteral("Quilder"), frame);
    name->setObjectName(QStringLiteral("Label10"));
    name->setFont(BoldDesignFont());
    PlaceCaptionAtTwips(*name, 1320, 180, 1335, 195);
    auto* version = new QLabel(
        QString::fromLatin1(kVersionText.data(), static_cast<qsizetype>(kVersionText.size())),
        frame);
    version->setObjectName(QStringLiteral("Label2"));
    PlaceCaptionAtTwips(*version, 1320, 750, 2340, 195);
    makerLogo_ = Picture(QStringLiteral("imgCompLogo"), QStringLiteral(":/about/maker.png"),
                         QStringLiteral("Visits our home page."), frame);
    PlaceAtTwips(*makerLogo_, 4170, 90, 2115, 840);
    for (QLabel* logo : {productLogo_, makerLogo_})
        logo->installEventFilter(this);

    QPushButton* web = PicButton(QStringLiteral("sbtWeb"), QStringLiteral("Home Page"),
                                 QStringLiteral(":/about/web.png"),
                                 QStringLiteral("Visits our home page."), frame);
    QPushButton* mailer = PicButton(QStringLiteral("sbtMailer"), QStringLiteral("Feedback"),
                                    QStringLiteral(":/about/mail.png"),
                                    QStringLiteral("Contacts QDR support via email."), frame);
    QPushButton* close = PicButton(QStringLiteral("sbtClose"), QStringLiteral("Close"),
                                   QStringLiteral(":/about/close.png"),
                                   QStringLiteral("Closes this dialog box <Esc>."), frame);
    PlaceAtTwips(*web, 2385, 1875, 1215, 405);
    PlaceAtTwips(*mailer, 3690, 1875, 1215, 405);
    PlaceAtTwips(*close, 4995, 1875, 1215, 405);
    connect(web, &QPushButton::clicked, this, [this] { Open(kMakerHomeAddress); });
    connect(mailer, &QPushButton::clicked, this, [this] { Open(kSupportMailAddress); });
    // Esc rejects the dialog as well; both end in close(), which unloads the box.
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, &QWidget::close);

    const int dpi = logicalDpiX();
    fitted_ = QSize(TwipsAsPixels(kFrameLeft + kFrameWidth + kMargin, dpi),
                    TwipsAsPixels(kFrameTop + kFrameHeight + kMargin, dpi));
    setFixedSize(fitted_);
}

void frmPubAbout::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (size() != fitted_) resize(fitted_);
}

bool frmPubAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == productLogo_) Open(kProductPageAddress);
        if (watched == makerLogo_) Open(kMakerHomeAddress);
    }
    return QDialog::eventFilter(watched, event);
}

void frmPubAbout::Open(const QString& address) {
    if (DesktopKit* kit = kit_ ? kit_() : nullptr)
        kit->OpenAddress(address, DesktopKit::kShowMaximized);
}

} // namespace quilder
