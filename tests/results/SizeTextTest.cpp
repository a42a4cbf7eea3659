#include "SizeText.h"

#include <gtest/gtest.h>

namespace quilder {
namespace {

std::string Text(std::uint64_t size, const QLocale& locale = QLocale(QLocale::English)) {
    return SizeText(size, kSizeClasses[static_cast<std::size_t>(ClassOfSize(size))].unit, locale)
        .toStdString();
}

TEST(SizeText, UnitFollowsTheClassAndTwoDecimalsAreRounded) {
    EXPECT_EQ(Text(1023), "1023 B");
    EXPECT_EQ(Text(1024), "1.00 KB");
    EXPECT_EQ(Text(1152), "1.13 KB");   // exactly 1.125
    EXPECT_EQ(Text(10235), "10.00 KB"); // 9.9951... carries into the whole part
    EXPECT_EQ(Text(1048576), "1.00 MB");
    EXPECT_EQ(Text(UINT64_MAX), "17592186044416.00 MB");
    // The locale's decimal separator, never a thousands separator.
    EXPECT_EQ(Text(5368709120, QLocale(QLocale::German)), "5120,00 MB");
}

} // namespace
} // namespace quilder
