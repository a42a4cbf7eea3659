#pragma once

#include "FakeEngineHost.h"
#include "StoreFixture.h"

#include <string>
#include <vector>

namespace quilder::test {

// A fresh work store with hand-written scan lists.
class PhaseFixture : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ResetScanStore();
        ResetCompareStore();
    }
    std::string WriteList(int order, const std::string& name,
                          const std::vector<std::string>& paths) {
        std::string text;
        for (const std::string& path : paths)
            text += path + "\r\n";
        return tree.File("program/scanned/" + std::string(kSizeClasses[order].code) + "/" + name,
                         text);
    }
    std::string Group(int order, const std::string& name) const {
        return GroupFolderPath(order) + "/" + name;
    }

    FakeEngineHost host;
};

} // namespace quilder::test
