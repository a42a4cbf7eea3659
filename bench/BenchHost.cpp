#include "BenchHost.h"

#include <QCoreApplication>

namespace quilder {

void BenchHost::Yield() {
    // The same work, at the same pace, as a window's yield when nothing is pending.
    if (!pacer_.Due()) return;
    QCoreApplication::processEvents();
    pacer_.Ran();
    if (probe_) probe_->Turn();
}

void BenchHost::StartGapProbe() {
    gapLog_ = GapProbe::LogFileFromEnvironment();
    if (gapLog_.isEmpty()) return;
    probe_ = std::make_unique<GapProbe>();
    probe_->Start();
}

void BenchHost::FinishGapProbe() {
    if (!probe_) return;
    probe_->Finish();
    probe_->AppendTo(gapLog_);
}

} // namespace quilder
