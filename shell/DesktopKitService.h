#pragma once

namespace quilder {

class DesktopKit;

// The process's one desktop kit: the Qt one, created on first use (also after a release), or
// whatever a test put into ServiceSlot<DesktopKit>().
DesktopKit& DesktopKitService();
void ReleaseDesktopKitService();

} // namespace quilder
