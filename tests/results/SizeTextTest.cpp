#include "SizeText.h"

#include <gtest/gtest.h>

namespace quilder {
namespace {

const QLocale kDot(QLocale::English, QLocale::UnitedStates);

std::string Text(std::uint64_t size) {
    return SizeText(size, kSizeClasses[static_cast<std::size_t>(ClassOfSize(size))].unit, kDot)
        .toStdString();
}

TEST(SizeText, UnitFollowsTheClassAtEveryBound) {
    EXPECT_EQ(Text(0), "0 B");
    EXPECT_EQ(Text(1023), "1023 B");
    EXPECT_EQ(Text(1024), "1.00 KB");
    EXPECT_EQ(Text(1536), "1.50 KB");
    EXPECT_EQ(Text(10239), "10.00 KB");
    EXPECT_EQ(Text(102400), "100.00 KB");
    EXPECT_EQ(Text(1048575), "1024.00 KB");
    EXPECT_EQ(Text(1048576), "1.00 MB");
    EXPECT_EQ(Text(104857599), "100.00 MB");
    EXPECT_EQ(Text(104857600), "100.00 MB");
    EXPECT_EQ(Text(5368709120), "5120.00 MB");
}

TEST(SizeText, RoundsHalfUpAndNeverOverflows) {
    EXPECT_EQ(Text(1152), "1.13 KB");   // exactly 1.125
    EXPECT_EQ(Text(1029), "1.00 KB");   // 1.0048...
    EXPECT_EQ(Text(10234), "9.99 KB");  // 9.9941...
    EXPECT_EQ(Text(10235), "10.00 KB"); // 9.9951... carries into the whole part
    EXPECT_EQ(Text(UINT64_MAX), "17592186044416.00 MB");
}

TEST(SizeText, UsesTheLocaleDecimalSeparatorWithoutGrouping) {
    const QLocale comma(QLocale::German, QLocale::Germany);
    EXPECT_EQ(SizeText(1536, SizeUnit::KB, comma).toStdString(), "1,50 KB");
    EXPECT_EQ(SizeText(1048575, SizeUnit::KB, comma).toStdString(), "1024,00 KB");
    EXPECT_EQ(SizeText(5368709120, SizeUnit::MB, comma).toStdString(), "5120,00 MB");
    EXPECT_EQ(SizeText(1023, SizeUnit::Bytes, comma).toStdString(), "1023 B");
}

TEST(SortKey, PadsTheSizeToThirteenDigits) {
    EXPECT_EQ(SortKey("20480_3").toStdString(), "0000000020480_3");
    EXPECT_EQ(SortKey("20480_12").toStdString(), "0000000020480_12");
    EXPECT_EQ(SortKey("15728640").toStdString(), "0000015728640");
    EXPECT_EQ(SortKey("0").toStdString(), "0000000000000");
    EXPECT_EQ(SortKey("12345678901234_5").toStdString(), "12345678901234_5");
    EXPECT_EQ(SortKey("007_2").toStdString(), "0000000000007_2");
}

TEST(SortKey, TextOrderSortsGroupsBySizeThenPositionText) {
    EXPECT_LT(SortKey("999_1"), SortKey("20480_1"));
    EXPECT_LT(SortKey("20480_12"), SortKey("20480_3"));
    EXPECT_LT(SortKey("15728640"), SortKey("104857600"));
    EXPECT_LT(SortKey("0"), SortKey("1_1"));
}

} // namespace
} // namespace quilder
