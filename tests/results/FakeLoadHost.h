#pragma once

#include "EngineHost.h"

#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace quilder::test {

// The window as the loader sees it: ticked classes, status texts, the animation timer and the
// yields, at which a test can act as a user or a timer would.
class FakeLoadHost : public EngineHost {
public:
    FakeLoadHost() { boxes.fill(1); }

    void Yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }
    void SetStatusText(const QString& text) override { statusTexts << text; }
    int ClassBoxValue(int box) const override { return boxes[static_cast<std::size_t>(box)]; }
    int NodeCount() const override { return 0; }
    bool NodeChecked(int) const override { return false; }
    int NodeChildCount(int) const override { return 0; }
    QString NodeKey(int) const override { return {}; }
    bool StopRequested() const override { return false; }
    void SetAnimationInterval(int ms) override { intervals.push_back(ms); }

    void TickOnly(int box) {
        boxes.fill(0);
        boxes[static_cast<std::size_t>(box)] = 1;
    }

    std::array<int, 8> boxes{};
    int yields = 0;
    QStringList statusTexts;
    std::vector<int> intervals;
    std::function<void(int)> onYield;
};

} // namespace quilder::test
