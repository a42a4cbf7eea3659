#include "WindowHandles.h"

#include <QPointer>
#include <QWidget>
#include <map>

namespace quilder {

namespace {

struct Registry {
    std::map<WindowHandle, QPointer<QWidget>> windows;
    WindowHandle next = 2;
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

} // namespace

WindowHandle HandleOfWindow(QWidget* window) {
    if (window == nullptr) return 0;
    Registry& registry = Windows();
    for (auto it = registry.windows.begin(); it != registry.windows.end();) {
        if (it->second.isNull()) {
            it = registry.windows.erase(it); // a window that went away frees its entry
        } else if (it->second == window) {
            return it->first;
        } else {
            ++it;
        }
    }
    const WindowHandle handle = registry.next++;
    registry.windows.emplace(handle, window);
    return handle;
}

QWidget* WindowOfHandle(WindowHandle handle) {
    const auto& windows = Windows().windows;
    const auto it = windows.find(handle);
    return it == windows.end() ? nullptr : it->second.data();
}

} // namespace quilder
