#pragma once

#include "EngineHost.h"
#include "GapProbe.h"
#include "YieldPacer.h"

#include <QStringList>
#include <array>
#include <memory>

namespace quilder {

// A window-less host: every given folder is a checked tree node without children, the ticked
// classes are fixed, nobody asks to stop.
class BenchHost : public EngineHost {
public:
    BenchHost(QStringList folders, std::array<bool, 8> boxes)
        : folders_(std::move(folders)), boxes_(boxes) {}

    void Yield() override;
    void SetStatusText(const QString& text) override {
        status_ = text;
        if (probe_) probe_->SetStatus(text);
    }
    bool ClassBoxTicked(int box) const override { return boxes_[box]; }
    int NodeCount() const override { return static_cast<int>(folders_.size()); }
    bool NodeChecked(int position) const override {
        return position >= 1 && position <= NodeCount();
    }
    int NodeChildCount(int) const override { return 0; }
    QString NodeKey(int position) const override {
        return NodeChecked(position) ? folders_[position - 1] : QString();
    }
    bool StopRequested() const override { return false; }
    void SetStopRequested(bool) override {}
    void SetAnimationInterval(int) override {}

    QString StatusText() const override { return status_; }
    // QUILDER_GAP_LOG=file, as in the window: the longest waits between event-loop turns.
    void StartGapProbe();
    void FinishGapProbe();

private:
    QStringList folders_;
    std::array<bool, 8> boxes_;
    QString status_;
    YieldPacer pacer_;
    QString gapLog_;
    std::unique_ptr<GapProbe> probe_;
};

} // namespace quilder
