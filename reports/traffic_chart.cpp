#include "reports/traffic_chart.h"

#include <algorithm>
#include <array>
#include <climits>
#include <limits>

#include "engine/formatters.h"
#include "notify/notification.h"
#include "trafficlog/log_format.h"

namespace vantrel {

namespace {

constexpr int kDayBars = 31;
constexpr int kWeekBars = 26;
constexpr int kMonthBars = 24;

// Signed 64-bit addition that wraps instead of overflowing (a damaged log may hold any count),
// as the report tables add.
int64_t Add(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }
TrafficPair Sum(const TrafficPair& a, const TrafficPair& b) {
  return TrafficPair{Add(a.down, b.down), Add(a.up, b.up)};
}

// Days since a fixed day in the program's calendar (every fourth year a leap year).
int64_t DayNumber(const Date& d) {
  int64_t y = d.year;
  int64_t n = y * 365 + (y + 3) / 4 + d.day;
  for (int m = 1; m < d.month && m <= 12; ++m) n += MonthLength(static_cast<int>(y), m);
  return n;
}

// The periods of the bars, oldest first, the last one holding today.
std::vector<Period> BarPeriods(ChartRange range, const ReportContext& ctx) {
  std::vector<Period> periods;
  switch (range) {
    case ChartRange::Days:
      for (int back = kDayBars - 1; back >= 0; --back) {
        Date d = AddDays(ctx.today, -back);
        periods.push_back(Period{d, d});
      }
      break;
    case ChartRange::Weeks: {
      Period current = WeekPeriod(ctx.today, ctx.todayDayOfWeek, ctx.weekStart);
      for (int back = kWeekBars - 1; back >= 0; --back) {
        Date first = AddDays(current.first, -7 * back);
        periods.push_back(Period{first, AddDays(first, 6)});
      }
      break;
    }
    case ChartRange::Months: {
      Period p = MonthPeriod(ctx.today, ctx.monthStart);
      periods.push_back(p);
      for (int i = 1; i < kMonthBars; ++i) {
        // The month before ends the day before this one began, whatever the month-start
        // day's corrections did to either end.
        Date last = AddDays(p.first, -1);
        p = MonthPeriod(last, ctx.monthStart);
        p.last = last;
        if (CompareDates(p.first, p.last) > 0) p.first = p.last;
        periods.push_back(p);
      }
      std::reverse(periods.begin(), periods.end());
      break;
    }
  }
  return periods;
}

// The bar whose period holds d (periods ascending and apart), or -1.
int BarOf(const std::vector<ChartBar>& bars, const Date& d) {
  auto it = std::lower_bound(bars.begin(), bars.end(), d,
                             [](const ChartBar& b, const Date& day) { return CompareDates(b.period.last, day) < 0; });
  if (it == bars.end() || CompareDates(d, it->period.first) < 0) return -1;
  return static_cast<int>(it - bars.begin());
}

bool RuleOnAdapter(const NotificationRule& rule, const ReportContext& ctx) {
  if (rule.kind < 0 || static_cast<uint32_t>(rule.kind) != ctx.kind) return false;
  return ctx.kind == kKindAllConnections || ctx.kind == kKindDialUp || rule.id == ctx.id;
}

// Everything but the log's figures.
ChartData EmptyChart(const ReportContext& ctx, ChartRange range, const NotificationRule* rule) {
  ChartData chart;
  chart.range = range;
  chart.today = ctx.today;
  chart.dateFormat = ctx.dateFormat;
  chart.byteUnits = ctx.byteUnits;
  for (const Period& p : BarPeriods(range, ctx)) chart.bars.push_back(ChartBar{p, {}, {}});
  if (rule && RuleOnAdapter(*rule, ctx)) {
    const bool week = rule->period == 0, month = rule->period == 1;
    if ((week && range == ChartRange::Weeks) || (month && range == ChartRange::Months)) {
      chart.cap = ChartCap::Period;
    } else if (!week && !month && range == ChartRange::Days) {
      chart.cap = ChartCap::Window;
      chart.window = LastDaysPeriod(ctx.today, rule->days < 1 ? 1 : rule->days);
      int at = BarOf(chart.bars, chart.window.first);
      chart.bandFirst = at < 0 ? 0 : static_cast<size_t>(at);
    }
    if (chart.cap != ChartCap::None) {
      chart.threshold = ThresholdBytes(*rule);
      chart.direction = rule->direction;
    }
  }
  UpdateChartLive(&chart, ctx.live);
  return chart;
}

}  // namespace

ChartRange ChartRangeFromValue(uint32_t value) {
  switch (value) {
    case 1:
      return ChartRange::Weeks;
    case 2:
      return ChartRange::Months;
    default:
      return ChartRange::Days;
  }
}

int ChartBarCount(ChartRange range) {
  switch (range) {
    case ChartRange::Weeks:
      return kWeekBars;
    case ChartRange::Months:
      return kMonthBars;
    default:
      return kDayBars;
  }
}

ChartData BuildChart(const ReportContext& ctx, ChartRange range, const NotificationRule* rule) {
  ChartData chart = EmptyChart(ctx, range, rule);
  if (!ctx.log) return chart;
  LogRecordScanner scanner(*ctx.log);
  TrafficLogRecord r;
  while (scanner.NextFor(ctx.kind, ctx.id, &r)) {
    Date d = r.date();
    if (d == ctx.today) continue;  // the live totals stand in for today's record
    TrafficPair bytes{static_cast<int64_t>(r.down), static_cast<int64_t>(r.up)};
    if (chart.cap == ChartCap::Window && InPeriod(d, chart.window)) chart.windowLogged = Sum(chart.windowLogged, bytes);
    int at = BarOf(chart.bars, d);
    if (at >= 0) chart.bars[static_cast<size_t>(at)].logged = Sum(chart.bars[static_cast<size_t>(at)].logged, bytes);
  }
  for (ChartBar& bar : chart.bars) bar.shown = bar.logged;
  UpdateChartLive(&chart, ctx.live);
  return chart;
}

ChartData ClearedChart(const ReportContext& ctx, ChartRange range, const NotificationRule* rule) {
  return EmptyChart(ctx, range, rule);
}

bool UpdateChartLive(ChartData* chart, const TrafficPair& live) {
  chart->live = live;
  if (chart->bars.empty()) return false;
  ChartBar& current = chart->bars.back();
  TrafficPair shown = Sum(current.logged, live);
  if (shown == current.shown) return false;
  current.shown = shown;
  return true;
}

uint64_t DirectionBytes(const TrafficPair& pair, int direction) {
  const uint64_t down = static_cast<uint64_t>(pair.down), up = static_cast<uint64_t>(pair.up);
  if (direction == 0) return down;
  if (direction == 1) return up;
  return down + up;
}

int64_t PeriodDays(const Period& p) {
  int64_t days = DayNumber(p.last) - DayNumber(p.first) + 1;
  return days < 1 ? 1 : days;
}

uint64_t ProjectedTotal(uint64_t soFar, int64_t daysElapsed, int64_t periodDays) {
  if (daysElapsed < 1 || periodDays <= daysElapsed) return soFar;
  const uint64_t e = static_cast<uint64_t>(daysElapsed), n = static_cast<uint64_t>(periodDays);
  const uint64_t whole = soFar / e, rest = soFar % e;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  if (whole > kMax / n) return kMax;
  const uint64_t projected = whole * n, part = rest * n / e;  // rest < e and n are day counts
  return projected > kMax - part ? kMax : projected + part;
}

uint64_t DailyAllowance(uint64_t threshold, uint64_t used, int64_t daysLeft) {
  if (used >= threshold) return 0;
  return (threshold - used) / static_cast<uint64_t>(daysLeft < 1 ? 1 : daysLeft);
}

ChartOutlook ChartOutlookOf(const ChartData& chart) {
  ChartOutlook o;
  if (chart.bars.empty()) return o;
  const ChartBar& current = chart.bars.back();
  o.capped = chart.cap != ChartCap::None;
  const int direction = o.capped ? chart.direction : 2;
  if (chart.cap == ChartCap::Window) {
    o.period = chart.window;
    o.used = DirectionBytes(Sum(chart.windowLogged, chart.live), direction);
  } else {
    o.period = current.period;
    o.used = DirectionBytes(current.shown, direction);
    o.outline = true;
  }
  const int64_t days = PeriodDays(o.period);
  const int64_t elapsed = std::min(days, PeriodDays(Period{o.period.first, chart.today}));
  o.projected = ProjectedTotal(o.used, elapsed, days);
  if (o.capped) {
    o.threshold = chart.threshold;
    if (o.threshold == 0) {
      o.percent = o.used > 0 ? 100 : 0;
    } else {
      long double share = static_cast<long double>(o.used) * 100.0L / static_cast<long double>(o.threshold);
      o.percent = share >= static_cast<long double>(INT_MAX) ? INT_MAX : static_cast<int>(share);
    }
    o.perDay = DailyAllowance(o.threshold, o.used, days - elapsed + 1);
  }
  return o;
}

std::wstring ChartOutlookLine(const ChartOutlook& o, bool byteUnits, uint32_t dateFormat) {
  auto bytes = [&](uint64_t n) {
    return FormatByteCount(n > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(n), byteUnits);
  };
  std::wstring by = FormatDate(o.period.last.year, o.period.last.month, o.period.last.day, dateFormat);
  if (!o.capped) {
    // A day's pace is the day itself: nothing to add.
    if (PeriodDays(o.period) == 1) return L"Used " + bytes(o.used) + L".";
    return L"Used " + bytes(o.used) + L". At this pace: " + bytes(o.projected) + L" by " + by + L".";
  }
  return L"Used " + bytes(o.used) + L" of " + bytes(o.threshold) + L" (" + std::to_wstring(o.percent) +
         L"%). At this pace: " + bytes(o.projected) + L" by " + by + L". To stay under it: " + bytes(o.perDay) +
         L" a day.";
}

namespace {

// Whether FormatByteCount prints n without rounding: the count is a whole number of the
// smallest step its unit shows (a tenth of a KB, a hundredth of an MB, ...).
bool PrintsExactly(int64_t n, bool byteUnits) {
  if (n < 0) return false;
  if (byteUnits) {
    if (n < 1000) return true;
    if (n < 1024000) return n % 512 == 0;              // "%.1f KB": 1024 / 10 = 512 / 5
    if (n < 1048576000) return n % 262144 == 0;        // "%.2f MB": 2^20 / 100 = 2^18 / 25
    if (n < 1073741824000) return n % 268435456 == 0;  // "%.2f GB"
    return n % 274877906944 == 0;                      // "%.2f TB"
  }
  if (n > INT64_MAX / 8) return false;
  const int64_t b = 8 * n;
  if (b < 1000) return true;
  if (b < 1000000) return b % 100 == 0;
  if (b < 1000000000) return b % 10000 == 0;
  if (b < 1000000000000) return b % 10000000 == 0;
  return b % 10000000000 == 0;
}

std::vector<int64_t> StepCandidates(bool byteUnits) {
  std::vector<int64_t> steps;
  if (byteUnits) {
    static const int64_t kMantissas[] = {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 256, 500, 512};
    for (int64_t unit = 1; unit <= (int64_t{1} << 40); unit <<= 10)
      for (int64_t m : kMantissas) steps.push_back(m * unit);
    for (int64_t m = 1000; m <= 1000000; m *= 10)
      for (int64_t k : {1, 2, 5}) steps.push_back(k * m * (int64_t{1} << 40));
  } else {
    // Below 1 kb whole bytes (8, 16, 40, ... bits); from there 1-2-5 multiples of bits.
    for (int64_t b : {1, 2, 5, 10, 25, 50, 100}) steps.push_back(b);
    for (int64_t bits = 1000; bits <= INT64_MAX / 10; bits *= 10)
      for (int64_t k : {1, 2, 5}) steps.push_back(k * bits / 8);
  }
  std::sort(steps.begin(), steps.end());
  return steps;
}

}  // namespace

ChartAxis ChooseChartAxis(uint64_t largest, int maxSteps, bool byteUnits) {
  constexpr uint64_t kFloor = 1000;  // an idle adapter still gets a readable axis
  constexpr uint64_t kCeiling = static_cast<uint64_t>(INT64_MAX) / 16;
  const int64_t need = static_cast<int64_t>(std::clamp(largest, kFloor, kCeiling));
  if (maxSteps < 1) maxSteps = 1;
  for (int64_t step : StepCandidates(byteUnits)) {
    const int64_t steps = (need + step - 1) / step;
    if (steps > maxSteps) continue;
    bool exact = true;
    for (int64_t i = 1; i <= steps && exact; ++i) exact = PrintsExactly(i * step, byteUnits);
    if (exact) return ChartAxis{step, static_cast<int>(steps)};
  }
  return ChartAxis{need, 1};
}

uint64_t ChartLargest(const ChartData& chart, const ChartOutlook& outlook) {
  uint64_t largest = 0;
  for (const ChartBar& bar : chart.bars) largest = std::max(largest, DirectionBytes(bar.shown, 2));
  if (outlook.outline) largest = std::max(largest, outlook.projected);
  if (chart.cap == ChartCap::Period) largest = std::max(largest, chart.threshold);
  return largest;
}

std::wstring ChartBarLabel(const ChartData& chart, size_t bar) {
  if (bar >= chart.bars.size()) return {};
  const Date& d = chart.bars[bar].period.first;
  return FormatDate(d.year, d.month, d.day, chart.dateFormat);
}

std::wstring ChartBarPeriod(const ChartData& chart, size_t bar) {
  if (bar >= chart.bars.size()) return {};
  const Period& p = chart.bars[bar].period;
  std::wstring first = FormatDate(p.first.year, p.first.month, p.first.day, chart.dateFormat);
  if (chart.range == ChartRange::Days) return first;
  return first + L" -- " + FormatDate(p.last.year, p.last.month, p.last.day, chart.dateFormat);
}

std::wstring ChartBarTip(const ChartData& chart, size_t bar) {
  if (bar >= chart.bars.size()) return {};
  const TrafficPair& t = chart.bars[bar].shown;
  std::array<std::wstring, 3> cells = MakeByteCells(t.down, t.up, chart.byteUnits);
  return ChartBarPeriod(chart, bar) + L"\r\nDownloaded: " + cells[0] + L"\r\nUploaded: " + cells[1] + L"\r\nBoth: " +
         cells[2];
}

std::wstring ChartAccessibleText(const ChartData& chart) {
  std::wstring text;
  for (size_t i = 0; i < chart.bars.size(); ++i) {
    const TrafficPair& t = chart.bars[i].shown;
    std::array<std::wstring, 3> cells = MakeByteCells(t.down, t.up, chart.byteUnits);
    if (i) text += L"\r\n";
    text += ChartBarPeriod(chart, i) + L": Downloaded " + cells[0] + L", Uploaded " + cells[1] + L", Both " + cells[2];
  }
  return text;
}

}  // namespace vantrel
