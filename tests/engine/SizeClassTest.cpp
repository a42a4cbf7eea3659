#include "SizeClass.h"

#include <gtest/gtest.h>

using namespace quilder;

// The bounds of the sampled classes are checked with their samples (CompareTest).
TEST(SizeClass, SizesOfTenMegabytesAndMoreAreVeryLargeOrHuge) {
    for (const auto& [size, code] : std::initializer_list<std::pair<std::uint64_t, const char*>>{
             {0, "t"}, {10485760, "vl"}, {104857599, "vl"}, {104857600, "h"}, {UINT64_MAX, "h"}})
        EXPECT_EQ(kSizeClasses[ClassOfSize(size)].code, code) << size;
}
