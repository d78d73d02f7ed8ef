#include "reports/traffic_chart.h"

#include <gtest/gtest.h>

#include "tests/unit/reports/report_fixtures.h"

namespace vantrel {
namespace {

using test::LanContext;
using test::LogDay;
using test::TestLog;

Date D(int y, int m, int d) { return Date{uint16_t(y), uint16_t(m), uint16_t(d)}; }
Period P(Date a, Date b) { return Period{a, b}; }

// Every third day from 2011-11-01 to 2013-01-10 with the leap day and the days around the
// year end always there, each day between records of other adapters.
std::vector<LogDay> YearsOfHistory() {
  std::vector<LogDay> days;
  const int64_t first = DaysFromCivil(2011, 11, 1), last = DaysFromCivil(2013, 1, 10);
  for (int64_t n = first; n <= last; ++n) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(n, &y, &m, &d);
    const bool special = (m == 2 && d == 29) || (m == 12 && d >= 30) || (m == 1 && d <= 2);
    if ((n - first) % 3 != 0 && !special) continue;
    test::AddNoise(&days, y, m, d);
    days.push_back({y, m, d, test::kLan, test::kLanId, 1000000ull + 1000ull * static_cast<uint64_t>(n - first),
                    5000ull + static_cast<uint64_t>(n - first)});
  }
  return days;
}

// Each bar equals the report row of the same period (the current row as the report shows it),
// a bar without a row is empty, and every row inside the chart's span has its bar.
void ExpectBarsAreTheReportRows(const ChartData& chart, const ReportTable& table, const TrafficPair& live) {
  ASSERT_FALSE(chart.bars.empty());
  size_t matched = 0;
  for (size_t i = 0; i < chart.bars.size(); ++i) {
    const ChartBar& bar = chart.bars[i];
    TrafficPair want;
    for (const ReportRow& row : table.rows) {
      if (row.period != bar.period) continue;
      want = row.current ? CurrentShownTotals(table, live) : TrafficPair{row.down, row.up};
      ++matched;
    }
    EXPECT_EQ(bar.shown, want) << "bar " << i;
    if (i > 0) {
      EXPECT_EQ(AddDays(chart.bars[i - 1].period.last, 1), bar.period.first) << "bar " << i;
    }
  }
  size_t inSpan = 0;
  for (const ReportRow& row : table.rows)
    inSpan += CompareDates(row.period.first, chart.bars.front().period.first) >= 0 &&
              CompareDates(row.period.last, chart.bars.back().period.last) <= 0;
  EXPECT_EQ(matched, inSpan);
  EXPECT_GT(matched, 3u);
}

TEST(TrafficChart, BarsOfEachRangeAreTheReportsRowsAcrossAYearEndALeapDayAndMonthStart31) {
  TestLog log(YearsOfHistory());
  // Thursday 2013-01-10, weeks from Monday, accounting months from the 31st.
  ReportContext ctx = LanContext(log.file(), 2013, 1, 10);
  ctx.weekStart = 1;
  ctx.monthStart = 31;

  ChartData days = BuildChart(ctx, ChartRange::Days, nullptr);
  ASSERT_EQ(days.bars.size(), 31u);
  EXPECT_EQ(days.bars.front().period, P(D(2012, 12, 11), D(2012, 12, 11)));
  EXPECT_EQ(days.bars.back().period, P(D(2013, 1, 10), D(2013, 1, 10)));
  // Today's record is never read: the live totals stand for today.
  EXPECT_EQ(days.bars.back().shown, (TrafficPair{2048, 512}));
  ExpectBarsAreTheReportRows(days, BuildDailyTable(ctx), ctx.live);

  ChartData weeks = BuildChart(ctx, ChartRange::Weeks, nullptr);
  ASSERT_EQ(weeks.bars.size(), 26u);
  EXPECT_EQ(weeks.bars.front().period, P(D(2012, 7, 16), D(2012, 7, 22)));
  EXPECT_EQ(weeks.bars[24].period, P(D(2012, 12, 31), D(2013, 1, 6)));
  EXPECT_EQ(weeks.bars.back().period, P(D(2013, 1, 7), D(2013, 1, 13)));
  ExpectBarsAreTheReportRows(weeks, BuildWeeklyTable(ctx), ctx.live);

  ChartData months = BuildChart(ctx, ChartRange::Months, nullptr);
  ASSERT_EQ(months.bars.size(), 24u);
  EXPECT_EQ(months.bars[23].period, P(D(2012, 12, 31), D(2013, 1, 30)));
  EXPECT_EQ(months.bars[22].period, P(D(2012, 12, 1), D(2012, 12, 30)));
  EXPECT_EQ(months.bars[13].period, P(D(2012, 3, 1), D(2012, 3, 30)));
  EXPECT_EQ(months.bars[12].period, P(D(2012, 1, 31), D(2012, 2, 29)));
  EXPECT_EQ(months.bars[11].period, P(D(2011, 12, 31), D(2012, 1, 30)));
  EXPECT_EQ(months.bars[0].period, P(D(2011, 1, 31), D(2011, 2, 28)));
  ExpectBarsAreTheReportRows(months, BuildMonthlyTable(ctx), ctx.live);
  EXPECT_EQ(ChartBarPeriod(months, 12), L"01/31/2012 -- 02/29/2012");
  EXPECT_EQ(ChartBarLabel(months, 12), L"01/31/2012");

  // Around the leap day, day by day.
  ReportContext march = LanContext(log.file(), 2012, 3, 10);
  ChartData leap = BuildChart(march, ChartRange::Days, nullptr);
  EXPECT_EQ(leap.bars[20].period, P(D(2012, 2, 29), D(2012, 2, 29)));
  EXPECT_EQ(ChartBarLabel(leap, 20), L"02/29/2012");
  ExpectBarsAreTheReportRows(leap, BuildDailyTable(march), march.live);

  // The current bar follows the live totals; nothing else moves.
  ChartData before = weeks;
  EXPECT_TRUE(UpdateChartLive(&weeks, TrafficPair{4096, 1024}));
  EXPECT_FALSE(UpdateChartLive(&weeks, TrafficPair{4096, 1024}));
  EXPECT_EQ(weeks.bars.back().shown.down, before.bars.back().shown.down + 2048);
  EXPECT_EQ(weeks.bars[24].shown, before.bars[24].shown);
  // Cleared: only the live totals are left.
  ChartData cleared = ClearedChart(ctx, ChartRange::Months, nullptr);
  for (size_t i = 0; i + 1 < cleared.bars.size(); ++i) EXPECT_EQ(cleared.bars[i].shown, TrafficPair{});
  EXPECT_EQ(cleared.bars.back().shown, ctx.live);
}

TEST(TrafficChart, BarTextsGiveThePeriodAndTheThreeFigures) {
  TestLog log(test::WeeksWithGapLog());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 10);
  ChartData weeks = BuildChart(ctx, ChartRange::Weeks, nullptr);
  EXPECT_EQ(ChartBarTip(weeks, 25),
            L"03/07/2010 -- 03/13/2010\r\nDownloaded: 12.0 KB\r\nUploaded: 5.5 KB\r\nBoth: 17.5 KB");
  ChartData days = BuildChart(ctx, ChartRange::Days, nullptr);
  std::wstring text = ChartAccessibleText(days);
  EXPECT_EQ(text.substr(0, text.find(L"\r\n")), L"02/08/2010: Downloaded 0 B, Uploaded 0 B, Both 0 B");
  EXPECT_NE(text.find(L"\r\n02/16/2010: Downloaded 3.00 MB, Uploaded 0 B, Both 3.00 MB\r\n"), std::wstring::npos);
  EXPECT_EQ(text.substr(text.rfind(L"\r\n") + 2), L"03/10/2010: Downloaded 2.0 KB, Uploaded 512 B, Both 2.5 KB");
}

std::vector<std::wstring> Gridlines(const ChartAxis& axis, bool byteUnits) {
  std::vector<std::wstring> labels;
  for (int i = 1; i <= axis.steps; ++i) labels.push_back(FormatByteCount(axis.step * i, byteUnits));
  return labels;
}

TEST(ChartAxis, TakesTheFinestRoundStepThatFitsAndPrintsEveryGridlineExactly) {
  using L = std::vector<std::wstring>;
  // An idle adapter still gets a readable axis; 1000 B would print as a rounded 1.0 KB.
  EXPECT_EQ(Gridlines(ChooseChartAxis(0, 5, true), true), (L{L"256 B", L"512 B", L"768 B", L"1.0 KB"}));
  EXPECT_EQ(Gridlines(ChooseChartAxis(0, 5, false), false), (L{L"2.0 kb", L"4.0 kb", L"6.0 kb", L"8.0 kb"}));
  // 200 KB steps would end on 1000 KB, printed as 0.98 MB.
  EXPECT_EQ(Gridlines(ChooseChartAxis(900 * 1024, 5, true), true),
            (L{L"256.0 KB", L"512.0 KB", L"768.0 KB", L"1.00 MB"}));
  EXPECT_EQ(Gridlines(ChooseChartAxis(3221225473ull, 8, true), true),
            (L{L"512.00 MB", L"1.00 GB", L"1.50 GB", L"2.00 GB", L"2.50 GB", L"3.00 GB", L"3.50 GB"}));
  EXPECT_EQ(Gridlines(ChooseChartAxis(1000000, 5, false), false), (L{L"2.00 mb", L"4.00 mb", L"6.00 mb", L"8.00 mb"}));
  EXPECT_EQ(Gridlines(ChooseChartAxis(3000, 1, true), true), (L{L"5.0 KB"}));
  EXPECT_EQ(Gridlines(ChooseChartAxis(5ull << 40, 4, true), true), (L{L"2.00 TB", L"4.00 TB", L"6.00 TB"}));
  // The axis always reaches the largest figure.
  for (uint64_t largest : {999ull, 1025ull, 123456789ull, 77777777777ull})
    for (int steps : {1, 3, 6, 10})
      for (bool bytes : {true, false}) {
        ChartAxis axis = ChooseChartAxis(largest, steps, bytes);
        EXPECT_GE(static_cast<uint64_t>(axis.Top()), largest);
        EXPECT_LE(axis.steps, steps);
      }
}

// A month of 31 days, 3 MB a day before today (2 MB down, 1 MB up), today 2 MB down and 1 MB up.
std::vector<LogDay> ThreeMegabytesADay(int lastDay) {
  std::vector<LogDay> days;
  days.push_back({2010, 2, 28, test::kLan, test::kLanId, 50u << 20, 50u << 20});  // the month before
  for (int d = 1; d <= lastDay; ++d) days.push_back({2010, 3, d, test::kLan, test::kLanId, 2u << 20, 1u << 20});
  return days;
}

NotificationRule MonthRule(const wchar_t* megabytes, int direction) {
  NotificationRule rule;
  rule.kind = static_cast<int32_t>(test::kLan);
  rule.id = test::kLanId;
  rule.number = megabytes;
  rule.unit = 2;
  rule.direction = direction;
  rule.period = 1;
  return rule;
}

std::wstring OutlookLine(const ChartData& chart) {
  return ChartOutlookLine(ChartOutlookOf(chart), chart.byteUnits, chart.dateFormat);
}

TEST(ChartOutlook, ProjectsTheMonthAndSpreadsWhatIsLeftOnItsFirstMiddleAndLastDay) {
  const NotificationRule rule = MonthRule(L"100", 2);
  struct Case {
    int today;
    const wchar_t* line;
  } cases[] = {
      {1, L"Used 3.00 MB of 100.00 MB (3%). At this pace: 93.00 MB by 03/31/2010. To stay under it: 3.13 MB a day."},
      {16, L"Used 48.00 MB of 100.00 MB (48%). At this pace: 93.00 MB by 03/31/2010. To stay under it: 3.25 MB a day."},
      {31, L"Used 93.00 MB of 100.00 MB (93%). At this pace: 93.00 MB by 03/31/2010. To stay under it: 7.00 MB a day."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.today);
    TestLog log(ThreeMegabytesADay(c.today));
    ReportContext ctx = LanContext(log.file(), 2010, 3, c.today);
    ctx.live = TrafficPair{2 << 20, 1 << 20};
    ChartData chart = BuildChart(ctx, ChartRange::Months, &rule);
    EXPECT_EQ(chart.cap, ChartCap::Period);
    EXPECT_EQ(OutlookLine(chart), c.line);
    // The axis holds the threshold's line.
    EXPECT_GE(ChooseChartAxis(ChartLargest(chart, ChartOutlookOf(chart)), 5, true).Top(), 100 << 20);
  }
  // Only the rule's direction counts; past the amount nothing is left for a day.
  TestLog log(ThreeMegabytesADay(16));
  ReportContext ctx = LanContext(log.file(), 2010, 3, 16);
  ctx.live = TrafficPair{2 << 20, 1 << 20};
  const NotificationRule down = MonthRule(L"20", 0);
  EXPECT_EQ(OutlookLine(BuildChart(ctx, ChartRange::Months, &down)),
            L"Used 32.00 MB of 20.00 MB (160%). At this pace: 62.00 MB by 03/31/2010. To stay under it: 0 B a day.");
  EXPECT_EQ(ProjectedTotal(UINT64_MAX / 2, 1, 31), UINT64_MAX);
  EXPECT_EQ(ProjectedTotal(10, 3, 7), 23u);
}

TEST(ChartOutlook, ShowsTheRuleOnlyForItsAdapterAndItsKindOfPeriod) {
  TestLog log(test::WeeksWithGapLog());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 10);  // Wednesday; weeks from Sunday
  // Without a rule: the current week's total and where it is heading.
  ChartData plain = BuildChart(ctx, ChartRange::Weeks, nullptr);
  EXPECT_EQ(plain.cap, ChartCap::None);
  EXPECT_EQ(OutlookLine(plain), L"Used 17.5 KB. At this pace: 30.6 KB by 03/13/2010.");

  NotificationRule week = MonthRule(L"1", 2);
  week.period = 0;
  NotificationRule other = week;
  other.id = "LAN2";
  // Another adapter, or a week rule over months: as without a rule.
  EXPECT_EQ(OutlookLine(BuildChart(ctx, ChartRange::Weeks, &other)), OutlookLine(plain));
  EXPECT_EQ(BuildChart(ctx, ChartRange::Months, &week).cap, ChartCap::None);
  EXPECT_EQ(OutlookLine(BuildChart(ctx, ChartRange::Weeks, &week)),
            L"Used 17.5 KB of 1.00 MB (1%). At this pace: 30.6 KB by 03/13/2010. To stay under it: 251.6 KB a day.");
  // All Connections is one adapter whatever identifier the rule holds.
  NotificationRule all = week;
  all.kind = static_cast<int32_t>(kKindAllConnections);
  ReportContext allCtx = ctx;
  allCtx.kind = kKindAllConnections;
  allCtx.id.clear();
  EXPECT_EQ(BuildChart(allCtx, ChartRange::Weeks, &all).cap, ChartCap::Period);

  // The last D days: a band over their bars in the days range, and their total, the log's
  // days beyond the bars included.
  NotificationRule lastDays = MonthRule(L"5", 1);
  lastDays.period = 2;
  lastDays.days = 10;
  ChartData band = BuildChart(ctx, ChartRange::Days, &lastDays);
  EXPECT_EQ(band.cap, ChartCap::Window);
  EXPECT_EQ(band.bandFirst, 21u);
  EXPECT_EQ(band.window, P(D(2010, 3, 1), D(2010, 3, 10)));
  EXPECT_EQ(OutlookLine(band),
            L"Used 5.5 KB of 5.00 MB (0%). At this pace: 5.5 KB by 03/10/2010. To stay under it: 4.99 MB a day.");
  lastDays.days = 70;
  band = BuildChart(ctx, ChartRange::Days, &lastDays);
  EXPECT_EQ(band.bandFirst, 0u);
  EXPECT_EQ(ChartOutlookOf(band).used, 100u + 200u + 1024u + 5120u + 512u);
  EXPECT_EQ(BuildChart(ctx, ChartRange::Weeks, &lastDays).cap, ChartCap::None);
  // Without a rule a day's pace is the day itself, and there is no outline over a day bar.
  EXPECT_EQ(OutlookLine(BuildChart(ctx, ChartRange::Days, nullptr)), L"Used 2.5 KB.");
  EXPECT_TRUE(ChartOutlookOf(plain).outline);
  EXPECT_FALSE(ChartOutlookOf(band).outline);
}

TEST(ChartRange, StoredValuesOutsideTheRangesReadAsTheLast31Days) {
  EXPECT_EQ(ChartRangeFromValue(1), ChartRange::Weeks);
  EXPECT_EQ(ChartRangeFromValue(2), ChartRange::Months);
  for (uint32_t v : {0u, 3u, 0xFFFFFFFFu}) EXPECT_EQ(ChartRangeFromValue(v), ChartRange::Days);
}

}  // namespace
}  // namespace vantrel
