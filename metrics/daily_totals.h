#pragma once
// The log's byte totals per entry and day, for the endpoint's period totals. The log is read
// once; after that a refresh reads only the records appended since, and re-reads the records
// of the day that has just ended (the owner wrote them last at the change of day), so that a
// scrape never reads years of history again. A log that was cut (the history cleared) or
// whose first record changed is read again from the start, and so is everything after the
// clock went back to an earlier day.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "metrics/metrics_snapshot.h"
#include "platform/file.h"
#include "trafficlog/log_format.h"
#include "trafficlog/periods.h"

namespace vantrel {

class DailyTotals {
 public:
  explicit DailyTotals(IFileSystem& files) : m_files(files) {}

  // Brings the totals up to date with the log at `path` for the day `today`. The log is
  // opened as a reader for the refresh only. False (and no totals) when it cannot be read.
  bool Refresh(const std::wstring& path, const Date& today);

  // The totals of one entry (equal kind and, for kind 300, identifier) over the period,
  // today's records left out (today lives in the entries' own figures). Records with a
  // damaged date count where CompareDates puts them, as in the reports.
  ByteCounts Sum(uint32_t kind, std::string_view id, const Period& period);

  // Bytes read from logs so far (how much work the refreshes did).
  int64_t BytesRead() const { return m_bytesRead; }

 private:
  struct Day {
    uint64_t key = 0;  // year, month, day in CompareDates order
    ByteCounts counts;
  };
  struct EntryDays {
    std::vector<Day> days;          // sorted by key
    std::vector<ByteCounts> prefix;  // running sums over `days`, rebuilt when dirty
    bool dirty = false;
  };

  void Reset();
  bool ReadFrom(IFile& file, int64_t from, int64_t end);
  bool ReReadDay(IFile& file, uint64_t key);
  void Take(const TrafficLogRecord& r, int64_t offset);
  EntryDays& DaysOf(uint32_t kind, std::string_view id);
  static void Add(EntryDays& e, uint64_t key, const ByteCounts& c);
  bool Update(IFile& file, int64_t size, uint64_t todayKey);

  IFileSystem& m_files;
  std::wstring m_path;
  bool m_valid = false;
  uint64_t m_today = 0;
  int64_t m_readEnd = kLogHeaderSize;  // the records before this offset have been read
  // Offsets of the records dated today or later when read: they may still be written.
  std::unordered_map<uint64_t, std::vector<int64_t>> m_open;
  std::unordered_map<std::string, EntryDays> m_entries;
  // The first record as last read, while it was not today's (a cleared log differs there).
  std::vector<uint8_t> m_first;
  int64_t m_bytesRead = 0;
  std::string m_keyBuffer;
};

// The period totals of every entry of a snapshot as the summary page shows them, from the
// log's totals (refreshed here) and the entries' today figures. Without a log only today
// counts.
std::vector<EntryPeriods> PeriodsOf(const MetricsSnapshot& snapshot, DailyTotals& totals);

}  // namespace vantrel
