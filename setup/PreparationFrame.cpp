#include "PreparationFrame.h"

#include "ClassSelector.h"
#include "FolderTree.h"
#include "PlaceAtTwips.h"
#include "Twips.h"

#include <QLabel>
#include <cmath>

namespace quilder {

namespace {

QLabel* BlueLabel(const QString& caption, int index, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("Label1%1").arg(index));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
    return label;
}

} // namespace

PreparationFrame::PreparationFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Preparation"), parent) {
    setObjectName(QStringLiteral("fra0"));
    classLabel_ = BlueLabel(QStringLiteral("Select the size type of destination files"), 0, this);
    PlaceCaptionAtTwips(*classLabel_, 90, 270, 3015, 195);
    selector_ = new ClassSelector(*this);
    treeLabel_ = BlueLabel(QStringLiteral("Select the destination path(s)"), 1, this);
    PlaceCaptionAtTwips(*treeLabel_, 90, 2835, 3015, 195);
    int widest = 0;
    for (const QWidget* caption : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        widest = std::max(widest, caption->width());
    treeWidth_ =
        std::max(kTreeWidth, static_cast<int>(std::ceil(PixelsAsTwips(widest, logicalDpiX()))));
    tree_ = new FolderTree(this);
    PlaceAtTwips(*tree_, kTreeLeft, kTreeTop, treeWidth_, 2370);
}

} // namespace quilder
