#include <windows.h>

#include "platform/clock.h"

namespace vantrel {

namespace {
class Win32Clock : public IClock {
 public:
  LocalTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.dayOfWeek = st.wDayOfWeek;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.milliseconds = st.wMilliseconds;
    return t;
  }
};
}  // namespace

IClock& SystemClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace vantrel
