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

} // namespace
