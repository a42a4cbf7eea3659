#include "BenchHost.h"

#include <QCoreApplication>

namespace quilder {

void BenchHost::Yield() {
    // The same work a window does at a yield when nothing is pending.
    QCoreApplication::processEvents();
}

} // namespace quilder
