#include "ClassSelector.h"

#include "PlaceAtTwips.h"
#include "SizeClass.h"

#include <QCheckBox>

namespace quilder {

namespace {

constexpr int kLeft = 90;
constexpr int kFirstTop = 555;
constexpr int kStep = 285;
constexpr int kHeight = 195;
constexpr std::array<int, 8> kWidths{825, 1920, 2925, 2370, 2520, 2445, 2160, 1515};

QString Caption(int box) {
    if (box == 0) return QStringLiteral("All Files");
    const std::string_view caption =
        kSizeClasses[static_cast<std::size_t>(OrderOfBox(box))].selectorCaption;
    return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

} // namespace

ClassSelector::ClassSelector(QWidget& frame) : QObject(&frame) {
    setObjectName(QStringLiteral("cbx"));
    for (int i = 0; i < 8; ++i) {
        auto* box = new QCheckBox(Caption(i), &frame);
        box->setObjectName(QStringLiteral("cbx%1").arg(i));
        box->setChecked(true);
        box->setEnabled(i == 0);
        PlaceCaptionAtTwips(*box, kLeft, kFirstTop + i * kStep,
                            kWidths[static_cast<std::size_t>(i)], kHeight);
        boxes_[static_cast<std::size_t>(i)] = box;
    }
    connect(boxes_[0], &QCheckBox::toggled, this, [this] { BoxClicked(0); });
}

bool ClassSelector::Ticked(int box) const {
    if (box < 1 || box > 7) return false;
    return Box(box).isChecked();
}

void ClassSelector::BoxClicked(int index) {
    if (index != 0) return;
    const bool all = Box(0).isChecked();
    for (int j = 1; j <= 7; ++j) {
        Box(j).setChecked(all);
        Box(j).setEnabled(!all);
    }
}

} // namespace quilder
