#include "trafficlog/periods.h"

#include "platform/clock.h"

namespace vantrel {

int CompareDates(const Date& a, const Date& b) {
  if (a.year != b.year) return static_cast<int>(a.year) - static_cast<int>(b.year);
  if (a.month != b.month) return static_cast<int>(a.month) - static_cast<int>(b.month);
  return static_cast<int>(a.day) - static_cast<int>(b.day);
}

bool InPeriod(const Date& d, const Period& p) { return CompareDates(d, p.first) >= 0 && CompareDates(d, p.last) <= 0; }

int MonthLength(int year, int month) {
  switch (month) {
    case 4: case 6: case 9: case 11: return 30;
    case 2: return year % 4 == 0 ? 29 : 28;
    default: return 31;
  }
}

Date AddDays(const Date& d, int days) {
  int y = d.year, m = d.month, day = d.day;
  if (m < 1 || m > 12) return d;
  if (days < 0) {
    int n = -days;
    while (n >= day) {
      if (y <= 1 && m == 1) return Date{1, 1, 1};
      n -= day;
      if (--m == 0) {
        m = 12;
        --y;
      }
      day = MonthLength(y, m);
    }
    day -= n;
  } else {
    int n = days;
    while (day + n > MonthLength(y, m)) {
      if (y >= 65535 && m == 12) return Date{65535, 12, 31};
      n -= MonthLength(y, m) - day + 1;
      day = 1;
      if (++m == 13) {
        m = 1;
        ++y;
      }
    }
    day += n;
  }
  return Date{static_cast<uint16_t>(y), static_cast<uint16_t>(m), static_cast<uint16_t>(day)};
}

Period WeekPeriod(const Date& d, int dayOfWeek, int weekStart) {
  if (weekStart < 0 || weekStart > 6) weekStart = 0;
  int back = ((dayOfWeek - weekStart) % 7 + 7) % 7;
  Period p;
  p.first = AddDays(d, -back);
  p.last = AddDays(p.first, 6);
  return p;
}

Period MonthPeriod(const Date& d, int s) {
  if (s < 1 || s > 31) s = 1;
  int fy, fm, fd = s, ly, lm, ld = s - 1;
  if (d.day < s) {
    fy = d.year;
    fm = d.month - 1;
    if (fm == 0) {
      fm = 12;
      --fy;
    }
    ly = d.year;
    lm = d.month;
  } else {
    fy = d.year;
    fm = d.month;
    ly = d.year;
    lm = d.month + 1;
    if (lm == 13) {
      lm = 1;
      ++ly;
    }
  }
  if (ld == 0) {
    // A start day of 1: the period ends on the last day of the month before.
    if (--lm == 0) {
      lm = 12;
      --ly;
    }
    ld = 31;
  }
  if ((fm == 2 || fd > 30) && fd > 28 && fd > MonthLength(fy, fm)) {
    fd = 1;
    if (++fm == 13) {
      fm = 1;
      ++fy;
    }
  }
  if ((lm == 2 || ld > 30) && ld >= 29 && ld > MonthLength(ly, lm)) ld = MonthLength(ly, lm);
  return Period{Date{static_cast<uint16_t>(fy), static_cast<uint16_t>(fm), static_cast<uint16_t>(fd)},
                Date{static_cast<uint16_t>(ly), static_cast<uint16_t>(lm), static_cast<uint16_t>(ld)}};
}

Date LastDaysStart(const Date& d, int n) { return n <= 1 ? d : AddDays(d, -(n - 1)); }

Period LastDaysPeriod(const Date& d, int n) { return Period{LastDaysStart(d, n), d}; }

int WeekOfYear(const Date& d, int w) {
  if (w < 0 || w > 6) w = 0;
  int doy = d.day;
  for (int m = 1; m < d.month && m <= 12; ++m) doy += MonthLength(d.year, m);
  int j = DayOfWeek(d.year, 1, 1) + 1;  // 1 = Sunday .. 7 = Saturday
  int k = ((w - j + 8) % 7 + 7) % 7;
  int e = doy - k;
  return e / 7 + (e % 7 > 0 ? 1 : 0) + (j != w + 1 ? 1 : 0);
}

}  // namespace vantrel
