#pragma once
// What the metrics endpoint reports: the figures of one second as the program that owns the
// traffic log publishes them after each tick (copies, so the endpoint's thread never touches
// the tick's state), and the period totals the endpoint adds to them from the log.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "trafficlog/periods.h"

namespace vantrel {

inline constexpr char kMetricsVersion[] = "3.6";
inline constexpr char kMetricsBuild[] = "437";

enum class MetricsProgram { Service, Interactive };
// "service" or "interactive".
const char* ProgramLabel(MetricsProgram program);
// "all", "dialup" or "adapter" for the kinds 100, 200 and 300 (anything else: "adapter").
const char* KindLabel(uint32_t kind);

// A received / transmitted pair of byte counts.
struct ByteCounts {
  uint64_t receive = 0;
  uint64_t transmit = 0;
  bool operator==(const ByteCounts&) const = default;
};

// One monitored-list entry as the endpoint shows it. Texts are UTF-8.
struct MetricsEntry {
  uint32_t kind = kKindAllConnections;
  std::string id;          // the identifier, empty for the two pseudo-adapters
  std::string logId;       // the identifier as the log stores it (8-bit text)
  std::string name;        // the display name
  ByteCounts lastSecond;   // the last second's bytes
  ByteCounts sinceStart;   // counted since the program started
  ByteCounts today;        // today's totals as the reports show them
};

// The notification rule as the endpoint shows it (only while the notification is on and
// its entry is in the list).
struct MetricsQuota {
  size_t entry = 0;         // index into the snapshot's entries
  int32_t direction = 0;    // 0 received, 1 transmitted, else both
  int32_t period = 0;       // 0 week, 1 month, else the last `days` days
  int32_t days = 1;
  uint64_t limit = 0;       // the threshold in bytes
  uint64_t used = 0;        // what the rule counts: the period before today plus today
  bool exceeded = false;    // the rule has fired in this period
};

struct MetricsSnapshot {
  MetricsProgram program = MetricsProgram::Service;
  LocalTime sampleTime;              // local time of the last tick (today's date)
  int64_t sampleUnixMs = 0;          // the same moment as Unix time in milliseconds
  int32_t utcOffsetMinutes = 0;      // local time minus UTC
  std::optional<int64_t> logWriteUnixMs;  // the last write of the log by this program
  int weekStartDay = 0;
  int monthStartDay = 1;
  int sumLastDays = 30;              // the summary's Last N Days; 0 or less: none
  std::wstring logPath;              // the log the period totals come from; empty: none
  std::vector<MetricsEntry> entries;
  std::optional<MetricsQuota> quota;
};

// The period totals of one entry as the summary page shows them: the log's records of the
// period (today's left out) plus today's figures.
struct EntryPeriods {
  ByteCounts week;
  ByteCounts month;
  ByteCounts lastDays;  // the last sumLastDays days; today alone for 1
};

// The entries of a monitored list, in list order.
std::vector<MetricsEntry> MetricsEntriesOf(const MonitoredList& list);

// The wall clock as Unix time in milliseconds.
int64_t UnixMillisecondsNow();
// Local time minus UTC in whole minutes, from a local time and the same moment as Unix time.
int32_t UtcOffsetMinutes(const LocalTime& local, int64_t unixMs);

}  // namespace vantrel
