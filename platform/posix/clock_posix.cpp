#include <sys/time.h>
#include <time.h>

#include "platform/clock.h"

namespace vantrel {

namespace {
class PosixClock : public IClock {
 public:
  LocalTime Now() override {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm lt{};
    time_t s = tv.tv_sec;
    localtime_r(&s, &lt);
    LocalTime t = MakeLocalTime(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
    t.milliseconds = static_cast<uint16_t>(tv.tv_usec / 1000);
    return t;
  }
};
}  // namespace

IClock& SystemClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace vantrel
