#pragma once

#include <memory>

namespace quilder {

// The one instance of a service object of the process: created on first use, replaceable (by
// tests), released at shut-down.
template <class T> std::unique_ptr<T>& ServiceSlot() {
    static std::unique_ptr<T> slot;
    return slot;
}

template <class T> T& ServiceInstance() {
    std::unique_ptr<T>& slot = ServiceSlot<T>();
    if (!slot) slot = std::make_unique<T>();
    return *slot;
}

} // namespace quilder
