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
      m.id = Utf8FromWide(AnsiToWide(e.id));
    }
    m.name = Utf8FromWide(e.displayName);
    m.lastSecond = ByteCounts{e.lastSecondDown, e.lastSecondUp};
    m.sinceStart = ByteCounts{e.countedDown, e.countedUp};
    m.today = ByteCounts{e.todayDown, e.todayUp};
    out.push_back(std::move(m));
  }
  return out;
}

std::string Utf8FromWide(const std::wstring& text) {
  std::u16string units = WideToUtf16(text);
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
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
