#pragma once

#include <QTimer>

namespace quilder {

// A window timer as the program's routines use it: an interval of 0 stops it, any other
// interval (re)starts it with that period.
class IntervalTimer : public QObject {
    Q_OBJECT

public:
    explicit IntervalTimer(const QString& name, QObject* parent = nullptr) : QObject(parent) {
        setObjectName(name);
        connect(&timer_, &QTimer::timeout, this, &IntervalTimer::timeout);
    }

    void setInterval(int milliseconds) {
        if (milliseconds <= 0) {
            timer_.stop();
            interval_ = 0;
            return;
        }
        interval_ = milliseconds;
        timer_.start(milliseconds);
    }
    int interval() const { return interval_; }
    bool isActive() const { return timer_.isActive(); }

Q_SIGNALS:
    void timeout();

private:
    QTimer timer_;
    int interval_ = 0;
};

} // namespace quilder
