#include "ThinnedStatus.h"

#include <QLabel>

namespace quilder {

ThinnedStatus::ThinnedStatus(QLabel& panel, QObject* parent) : QObject(parent), panel_(panel) {
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] { Show(pending_); });
}

void ThinnedStatus::Set(const QString& text) {
    const QString phase = text.section(QLatin1Char(' '), 0, 0);
    const qint64 since = shown_.isValid() ? shown_.elapsed() : kIntervalMs;
    if (since < kIntervalMs && !phase.isEmpty() &&
        panel_.text().section(QLatin1Char(' '), 0, 0) == phase) {
        pending_ = text;
        if (!due_.isActive()) due_.start(static_cast<int>(kIntervalMs - since));
        return;
    }
    Show(text);
}

QString ThinnedStatus::Latest() const {
    return pending_.isEmpty() ? panel_.text() : pending_;
}

void ThinnedStatus::Show(QString text) {
    due_.stop();
    pending_.clear();
    panel_.setText(text);
    shown_.start();
}

} // namespace quilder
