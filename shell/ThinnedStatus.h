#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

namespace quilder {

// Status panel 1 as a job writes it. A job's status text changes per folder or list, thousands of
// times a second, and a screen reader reads every change: within one phase (the texts' first
// word) the panel shows the latest text at most every kIntervalMs, the pace of the dots'
// animation. A text of another phase shows at once.
class ThinnedStatus : public QObject {
    Q_OBJECT

public:
    explicit ThinnedStatus(QLabel& panel, QObject* parent = nullptr);

    void Set(const QString& text);
    // The latest text, shown or still waiting for its turn.
    QString Latest() const;

    static constexpr int kIntervalMs = 200;

private:
    void Show(QString text); // by value: it may be handed pending_, which it clears

    QLabel& panel_;
    QElapsedTimer shown_;
    QTimer due_;
    QString pending_;
};

} // namespace quilder
