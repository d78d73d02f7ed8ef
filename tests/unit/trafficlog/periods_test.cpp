#include "trafficlog/periods.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

Date D(int y, int m, int d) { return Date{uint16_t(y), uint16_t(m), uint16_t(d)}; }
Period P(Date a, Date b) { return Period{a, b}; }

TEST(CompareDates, ComparesYearThenMonthThenDay) {
  EXPECT_LT(CompareDates(D(2009, 12, 31), D(2010, 1, 1)), 0);
  EXPECT_GT(CompareDates(D(2010, 2, 1), D(2010, 1, 31)), 0);
  EXPECT_EQ(CompareDates(D(2010, 2, 1), D(2010, 2, 1)), 0);
  EXPECT_EQ(CompareDates(D(2010, 2, 1), D(2010, 2, 4)), -3);
}

TEST(MonthLength, FebruaryHas29DaysInEveryFourthYearWithoutTheCenturyRule) {
  EXPECT_EQ(MonthLength(2012, 2), 29);
  EXPECT_EQ(MonthLength(2010, 2), 28);
  EXPECT_EQ(MonthLength(2100, 2), 29);
  EXPECT_EQ(MonthLength(2010, 4), 30);
  EXPECT_EQ(MonthLength(2010, 12), 31);
}

TEST(WeekPeriod, StartsOnTheLatestWeekStartDay) {
  // Sunday 2010-03-07.
  EXPECT_EQ(WeekPeriod(D(2010, 3, 7), 0, 1), P(D(2010, 3, 1), D(2010, 3, 7)));
  EXPECT_EQ(WeekPeriod(D(2010, 3, 7), 0, 0), P(D(2010, 3, 7), D(2010, 3, 13)));
  // Across a year end: Friday 2010-01-01 with weeks from Monday.
  EXPECT_EQ(WeekPeriod(D(2010, 1, 1), 5, 1), P(D(2009, 12, 28), D(2010, 1, 3)));
}

TEST(MonthPeriod, FollowsTheMonthStartDay) {
  EXPECT_EQ(MonthPeriod(D(2010, 3, 15), 31), P(D(2010, 3, 1), D(2010, 3, 30)));
  EXPECT_EQ(MonthPeriod(D(2010, 3, 31), 31), P(D(2010, 3, 31), D(2010, 4, 30)));
  EXPECT_EQ(MonthPeriod(D(2010, 2, 10), 31), P(D(2010, 1, 31), D(2010, 2, 28)));
  EXPECT_EQ(MonthPeriod(D(2010, 2, 10), 30), P(D(2010, 1, 30), D(2010, 2, 28)));
  EXPECT_EQ(MonthPeriod(D(2012, 3, 5), 29), P(D(2012, 2, 29), D(2012, 3, 28)));
  EXPECT_EQ(MonthPeriod(D(2010, 5, 20), 31), P(D(2010, 5, 1), D(2010, 5, 30)));
  EXPECT_EQ(MonthPeriod(D(2010, 1, 10), 15), P(D(2009, 12, 15), D(2010, 1, 14)));
  EXPECT_EQ(MonthPeriod(D(2010, 3, 7), 15), P(D(2010, 2, 15), D(2010, 3, 14)));
  EXPECT_EQ(MonthPeriod(D(2010, 12, 20), 15), P(D(2010, 12, 15), D(2011, 1, 14)));
}

TEST(MonthPeriod, StartDayOneIsTheCalendarMonth) {
  EXPECT_EQ(MonthPeriod(D(2010, 4, 10), 1), P(D(2010, 4, 1), D(2010, 4, 30)));
  EXPECT_EQ(MonthPeriod(D(2012, 2, 29), 1), P(D(2012, 2, 1), D(2012, 2, 29)));
  EXPECT_EQ(MonthPeriod(D(2010, 12, 31), 1), P(D(2010, 12, 1), D(2010, 12, 31)));
  EXPECT_EQ(MonthPeriod(D(2010, 1, 1), 1), P(D(2010, 1, 1), D(2010, 1, 31)));
}

TEST(LastDaysPeriod, EndsTodayAndReachesBackNMinusOneDays) {
  EXPECT_EQ(LastDaysPeriod(D(2010, 3, 5), 1), P(D(2010, 3, 5), D(2010, 3, 5)));
  EXPECT_EQ(LastDaysPeriod(D(2010, 3, 5), 7), P(D(2010, 2, 27), D(2010, 3, 5)));
  EXPECT_EQ(LastDaysStart(D(2012, 3, 1), 2), D(2012, 2, 29));
  EXPECT_EQ(LastDaysStart(D(2010, 1, 1), 366), D(2009, 1, 1));
  EXPECT_EQ(LastDaysStart(D(2010, 3, 5), 0), D(2010, 3, 5));
}

TEST(AddDays, CrossesMonthsAndYearsBothWays) {
  EXPECT_EQ(AddDays(D(2010, 12, 31), 1), D(2011, 1, 1));
  EXPECT_EQ(AddDays(D(2011, 1, 1), -1), D(2010, 12, 31));
  EXPECT_EQ(AddDays(D(2100, 2, 28), 1), D(2100, 2, 29));
  EXPECT_EQ(AddDays(D(2010, 3, 5), -5), D(2010, 2, 28));
  EXPECT_EQ(AddDays(D(2010, 1, 1), -32767), AddDays(AddDays(D(2010, 1, 1), -30000), -2767));
}

TEST(WeekOfYear, DaysBeforeTheFirstWeekStartAreWeekOne) {
  // 2010-01-01 was a Friday.
  EXPECT_EQ(WeekOfYear(D(2010, 1, 1), 0), 1);
  EXPECT_EQ(WeekOfYear(D(2010, 1, 2), 0), 1);
  EXPECT_EQ(WeekOfYear(D(2010, 1, 3), 0), 2);
  EXPECT_EQ(WeekOfYear(D(2010, 1, 9), 0), 2);
  EXPECT_EQ(WeekOfYear(D(2010, 1, 10), 0), 3);
  // A year that starts on the week-start day: January 1st opens week 1 itself.
  EXPECT_EQ(WeekOfYear(D(2010, 1, 1), 5), 1);
  EXPECT_EQ(WeekOfYear(D(2010, 1, 7), 5), 1);
  EXPECT_EQ(WeekOfYear(D(2010, 1, 8), 5), 2);
  EXPECT_EQ(WeekOfYear(D(2010, 12, 31), 0), 53);
}

}  // namespace
}  // namespace vantrel
