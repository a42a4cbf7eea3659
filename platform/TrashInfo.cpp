#include "TrashInfo.h"

#include <cstring>

namespace quilder {

namespace {

bool KeptAsIs(unsigned char c) {
    // RFC 2396 unreserved: alphanumerics and the marks; '/' separates the path's segments.
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return c != '\0' && std::strchr("-_.!~*'()/", c) != nullptr;
}

} // namespace

std::string PercentEncodePath(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char byte : path) {
        const auto c = static_cast<unsigned char>(byte);
        if (KeptAsIs(c)) {
            out += byte;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::string TrashInfoText(const std::string& path, std::time_t when) {
    std::tm local{};
    char date[32] = "";
    if (localtime_r(&when, &local) != nullptr)
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + PercentEncodePath(path) + "\nDeletionDate=" + date + '\n';
}

} // namespace quilder
