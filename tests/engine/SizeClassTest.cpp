#include "SizeClass.h"

#include <gtest/gtest.h>

using namespace quilder;

namespace {

TEST(SizeClass, EveryBoundLandsInItsClass) {
    struct Case {
        std::uint64_t size;
        std::string_view code;
    };
    const Case cases[] = {
        {0, "t"},           {1, "t"},          {1023, "t"},        {1024, "vs"},
        {10239, "vs"},      {10240, "s"},      {102399, "s"},      {102400, "n"},
        {1048575, "n"},     {1048576, "l"},    {10485759, "l"},    {10485760, "vl"},
        {104857599, "vl"},  {104857600, "h"},  {4294967295u, "h"}, {4294967296u, "h"},
        {5368709120u, "h"}, {UINT64_MAX, "h"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kSizeClasses[ClassOfSize(c.size)].code, c.code) << c.size;
}

TEST(SizeClass, ClassesTileTheSizesAndIndexesAgree) {
    EXPECT_EQ(kSizeClasses.front().smallest, 0u);
    EXPECT_EQ(kSizeClasses.back().largest, kNoLimit);
    for (int order = 0; order < kClassCount; ++order) {
        const SizeClass& c = kSizeClasses[order];
        if (order > 0) {
            EXPECT_EQ(c.smallest, kSizeClasses[order - 1].largest + 1) << c.code;
        }
        EXPECT_EQ(ClassOfSize(c.smallest), order);
        EXPECT_EQ(ClassOfSize(c.largest), order);
        EXPECT_EQ(OrderOfCode(c.code), order);
        EXPECT_EQ(c.selectorBox, BoxOfOrder(order));
        EXPECT_EQ(OrderOfBox(BoxOfOrder(order)), order);
        EXPECT_EQ(c.groupFolderTag, "/compared/" + std::string(c.code));
    }
    EXPECT_EQ(OrderOfCode("x"), -1);
    EXPECT_EQ(kSizeClasses[ClassOfSize(0)].selectorBox, 7); // Tiny is the last box
}

} // namespace
