#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quilder {

enum class SizeUnit { Bytes, KB, MB };

// One size class. Bounds are inclusive; Huge has no upper bound.
struct SizeClass {
    std::string_view code; // work-store folder name
    std::string_view name; // "Tiny" ... "Huge": also the view option's caption
    std::uint64_t smallest;
    std::uint64_t largest;
    int selectorBox;                // index in the class boxes and result lists (1 = Huge)
    std::string_view filteringName; // as the filtering status text names the class
    std::string_view selectorCaption;
    std::string_view groupFolderTag; // group folder relative to the program folder
    int chunk;                       // bytes compared per sample; 0: size alone decides
    int stride;                      // bytes from one sample to the next
    SizeUnit unit;                   // unit of the size text
};

inline constexpr int kClassCount = 7;
inline constexpr std::uint64_t kNoLimit = UINT64_MAX;

// Indexed by class order: 0 Tiny ... 6 Huge.
inline constexpr std::array<SizeClass, kClassCount> kSizeClasses{{
    {"t", "Tiny", 0, 1023, 7, "tiny files", "Tiny (size < 1KB)", "/compared/t", 1, 1,
     SizeUnit::Bytes},
    {"vs", "Very Small", 1024, 10239, 6, "very small files", "Very Small (1KB <= 10KB)",
     "/compared/vs", 10, 10, SizeUnit::KB},
    {"s", "Small", 10240, 102399, 5, "small files", "Small (10KB <= size < 100KB)", "/compared/s",
     6, 204, SizeUnit::KB},
    {"n", "Normal", 102400, 1048575, 4, "normal files", "Normal (100KB <= size < 1MB)",
     "/compared/n", 6, 2096, SizeUnit::KB},
    {"l", "Large", 1048576, 10485759, 3, "large files", "Large (1MB <= size < 10MB)", "/compared/l",
     6, 17476, SizeUnit::MB},
    {"vl", "Very Large", 10485760, 104857599, 2, "very large files",
     "Very Large (10MB <= size < 100MB)", "/compared/vl", 0, 0, SizeUnit::MB},
    {"h", "Huge", 104857600, kNoLimit, 1, "huge files", "Huge (size >= 100MB)", "/compared/h", 0, 0,
     SizeUnit::MB},
}};

inline constexpr int kTinyOrder = 0;
inline constexpr int kVeryLargeOrder = 5;
inline constexpr int kHugeOrder = 6;

// Class order (0 Tiny ... 6 Huge) of a size in bytes.
constexpr int ClassOfSize(std::uint64_t size) {
    for (int order = 0; order < kHugeOrder; ++order)
        if (size <= kSizeClasses[order].largest) return order;
    return kHugeOrder;
}

// Class boxes, view options and result lists share one index: 1 Huge ... 7 Tiny.
constexpr int BoxOfOrder(int order) {
    return kClassCount - order;
}
constexpr int OrderOfBox(int box) {
    return kClassCount - box;
}

// Class order of a class code, or -1 for a code that names no class.
constexpr int OrderOfCode(std::string_view code) {
    for (int order = 0; order < kClassCount; ++order)
        if (kSizeClasses[order].code == code) return order;
    return -1;
}

} // namespace quilder
