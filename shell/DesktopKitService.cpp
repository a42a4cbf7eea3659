#include "DesktopKitService.h"

#include "QtDesktopKit.h"
#include "Service.h"

namespace quilder {

DesktopKit& DesktopKitService() {
    std::unique_ptr<DesktopKit>& slot = ServiceSlot<DesktopKit>();
    if (!slot) slot = std::make_unique<QtDesktopKit>();
    return *slot;
}

void ReleaseDesktopKitService() {
    ServiceSlot<DesktopKit>().reset();
}

} // namespace quilder
