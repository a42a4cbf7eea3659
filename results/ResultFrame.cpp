#include "ResultFrame.h"

#include "ResultListView.h"
#include "ResultSet.h"
#include "SizeClass.h"
#include "Twips.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalBlocker>

namespace quilder {

namespace {

// Design positions inside the frame, in twips.
constexpr int kMargin = 90;
constexpr int kOptionsTop = 270;
constexpr int kListTop = 555;
constexpr int kListWidth = 6015;
constexpr int kListHeight = 4935;

QString OptionCaption(int index) {
    if (index == 0) return QStringLiteral("All");
    const std::string_view name = kSizeClasses[static_cast<std::size_t>(OrderOfBox(index))].name;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

ResultFrame::ResultFrame(ResultSet& results, QWidget* parent)
    : QGroupBox(QStringLiteral("Result"), parent), results_(results) {
    setObjectName(QStringLiteral("fra1"));
    const int dpi = logicalDpiX();
    const auto px = [dpi](int twips) { return TwipsAsPixels(twips, dpi); };

    auto* row = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kResultListCount; ++i) {
        auto* option = new QRadioButton(OptionCaption(i), row);
        option->setObjectName(QStringLiteral("opt%1").arg(i));
        rowLayout->addWidget(option);
        options_[static_cast<std::size_t>(i)] = option;
        // Raised by a click and by a program switching the option on alike.
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) results_.OptionClicked(i);
        });
    }
    row->move(px(kMargin), px(kOptionsTop));
    row->resize(row->sizeHint());

    for (int i = 0; i < kResultListCount; ++i) {
        auto* list = new ResultListView(results.List(i), i, this);
        list->setGeometry(px(kMargin), px(kListTop), px(kListWidth), px(kListHeight));
        lists_[static_cast<std::size_t>(i)] = list;
    }
    connect(&results_, &ResultSet::visibleListChanged, this, &ResultFrame::ShowList);
    ShowList(results_.VisibleList());
}

void ResultFrame::ShowList(int index) {
    for (int i = 0; i < kResultListCount; ++i)
        List(i).setVisible(i == index);
    const QSignalBlocker blocker(&Option(index));
    Option(index).setChecked(true);
}

} // namespace quilder
