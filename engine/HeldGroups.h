#pragma once

#include "FileSystem.h"
#include "SizeClass.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quilder {

// A group this job made, as its group file holds it, with what the comparison learned of its
// members when it read them (facts empty: nothing learned).
struct HeldGroup {
    std::string name;
    std::shared_ptr<const std::string> lines;    // each path ended by CR LF
    std::vector<std::optional<FileFacts>> facts; // per line, or none
};

// The groups of the running job, kept in memory from when they are made until the loader takes
// them: the loader then need not wait for their files to be written, read them back, or look
// their members up again. Their group files are written and deleted all the same.
class HeldGroups {
public:
    // Forgets every group; the loader must look at every folder itself until Held.
    void Reset();
    // The class's group folder was emptied: until Unheld, it holds no group file that did not
    // pass through here.
    void Held(int classOrder) { onlyHeld_[classOrder] = true; }
    void Add(int classOrder, HeldGroup group);
    // The groups of a class not taken yet, in the order they were made.
    std::vector<HeldGroup> Take(int classOrder);
    // A group file of the class was made without passing through here, or the folder could
    // not be emptied: the loader must look at the folder itself.
    void Unheld(int classOrder) { onlyHeld_[classOrder] = false; }
    bool OnlyHeld(int classOrder) const { return onlyHeld_[classOrder]; }

private:
    std::array<std::vector<HeldGroup>, kClassCount> groups_;
    std::array<bool, kClassCount> onlyHeld_{};
};

// The process's held groups: created on first use, released at shut-down.
HeldGroups& HeldGroupsService();
void ReleaseHeldGroupsService();

} // namespace quilder
