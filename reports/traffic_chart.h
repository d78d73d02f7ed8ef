#pragma once
// The traffic chart of one adapter: a bar per day, week or accounting month over a recent
// stretch, summed from the traffic log in one pass with today's live totals standing in for
// today's record (as in the report tables, so a bar equals its report row); the value axis in
// round steps that the byte-count formatter prints exactly; and, against the bandwidth-usage
// rule, how much of its amount is used, where the current period is heading at today's pace
// and what each day left may still take. Plain arithmetic: the window only draws it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/report_tables.h"
#include "settings/notification_rule.h"
#include "trafficlog/periods.h"

namespace vantrel {

// The stretch shown, as stored in ReportChartRange.
enum class ChartRange { Days = 0, Weeks = 1, Months = 2 };
constexpr uint32_t kDefaultChartRange = 0;
// A stored value: 0 to 2; anything else reads as the last 31 days.
ChartRange ChartRangeFromValue(uint32_t value);
// Bars of a range: 31 days, 26 weeks (from the week start day), 24 accounting months (from
// the month start day).
int ChartBarCount(ChartRange range);

struct ChartBar {
  Period period;
  TrafficPair logged;  // the log's totals in the period, today's record left out
  TrafficPair shown;   // what the bar stands for: logged, plus the live totals on the last bar
};

// How the notification rule shows on the chart.
enum class ChartCap {
  None,    // notification off, another adapter, or a period the range does not show
  Period,  // a week rule over weeks, a month rule over months: the threshold line and projection
  Window,  // a last-D-days rule over days: its window as a band over the day bars
};

struct ChartData {
  ChartRange range = ChartRange::Days;
  std::vector<ChartBar> bars;  // oldest first; the last holds today
  Date today;
  TrafficPair live;  // today's live totals, as last given
  uint32_t dateFormat = kDefaultDateFormat;
  bool byteUnits = true;
  ChartCap cap = ChartCap::None;
  uint64_t threshold = 0;    // the rule's amount in bytes (cap only)
  int direction = 2;         // the rule's direction: 0 down, 1 up, else both (both without a rule)
  Period window;             // Window: the rule's last D days
  TrafficPair windowLogged;  // Window: the log's totals in them, today's record left out
  size_t bandFirst = 0;      // Window: the first bar inside the window
};

// The bars of `range` ending with the period that holds ctx.today, for ctx's adapter, from one
// pass over ctx.log. `rule` is the notification rule when notification is on, else null.
ChartData BuildChart(const ReportContext& ctx, ChartRange range, const NotificationRule* rule);
// The chart after the traffic log was cleared: every bar empty but the live totals.
ChartData ClearedChart(const ReportContext& ctx, ChartRange range, const NotificationRule* rule);
// Puts new live totals on the last bar; true when anything shown changed.
bool UpdateChartLive(ChartData* chart, const TrafficPair& live);

// A pair's figure in a rule direction: 0 downloaded, 1 uploaded, anything else both.
uint64_t DirectionBytes(const TrafficPair& pair, int direction);

// Days from the first to the last day of a period, both counted (1 for a reversed one).
int64_t PeriodDays(const Period& p);
// The total at the end of a period of `periodDays` days when `soFar` came in the first
// `daysElapsed` of them: soFar / daysElapsed x periodDays, rounded down, without overflow
// (saturating). At least soFar.
uint64_t ProjectedTotal(uint64_t soFar, int64_t daysElapsed, int64_t periodDays);
// What each of `daysLeft` days (today counted) may still take to stay within `threshold`,
// rounded down; 0 once it is used up.
uint64_t DailyAllowance(uint64_t threshold, uint64_t used, int64_t daysLeft);

// What the line under the chart says.
struct ChartOutlook {
  Period period;           // the current bar's period, or the rule's window
  uint64_t used = 0;       // so far, today's live totals included, in the rule's direction
  uint64_t projected = 0;  // at today's pace by period.last
  bool capped = false;
  uint64_t threshold = 0;
  int percent = 0;       // used of threshold, rounded down
  uint64_t perDay = 0;   // the daily allowance to the period's end
  bool outline = false;  // draw the projection over the current bar (not for a window)
};
ChartOutlook ChartOutlookOf(const ChartData& chart);
// "Used %s of %s (%d%%). At this pace: %s by %s. To stay under it: %s a day." with a rule;
// "Used %s. At this pace: %s by %s." without, "Used %s." for a period of one day.
std::wstring ChartOutlookLine(const ChartOutlook& outlook, bool byteUnits, uint32_t dateFormat);

// The value axis: `steps` gridlines `step` bytes apart from 0 up to Top().
struct ChartAxis {
  int64_t step = 1;
  int steps = 1;
  int64_t Top() const { return step * steps; }
};
// The finest round step that needs at most `maxSteps` steps to reach `largest` (at least 1
// KB's worth) and whose every gridline FormatByteCount prints exactly in the unit family:
// 1-2-5 multiples of B, KB, MB, ... (with 256 and 512 for the 1024-based units), or of bits.
ChartAxis ChooseChartAxis(uint64_t largest, int maxSteps, bool byteUnits);
// The largest figure the axis must hold: the tallest bar, the projection when it is drawn and
// the threshold when its line is.
uint64_t ChartLargest(const ChartData& chart, const ChartOutlook& outlook);

// Under a bar: its period's first day in the date format.
std::wstring ChartBarLabel(const ChartData& chart, size_t bar);
// A bar's period: the day, or "%s -- %s" as the weekly and monthly reports print it.
std::wstring ChartBarPeriod(const ChartData& chart, size_t bar);
// The tooltip: the period, then "Downloaded: %s", "Uploaded: %s", "Both: %s" on lines of their own.
std::wstring ChartBarTip(const ChartData& chart, size_t bar);
// The chart as text for screen readers: per bar, oldest first, a line
// "%s: Downloaded %s, Uploaded %s, Both %s".
std::wstring ChartAccessibleText(const ChartData& chart);

}  // namespace vantrel
