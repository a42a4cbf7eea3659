#pragma once

#include "StoreFixture.h"

namespace quilder::test {

// Hand-written scan lists, and the group files the phases make of them.
class PhaseFixture : public StoreFixture {
protected:
    std::string WriteList(int order, const std::string& name, const V& paths) {
        std::string text;
        for (const std::string& path : paths)
            text += path + "\r\n";
        return tree.File("program/scanned/" + std::string(kSizeClasses[order].code) + "/" + name,
                         text);
    }
    std::string Group(int order, const std::string& name) const {
        return GroupFolderPath(order) + "/" + name;
    }
    std::map<std::string, V> Groups(int order) const {
        std::map<std::string, V> groups;
        for (const std::string& name : Entries(GroupFolderPath(order)))
            groups[name] = ListLines(Group(order, name));
        return groups;
    }
};

} // namespace quilder::test
