#include "BenchHost.h"

#include <QCoreApplication>

namespace quilder {

void BenchHost::Yield() {
    // The same work, at the same pace, as a window's yield when nothing is pending.
    if (!pacer_.Due()) return;
    QCoreApplication::processEvents();
    pacer_.Ran();
}

} // namespace quilder
