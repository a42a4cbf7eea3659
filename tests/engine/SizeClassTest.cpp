#include "SizeClass.h"

#include <gtest/gtest.h>

using namespace quilder;

namespace {

TEST(SizeClass, EveryBoundLandsInItsClass) {
    const std::pair<std::uint64_t, std::string_view> cases[] = {
        {0, "t"},         {1023, "t"},        {1024, "vs"},      {10239, "vs"},
        {10240, "s"},     {102399, "s"},      {102400, "n"},     {1048575, "n"},
        {1048576, "l"},   {10485759, "l"},    {10485760, "vl"},  {104857599, "vl"},
        {104857600, "h"}, {4294967296u, "h"}, {UINT64_MAX, "h"},
    };
    for (const auto& [size, code] : cases)
        EXPECT_EQ(kSizeClasses[ClassOfSize(size)].code, code) << size;
}

} // namespace
