#include "HeldGroups.h"

#include "Service.h"

#include <utility>

namespace quilder {

void HeldGroups::Reset() {
    for (auto& groups : groups_)
        std::vector<HeldGroup>().swap(groups);
    onlyHeld_.fill(false);
}

void HeldGroups::Add(int classOrder, HeldGroup group) {
    groups_[classOrder].push_back(std::move(group));
}

std::vector<HeldGroup> HeldGroups::Take(int classOrder) {
    return std::exchange(groups_[classOrder], {});
}

HeldGroups& HeldGroupsService() {
    return ServiceInstance<HeldGroups>();
}

void ReleaseHeldGroupsService() {
    ServiceSlot<HeldGroups>().reset();
}

} // namespace quilder
