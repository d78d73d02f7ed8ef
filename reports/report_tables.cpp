#include "reports/report_tables.h"

#include <algorithm>
#include <optional>

#include "platform/text.h"
#include "trafficlog/log_format.h"

namespace vantrel {

namespace {

// Signed 64-bit addition that wraps instead of overflowing (a damaged log may hold any count).
int64_t Add(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

void AddTo(TrafficPair* p, int64_t down, int64_t up) {
  p->down = Add(p->down, down);
  p->up = Add(p->up, up);
}

TrafficPair Sum(const TrafficPair& a, const TrafficPair& b) { return TrafficPair{Add(a.down, b.down), Add(a.up, b.up)}; }

void Widen(Period* range, const Period& p) {
  if (CompareDates(p.first, range->first) < 0) range->first = p.first;
  if (CompareDates(p.last, range->last) > 0) range->last = p.last;
}

std::wstring FormatDay(const Date& d, uint32_t dateFormat) { return FormatDate(d.year, d.month, d.day, dateFormat); }

void SetByteCells(ReportRow* row, const TrafficPair& shown, bool byteUnits) {
  std::array<std::wstring, 3> cells = MakeByteCells(shown.down, shown.up, byteUnits);
  for (int i = 0; i < 3; ++i) row->cells[kColumnDown + i] = std::move(cells[i]);
}

Period TodayPeriod(const ReportContext& ctx) { return Period{ctx.today, ctx.today}; }

// Weekly and monthly differ only in the period rule and the "#" cell.
class PeriodRule {
 public:
  PeriodRule(ReportKind kind, const ReportContext& ctx) : m_weekly(kind == ReportKind::Weekly), m_ctx(ctx) {}

  Period Of(const Date& d, int dayOfWeek) const {
    return m_weekly ? WeekPeriod(d, dayOfWeek, m_ctx.weekStart) : MonthPeriod(d, m_ctx.monthStart);
  }
  std::wstring Number(const Period& p) const {
    int n = m_weekly ? WeekOfYear(p.last, m_ctx.weekStart) : p.last.month;
    return std::to_wstring(n);
  }
  std::wstring Span(const Period& p) const {
    return FormatDay(p.first, m_ctx.dateFormat) + L" -- " + FormatDay(p.last, m_ctx.dateFormat);
  }

 private:
  bool m_weekly;
  const ReportContext& m_ctx;
};

ReportRow MakePeriodRow(const PeriodRule& rule, const Period& p, const TrafficPair& totals, bool current) {
  ReportRow row;
  row.cells[kColumnLabel1] = rule.Number(p);
  row.cells[kColumnLabel2] = rule.Span(p);
  row.current = current;
  row.down = totals.down;
  row.up = totals.up;
  row.period = p;
  return row;
}

ReportRow MakeDailyRow(const ReportContext& ctx, const Date& d, int dayOfWeek, const TrafficPair& totals, bool current) {
  ReportRow row;
  row.cells[kColumnLabel1] = FormatDay(d, ctx.dateFormat);
  row.cells[kColumnLabel2] = RecordDayName(d, dayOfWeek);
  row.current = current;
  row.down = totals.down;
  row.up = totals.up;
  row.period = Period{d, d};
  return row;
}

// Rows were collected oldest first; the table shows them newest first, with the current
// row added at the top when the log had none.
void Finish(ReportTable* table, std::optional<ReportRow> missingCurrent, const TrafficPair& live) {
  std::reverse(table->rows.begin(), table->rows.end());
  if (table->CurrentRowIndex() < 0 && missingCurrent) table->rows.insert(table->rows.begin(), std::move(*missingCurrent));
  TrafficPair shown = CurrentShownTotals(*table, live);
  for (ReportRow& row : table->rows) {
    if (row.current) {
      SetByteCells(&row, shown, table->byteUnits);
    } else {
      SetByteCells(&row, TrafficPair{row.down, row.up}, table->byteUnits);
    }
  }
}

ReportTable BuildDaily(const ReportContext& ctx, bool readLog) {
  ReportTable table;
  table.kind = ReportKind::Daily;
  table.byteUnits = ctx.byteUnits;
  table.current = TodayPeriod(ctx);
  table.range = table.current;
  if (readLog && ctx.log) {
    LogRecordScanner scanner(*ctx.log);
    TrafficLogRecord r;
    while (scanner.NextFor(ctx.kind, ctx.id, &r)) {
      Date d = r.date();
      bool isToday = d == ctx.today;
      table.rows.push_back(MakeDailyRow(ctx, d, r.dayOfWeek, TrafficPair{static_cast<int64_t>(r.down), static_cast<int64_t>(r.up)}, isToday));
      Widen(&table.range, Period{d, d});
    }
  }
  Finish(&table, MakeDailyRow(ctx, ctx.today, ctx.todayDayOfWeek, ctx.live, true), ctx.live);
  return table;
}

ReportTable BuildPeriods(ReportKind kind, const ReportContext& ctx, bool readLog) {
  ReportTable table;
  table.kind = kind;
  table.byteUnits = ctx.byteUnits;
  PeriodRule rule(kind, ctx);
  table.current = rule.Of(ctx.today, ctx.todayDayOfWeek);
  table.range = table.current;
  if (readLog && ctx.log) {
    std::optional<Period> open;
    TrafficPair sums;
    auto close = [&]() {
      bool current = *open == table.current;
      if (current) table.logged = sums;
      table.rows.push_back(MakePeriodRow(rule, *open, sums, current));
    };
    LogRecordScanner scanner(*ctx.log);
    TrafficLogRecord r;
    while (scanner.NextFor(ctx.kind, ctx.id, &r)) {
      Date d = r.date();
      if (d == ctx.today) continue;  // the live totals stand in for today's record
      int64_t down = static_cast<int64_t>(r.down), up = static_cast<int64_t>(r.up);
      if (open && InPeriod(d, *open)) {
        AddTo(&sums, down, up);
        continue;
      }
      if (open) close();
      open = rule.Of(d, r.dayOfWeek);
      sums = TrafficPair{down, up};
      Widen(&table.range, *open);
    }
    if (open) close();
  }
  Finish(&table, MakePeriodRow(rule, table.current, ctx.live, true), ctx.live);
  return table;
}

}  // namespace

ReportKind ReportKindFromJobType(int32_t type) {
  switch (type) {
    case 1: return ReportKind::Daily;
    case 2: return ReportKind::Weekly;
    case 3: return ReportKind::Monthly;
    default: return ReportKind::Summary;
  }
}

void SetReportToday(ReportContext* ctx, const LocalTime& now) {
  ctx->today = Date{now.year, now.month, now.day};
  ctx->todayDayOfWeek = now.dayOfWeek;
}

TrafficPair LiveTotalsFor(const MonitoredList& list, uint32_t kind, const std::string& id) {
  const AdapterEntry* e = list.Find(kind, id);
  if (!e) return {};
  return TrafficPair{static_cast<int64_t>(e->todayDown), static_cast<int64_t>(e->todayUp)};
}

const wchar_t* DayName(int dayOfWeek) {
  static const wchar_t* const kNames[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday",
                                          L"Thursday", L"Friday", L"Saturday"};
  return dayOfWeek >= 0 && dayOfWeek <= 6 ? kNames[dayOfWeek] : L"";
}

std::wstring RecordDayName(const Date& date, int storedDayOfWeek) {
  if (storedDayOfWeek >= 0 && storedDayOfWeek <= 6) return DayName(storedDayOfWeek);
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return L"";
  return DayName(DayOfWeek(date.year, date.month, date.day));
}

int ReportTable::CurrentRowIndex() const {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].current) return static_cast<int>(i);
  }
  return -1;
}

std::array<std::wstring, 3> MakeByteCells(int64_t down, int64_t up, bool byteUnits) {
  return {FormatByteCount(down, byteUnits), FormatByteCount(up, byteUnits), FormatByteCount(Add(down, up), byteUnits)};
}

ReportTable BuildDailyTable(const ReportContext& ctx) { return BuildDaily(ctx, true); }
ReportTable BuildWeeklyTable(const ReportContext& ctx) { return BuildPeriods(ReportKind::Weekly, ctx, true); }
ReportTable BuildMonthlyTable(const ReportContext& ctx) { return BuildPeriods(ReportKind::Monthly, ctx, true); }

ReportTable BuildReportTable(ReportKind kind, const ReportContext& ctx) {
  switch (kind) {
    case ReportKind::Weekly: return BuildWeeklyTable(ctx);
    case ReportKind::Monthly: return BuildMonthlyTable(ctx);
    default: return BuildDailyTable(ctx);
  }
}

ReportTable ClearedReportTable(ReportKind kind, const ReportContext& ctx) {
  if (kind == ReportKind::Weekly || kind == ReportKind::Monthly) return BuildPeriods(kind, ctx, false);
  return BuildDaily(ctx, false);
}

TrafficPair CurrentShownTotals(const ReportTable& table, const TrafficPair& live) {
  if (table.kind == ReportKind::Weekly || table.kind == ReportKind::Monthly) return Sum(table.logged, live);
  return live;
}

unsigned RefreshCurrentRow(ReportTable* table, const TrafficPair& live) {
  int index = table->CurrentRowIndex();
  if (index < 0) return 0;
  TrafficPair shown = CurrentShownTotals(*table, live);
  std::array<std::wstring, 3> cells = MakeByteCells(shown.down, shown.up, table->byteUnits);
  ReportRow& row = table->rows[static_cast<size_t>(index)];
  unsigned changed = 0;
  for (int i = 0; i < 3; ++i) {
    std::wstring& cell = row.cells[kColumnDown + i];
    if (cell != cells[i]) {
      cell = std::move(cells[i]);
      changed |= 1u << i;
    }
  }
  return changed;
}

std::wstring SelectionLine(const std::vector<RowTotals>& selected, const TrafficPair& currentShown, bool byteUnits) {
  if (selected.empty()) return L"Selected: 0";
  TrafficPair sum;
  for (const RowTotals& r : selected) {
    if (r.current) {
      AddTo(&sum, currentShown.down, currentShown.up);
    } else {
      AddTo(&sum, r.down, r.up);
    }
  }
  std::array<std::wstring, 3> cells = MakeByteCells(sum.down, sum.up, byteUnits);
  return L"Selected: " + std::to_wstring(selected.size()) + L"   Down: " + cells[0] + L"   Up: " + cells[1] +
         L"   Both: " + cells[2];
}

std::wstring SelectionTotals(const ReportTable& table, const std::vector<size_t>& selectedRows,
                             const TrafficPair& live) {
  std::vector<RowTotals> selected;
  for (size_t i : selectedRows) {
    if (i >= table.rows.size()) continue;
    const ReportRow& row = table.rows[i];
    selected.push_back(RowTotals{row.current, row.down, row.up});
  }
  return SelectionLine(selected, CurrentShownTotals(table, live), table.byteUnits);
}

SummaryTotals ClearedSummary(const Date& today) {
  SummaryTotals t;
  t.range = Period{today, today};
  return t;
}

SummaryTotals BuildSummary(const ReportContext& ctx) {
  SummaryTotals t = ClearedSummary(ctx.today);
  if (!ctx.log) return t;
  Period week = WeekPeriod(ctx.today, ctx.todayDayOfWeek, ctx.weekStart);
  Period month = MonthPeriod(ctx.today, ctx.monthStart);
  bool lastDays = ctx.lastDays > 1;
  Period window{LastDaysStart(ctx.today, ctx.lastDays), ctx.today};
  LogRecordScanner scanner(*ctx.log);
  TrafficLogRecord r;
  while (scanner.NextFor(ctx.kind, ctx.id, &r)) {
    Date d = r.date();
    if (d == ctx.today) continue;
    int64_t down = static_cast<int64_t>(r.down), up = static_cast<int64_t>(r.up);
    AddTo(&t.total, down, up);
    if (d.year == ctx.today.year) AddTo(&t.thisYear, down, up);
    if (InPeriod(d, month)) AddTo(&t.thisMonth, down, up);
    if (InPeriod(d, week)) AddTo(&t.thisWeek, down, up);
    if (lastDays && InPeriod(d, window)) AddTo(&t.lastDays, down, up);
    Widen(&t.range, Period{d, d});
  }
  return t;
}

void RecomputeLastDays(const ReportContext& ctx, SummaryTotals* totals) {
  if (ctx.lastDays <= 0) return;
  totals->lastDays = TrafficPair{};
  if (ctx.lastDays == 1 || !ctx.log) return;
  Period window{LastDaysStart(ctx.today, ctx.lastDays), ctx.today};
  LogRecordScanner scanner(*ctx.log);
  TrafficLogRecord r;
  while (scanner.NextFor(ctx.kind, ctx.id, &r)) {
    Date d = r.date();
    if (d == ctx.today || !InPeriod(d, window)) continue;
    AddTo(&totals->lastDays, static_cast<int64_t>(r.down), static_cast<int64_t>(r.up));
  }
}

SummaryCells MakeSummaryCells(const SummaryTotals& totals, const TrafficPair& live, int n, bool byteUnits) {
  SummaryCells cells;
  auto fill = [&](int row, const TrafficPair& logged) {
    TrafficPair shown = Sum(logged, live);
    cells[static_cast<size_t>(row)] = MakeByteCells(shown.down, shown.up, byteUnits);
  };
  fill(kSummaryToday, TrafficPair{});
  fill(kSummaryWeek, totals.thisWeek);
  fill(kSummaryMonth, totals.thisMonth);
  fill(kSummaryYear, totals.thisYear);
  if (n > 0) fill(kSummaryLastDays, n > 1 ? totals.lastDays : TrafficPair{});
  fill(kSummaryTotal, totals.total);
  return cells;
}

}  // namespace vantrel
