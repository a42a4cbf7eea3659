#pragma once

#include "EngineHost.h"

#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace quilder::test {

struct FakeNode {
    QString key;
    bool checked = true;
    int children = 0;
};

// A host that records what the engine does and can act at each yield, as a user would. Base is
// EngineHost or an interface derived from it.
template <class Base> class BasicFakeEngineHost : public Base {
public:
    BasicFakeEngineHost() { boxes.fill(true); }

    void Yield() override {
        ++yields;
        if (onYield) onYield(yields);
    }
    QString StatusText() const override {
        return statusTexts.isEmpty() ? QString() : statusTexts.last();
    }
    void SetStatusText(const QString& text) override { statusTexts << text; }
    bool ClassBoxTicked(int box) const override { return boxTicked ? boxTicked(box) : boxes[box]; }
    int NodeCount() const override { return static_cast<int>(nodes.size()); }
    // Past the count (the tree was refilled during a yield): unchecked, without children.
    bool NodeChecked(int p) const override { return Has(p) && nodes[p - 1].checked; }
    int NodeChildCount(int p) const override { return Has(p) ? nodes[p - 1].children : 0; }
    QString NodeKey(int p) const override { return Has(p) ? nodes[p - 1].key : QString(); }
    bool StopRequested() const override { return stop; }
    void SetStopRequested(bool request) override { stop = request; }
    bool Closing() const override { return closing; }
    void SetAnimationInterval(int ms) override { intervals.push_back(ms); }

    void TickOnly(int box) {
        boxes.fill(false);
        boxes[box] = true;
    }

    std::array<bool, 8> boxes{};
    std::vector<FakeNode> nodes;
    bool stop = false;
    bool closing = false;
    int yields = 0;
    QStringList statusTexts;
    std::vector<int> intervals;
    std::function<void(int)> onYield;
    std::function<bool(int)> boxTicked; // when set, answers instead of `boxes`

private:
    bool Has(int p) const { return p >= 1 && p <= NodeCount(); }
};

using FakeEngineHost = BasicFakeEngineHost<EngineHost>;

} // namespace quilder::test
