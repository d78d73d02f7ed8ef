#pragma once
// Clock seam: the local date and time. Tests set it (23:59:59 then 00:00:00, sleep gaps).
#include <cstdint>

namespace vantrel {

// Local date and time, fields in the order of the Win32 SYSTEMTIME.
struct LocalTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;  // 0 = Sunday to 6 = Saturday
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalTime Now() = 0;
};

// The platform's clock (GetLocalTime on Windows, localtime elsewhere).
IClock& SystemClock();

// Seconds since 1601-01-01 00:00:00 of the same calendar (for comparing two local times).
int64_t CalendarSeconds(const LocalTime& t);
// Days since 1601-01-01 (proleptic Gregorian), and back.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);
// 0 = Sunday to 6 = Saturday.
int DayOfWeek(int year, int month, int day);
// A LocalTime at the given date and time, with its day of week filled in.
LocalTime MakeLocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace vantrel
