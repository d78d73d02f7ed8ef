#pragma once
// Calendar periods that reports and notifications count over: a week from the user's
// week-start day, an accounting month from the month-start day, and the last N days.
// February has 29 days in every year divisible by 4 (the program's calendar has no century
// rule); everything here uses that one calendar.
#include <cstdint>

namespace vantrel {

struct Date {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
  bool operator==(const Date&) const = default;
};

// An inclusive pair of dates.
struct Period {
  Date first;
  Date last;
  bool operator==(const Period&) const = default;
};

// Negative, zero or positive as a is before, equal to or after b: the difference of the
// first unequal field of year, month, day.
int CompareDates(const Date& a, const Date& b);
// True when first <= d <= last.
bool InPeriod(const Date& d, const Period& p);

int MonthLength(int year, int month);
// The date `days` days before or after d.
Date AddDays(const Date& d, int days);

// The week holding d: it starts on the latest weekStart day not after d and lasts seven
// days. dayOfWeek is d's day of week (0 Sunday .. 6 Saturday).
Period WeekPeriod(const Date& d, int dayOfWeek, int weekStart);
// The accounting month holding d, for a month-start day of 1 to 31.
Period MonthPeriod(const Date& d, int monthStart);
// The last n days up to and including d (n below 1 counts as 1).
Period LastDaysPeriod(const Date& d, int n);
Date LastDaysStart(const Date& d, int n);
// The 1-based number of the week holding d within its year; the days before the first
// week-start day of the year form week 1.
int WeekOfYear(const Date& d, int weekStart);

}  // namespace vantrel
