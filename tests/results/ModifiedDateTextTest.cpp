#include "ModifiedDateText.h"

#include <gtest/gtest.h>

using namespace quilder;

namespace {

TEST(ModifiedDateTextTest, DateTextLeavesOutMidnight) {
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0)), noon = midnight.addSecs(45015);
    const QString atMidnight = ModifiedDateText(midnight), atNoon = ModifiedDateText(noon);
    EXPECT_TRUE(atNoon.startsWith(atMidnight + " ") && atNoon.contains("15"))
        << atNoon.toStdString();
    EXPECT_FALSE(atNoon.contains(noon.timeZoneAbbreviation())) << atNoon.toStdString();
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(ModifiedDateText(std::int64_t{midnight.toSecsSinceEpoch()}), atMidnight);
        EXPECT_EQ(ModifiedDateText(std::int64_t{noon.toSecsSinceEpoch()}), atNoon);
    }
}

} // namespace
