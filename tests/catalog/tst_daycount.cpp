#include <gtest/gtest.h>

#include "catalog/daycount.h"

namespace {

TEST(DayCount, ConvertsToAndFromDateTimes)
{
    EXPECT_EQ(DateToDays(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(DateToDays(QDate(2000, 1, 1)), 36526);
    EXPECT_EQ(DateTimeToDays(QDateTime(QDate(2000, 1, 1), QTime(12, 0))), 36526.5);
    EXPECT_EQ(DaysToDateTime(36526.25), QDateTime(QDate(2000, 1, 1), QTime(6, 0)));
    // Before day zero the fraction still counts forward from midnight.
    EXPECT_EQ(DaysToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(DateTimeToDays(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(DateTimeToDays(QDateTime()), 0);
    EXPECT_FALSE(DaysToDateTime(1e300).isValid());
}

TEST(DayCount, RoundTripKeepsMilliseconds)
{
    const QDateTime moment(QDate(2024, 2, 29), QTime(23, 59, 59, 999));
    EXPECT_EQ(DaysToDateTime(DateTimeToDays(moment)), moment);
}

TEST(DayCount, WholeUnitsBetweenAreAbsoluteAndTruncated)
{
    EXPECT_EQ(WholeYearsBetween(0, 365), 0);
    EXPECT_EQ(WholeYearsBetween(366, 0), 1);
    EXPECT_EQ(WholeDaysBetween(10.9, 1), 9);
    EXPECT_EQ(WholeHoursBetween(0, 1.0 / 24 * 5.5), 5);
    EXPECT_EQ(WholeDaysBetween(0, 1e300), std::numeric_limits<int>::max());
}

TEST(DayCount, SameTimeOfDayIgnoresTheDate)
{
    EXPECT_TRUE(SameTimeOfDay(1.25, 9.25));
    EXPECT_TRUE(SameTimeOfDay(0.25, 0.25 + 0.9 / 86400000.0));
    EXPECT_FALSE(SameTimeOfDay(0.25, 0.25 + 1.1 / 86400000.0));
}

} // namespace
