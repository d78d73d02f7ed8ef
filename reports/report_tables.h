#pragma once
// The four traffic reports of one adapter, computed from the traffic log in one sequential
// pass each: a daily, a weekly and a monthly table (rows newest first) and the general
// summary. Today's figures never come from the log: they are the engine's live totals,
// which stand in for today's log record everywhere.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/adapter_entry.h"
#include "engine/formatters.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "trafficlog/periods.h"

namespace vantrel {

// The report kinds, numbered as the service's report jobs store them.
enum class ReportKind { Summary = 0, Daily = 1, Weekly = 2, Monthly = 3 };

// A service job's stored type: 1 daily, 2 weekly, 3 monthly, anything else the summary.
ReportKind ReportKindFromJobType(int32_t type);

// A downloaded / uploaded pair of byte totals.
struct TrafficPair {
  int64_t down = 0;
  int64_t up = 0;
  bool operator==(const TrafficPair&) const = default;
};

// Everything a table is computed from.
struct ReportContext {
  IFile* log = nullptr;                   // the open traffic log; null counts as a log with no records
  uint32_t kind = kKindAllConnections;    // the selected adapter
  std::string id;                         // its identifier (kind 300 only)
  TrafficPair live;                       // today's live totals of that adapter
  Date today;                             // today's local date ...
  int todayDayOfWeek = 0;                 // ... and its day of week (0 Sunday .. 6 Saturday)
  int weekStart = 0;                      // 0 .. 6
  int monthStart = 1;                     // 1 .. 31
  uint32_t dateFormat = kDefaultDateFormat;
  int lastDays = 30;                      // N of the summary's Last N Days row
  bool byteUnits = true;                  // unit family of the byte cells
};

// Sets today's date and day of week from a local time (read once per build).
void SetReportToday(ReportContext* ctx, const LocalTime& now);
// The live totals of the first entry of the list with the selected kind and, for kind 300,
// identifier; 0 and 0 when the list has none.
TrafficPair LiveTotalsFor(const MonitoredList& list, uint32_t kind, const std::string& id);

// "Sunday" .. "Saturday"; a value outside 0 .. 6 (a damaged record) gives "".
const wchar_t* DayName(int dayOfWeek);
// The day name a log record shows: its stored day of week, or, when that is out of range,
// the day of week of its date.
std::wstring RecordDayName(const Date& date, int storedDayOfWeek);

// Columns of the daily, weekly and monthly tables.
enum ReportColumn { kColumnLabel1 = 0, kColumnLabel2 = 1, kColumnDown = 2, kColumnUp = 3, kColumnBoth = 4 };
constexpr int kReportColumns = 5;

// One row: two label cells (daily: date and day name; weekly and monthly: "#" and span),
// then the three byte cells as shown.
struct ReportRow {
  std::array<std::wstring, kReportColumns> cells;
  bool current = false;  // the row for today or for the current week or month
  int64_t down = 0;      // stored counts: the log's (for the current row, see CurrentShownTotals)
  int64_t up = 0;
  Period period;         // the day (daily) or the week or month the row stands for
};

struct ReportTable {
  ReportKind kind = ReportKind::Daily;
  std::vector<ReportRow> rows;  // newest first as built
  Period range;                 // the report range of the export headers
  Period current;               // today (daily) or the current week or month
  TrafficPair logged;           // weekly, monthly: the log's totals of the current period, today excluded
  bool byteUnits = true;

  // Index of the first row with the current flag, -1 when none.
  int CurrentRowIndex() const;
};

// The three byte cells "Downloaded", "Uploaded", "Both" of a pair (Both added in 64 bits).
std::array<std::wstring, 3> MakeByteCells(int64_t down, int64_t up, bool byteUnits);

// One pass over the log each; rows newest first, exactly one current row.
ReportTable BuildDailyTable(const ReportContext& ctx);
ReportTable BuildWeeklyTable(const ReportContext& ctx);
ReportTable BuildMonthlyTable(const ReportContext& ctx);
// Daily, weekly or monthly by kind (the summary kind builds the daily table).
ReportTable BuildReportTable(ReportKind kind, const ReportContext& ctx);
// The table after the traffic log was cleared: the current row alone (logged totals 0),
// showing the live totals. Reads nothing.
ReportTable ClearedReportTable(ReportKind kind, const ReportContext& ctx);

// What the current row shows: daily the live totals, weekly and monthly the current
// period's logged totals plus the live totals.
TrafficPair CurrentShownTotals(const ReportTable& table, const TrafficPair& live);
// Bits of the cells a refresh replaced.
constexpr unsigned kCellDownChanged = 1, kCellUpChanged = 2, kCellBothChanged = 4;
// Recomputes the current row's byte cells from the live totals, replacing only texts that
// differ; returns which cells changed (0 also when there is no current row).
unsigned RefreshCurrentRow(ReportTable* table, const TrafficPair& live);

// A row's item data, as the report list keeps it per row.
struct RowTotals {
  bool current = false;
  int64_t down = 0;
  int64_t up = 0;
};
// The selection line: "Selected: 0" with nothing selected, else
// "Selected: %d   Down: %s   Up: %s   Both: %s", taking `currentShown` for the current row.
std::wstring SelectionLine(const std::vector<RowTotals>& selected, const TrafficPair& currentShown, bool byteUnits);
// The same over rows of a table, by index (indices out of range are ignored).
std::wstring SelectionTotals(const ReportTable& table, const std::vector<size_t>& selectedRows,
                             const TrafficPair& live);

// The summary's rows, in the order they are shown and exported.
enum SummaryRow {
  kSummaryToday = 0,
  kSummaryWeek = 1,
  kSummaryMonth = 2,
  kSummaryYear = 3,
  kSummaryLastDays = 4,
  kSummaryTotal = 5,
};
constexpr int kSummaryRows = 6;
// Eighteen cells: per row Downloaded, Uploaded, Both.
using SummaryCells = std::array<std::array<std::wstring, 3>, kSummaryRows>;

// The log's part of the summary: accumulators without today's record, and the range of the
// record dates seen (starting at today .. today).
struct SummaryTotals {
  TrafficPair total;
  TrafficPair thisYear;
  TrafficPair thisMonth;
  TrafficPair thisWeek;
  TrafficPair lastDays;
  Period range;
};

SummaryTotals BuildSummary(const ReportContext& ctx);
// The summary after the log was cleared: all accumulators 0, range today .. today.
SummaryTotals ClearedSummary(const Date& today);
// Recomputes only the Last N Days accumulators for ctx.lastDays (one pass when N > 1);
// N <= 0 leaves everything as it is (its cells are empty then).
void RecomputeLastDays(const ReportContext& ctx, SummaryTotals* totals);
// Each row: accumulators plus live totals; Today is the live totals alone; Last N Days is
// empty when n <= 0.
SummaryCells MakeSummaryCells(const SummaryTotals& totals, const TrafficPair& live, int n, bool byteUnits);

}  // namespace vantrel
