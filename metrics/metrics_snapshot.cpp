#include "metrics/metrics_snapshot.h"

#include <chrono>
#include <cmath>

#include "platform/text.h"

namespace vantrel {

const char* ProgramLabel(MetricsProgram program) {
  return program == MetricsProgram::Interactive ? "interactive" : "service";
}

const char* KindLabel(uint32_t kind) {
  switch (kind) {
    case kKindAllConnections: return "all";
    case kKindDialUp: return "dialup";
    default: return "adapter";
  }
}

std::vector<MetricsEntry> MetricsEntriesOf(const MonitoredList& list) {
  std::vector<MetricsEntry> out;
  out.reserve(list.size());
  for (const AdapterEntry& e : list) {
    MetricsEntry m;
    m.kind = e.kind;
    if (e.kind == kKindAdapter) {
      m.logId = e.id;
      m.id = WideToUtf8(AnsiToWide(e.id));
    }
    m.name = WideToUtf8(e.displayName);
    m.lastSecond = ByteCounts{e.lastSecondDown, e.lastSecondUp};
    m.sinceStart = ByteCounts{e.countedDown, e.countedUp};
    m.today = ByteCounts{e.todayDown, e.todayUp};
    out.push_back(std::move(m));
  }
  return out;
}

int64_t UnixMillisecondsNow() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int32_t UtcOffsetMinutes(const LocalTime& local, int64_t unixMs) {
  static const int64_t kUnixEpoch = DaysFromCivil(1970, 1, 1) * 86400;
  double localMs = static_cast<double>(CalendarSeconds(local) - kUnixEpoch) * 1000.0 + local.milliseconds;
  // The two readings of the clock lie a few milliseconds apart: round to whole minutes.
  return static_cast<int32_t>(std::lround((localMs - static_cast<double>(unixMs)) / 60000.0));
}

}  // namespace vantrel
