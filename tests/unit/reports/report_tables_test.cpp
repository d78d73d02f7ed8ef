#include "reports/report_tables.h"

#include <gtest/gtest.h>

#include "tests/unit/reports/report_fixtures.h"

namespace vantrel {
namespace {

using test::LanContext;
using test::LogDay;
using test::TestLog;

Date D(int y, int m, int d) { return Date{uint16_t(y), uint16_t(m), uint16_t(d)}; }
Period P(Date a, Date b) { return Period{a, b}; }

// The five cells and the current flag of a row, for compact expectations.
struct RowView {
  std::wstring c0, c1, down, up, both;
  bool current;
};

void ExpectRows(const ReportTable& t, const std::vector<RowView>& want) {
  ASSERT_EQ(t.rows.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const ReportRow& r = t.rows[i];
    EXPECT_EQ(r.cells[0], want[i].c0);
    EXPECT_EQ(r.cells[1], want[i].c1);
    EXPECT_EQ(r.cells[2], want[i].down);
    EXPECT_EQ(r.cells[3], want[i].up);
    EXPECT_EQ(r.cells[4], want[i].both);
    EXPECT_EQ(r.current, want[i].current);
  }
}

TEST(DailyTable, AnEmptyOrMissingLogGivesOnlyTodaysRowWithTheLiveTotals) {
  TestLog log({});
  for (IFile* f : {log.file(), static_cast<IFile*>(nullptr)}) {
    ReportTable t = BuildDailyTable(LanContext(f, 2010, 3, 7));
    ExpectRows(t, {{L"03/07/2010", L"Sunday", L"2.0 KB", L"512 B", L"2.5 KB", true}});
    EXPECT_EQ(t.range, P(D(2010, 3, 7), D(2010, 3, 7)));
    EXPECT_EQ(t.CurrentRowIndex(), 0);
  }
}

TEST(DailyTable, ListsTheAdaptersDaysNewestFirstAndShowsTodayOnceWithLiveTotals) {
  TestLog log(test::WeeksWithGapLog());
  ReportTable t = BuildDailyTable(LanContext(log.file(), 2010, 3, 10));
  ExpectRows(t, {
                    {L"03/10/2010", L"Wednesday", L"2.0 KB", L"512 B", L"2.5 KB", true},
                    {L"03/08/2010", L"Monday", L"10.0 KB", L"5.0 KB", L"15.0 KB", false},
                    {L"02/16/2010", L"Tuesday", L"3.00 MB", L"0 B", L"3.00 MB", false},
                    {L"01/12/2010", L"Tuesday", L"4.0 KB", L"1.0 KB", L"5.0 KB", false},
                    {L"01/05/2010", L"Tuesday", L"2.0 KB", L"200 B", L"2.1 KB", false},
                    {L"01/04/2010", L"Monday", L"1.0 KB", L"100 B", L"1.1 KB", false},
                });
  EXPECT_EQ(t.range, P(D(2010, 1, 4), D(2010, 3, 10)));
  // The stored counts of an ordinary row are the log's.
  EXPECT_EQ(t.rows[1].down, 10240);
  EXPECT_EQ(t.rows[1].up, 5120);
}

TEST(DailyTable, UsesTheDateFormatForItsDateCells) {
  TestLog log(test::WeeksWithGapLog());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 10);
  ctx.dateFormat = 102;
  ReportTable t = BuildDailyTable(ctx);
  EXPECT_EQ(t.rows[0].cells[0], L"10.03.2010");
  EXPECT_EQ(t.rows.back().cells[0], L"04.01.2010");
}

TEST(DailyTable, CountsRecordsOfThePseudoAdaptersByKindAlone) {
  std::vector<LogDay> days = {{2010, 3, 1, kKindAllConnections, "whatever", 100, 1},
                              {2010, 3, 1, kKindDialUp, "", 200, 2},
                              {2010, 3, 2, kKindAllConnections, "", 300, 3}};
  TestLog log(days);
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.kind = kKindAllConnections;
  ctx.id = "";
  ReportTable t = BuildDailyTable(ctx);
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_EQ(t.rows[1].down, 300);
  EXPECT_EQ(t.rows[2].down, 100);
}

TEST(DailyTable, DayNamesOfDamagedRecordsNeverLeaveTheWeek) {
  std::vector<LogDay> days = {{2010, 3, 1, test::kLan, test::kLanId, 1, 1, 9},
                              {2010, 3, 2, test::kLan, test::kLanId, 1, 1, 65535},
                              {2010, 13, 40, test::kLan, test::kLanId, 1, 1, 7},
                              {2010, 3, 4, test::kLan, test::kLanId, 1, 1, 4}};
  TestLog log(days);
  ReportTable t = BuildDailyTable(LanContext(log.file(), 2010, 3, 7));
  ASSERT_EQ(t.rows.size(), 5u);
  EXPECT_EQ(t.rows[1].cells[1], L"Thursday");
  EXPECT_EQ(t.rows[2].cells[1], L"");          // no such date either
  EXPECT_EQ(t.rows[3].cells[1], L"Tuesday");   // from the date itself
  EXPECT_EQ(t.rows[4].cells[1], L"Monday");
  EXPECT_EQ(DayName(-1), std::wstring());
  EXPECT_EQ(DayName(7), std::wstring());
  EXPECT_EQ(DayName(6), std::wstring(L"Saturday"));
}

TEST(DailyTable, IgnoresAPartialRecordAtTheEndOfTheLog) {
  TestLog log({{2010, 3, 1, test::kLan, test::kLanId, 1024, 0}}, std::string(200, '\x55'));
  ReportTable t = BuildDailyTable(LanContext(log.file(), 2010, 3, 7));
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[1].cells[2], L"1.0 KB");
}

TEST(WeeklyTable, GroupsDaysIntoWeeksAndSkipsEmptyWeeks) {
  TestLog log(test::WeeksWithGapLog());
  ReportTable t = BuildWeeklyTable(LanContext(log.file(), 2010, 3, 10));
  ExpectRows(t, {
                    {L"11", L"03/07/2010 -- 03/13/2010", L"12.0 KB", L"5.5 KB", L"17.5 KB", true},
                    {L"8", L"02/14/2010 -- 02/20/2010", L"3.00 MB", L"0 B", L"3.00 MB", false},
                    {L"3", L"01/10/2010 -- 01/16/2010", L"4.0 KB", L"1.0 KB", L"5.0 KB", false},
                    {L"2", L"01/03/2010 -- 01/09/2010", L"2.9 KB", L"300 B", L"3.2 KB", false},
                });
  EXPECT_EQ(t.current, P(D(2010, 3, 7), D(2010, 3, 13)));
  EXPECT_EQ(t.logged, (TrafficPair{10240, 5120}));
  // All logged days lie before today: the range still ends with the current week.
  EXPECT_EQ(t.range, P(D(2010, 1, 3), D(2010, 3, 13)));
}

TEST(WeeklyTable, TwoWeeksWithAGapGiveTwoRowsPlusTheCurrentWeek) {
  std::vector<LogDay> days = {{2010, 1, 4, test::kLan, test::kLanId, 1, 1},
                              {2010, 1, 6, test::kLan, test::kLanId, 1, 1},
                              {2010, 2, 1, test::kLan, test::kLanId, 1, 1},
                              {2010, 2, 2, test::kLan, test::kLanId, 1, 1}};
  TestLog log(days);
  ReportTable t = BuildWeeklyTable(LanContext(log.file(), 2010, 3, 10));
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_TRUE(t.rows[0].current);
  EXPECT_EQ(t.rows[0].cells[2], L"2.0 KB");  // live alone: nothing logged this week
  EXPECT_EQ(t.logged, TrafficPair{});
  EXPECT_EQ(t.rows[1].period, P(D(2010, 1, 31), D(2010, 2, 6)));
  EXPECT_EQ(t.rows[1].down, 2);
  EXPECT_EQ(t.rows[2].period, P(D(2010, 1, 3), D(2010, 1, 9)));
}

TEST(WeeklyTable, FollowsTheWeekStartDay) {
  TestLog log(test::WeeksWithGapLog());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 10);
  ctx.weekStart = 1;  // Monday
  ReportTable t = BuildWeeklyTable(ctx);
  EXPECT_EQ(t.current, P(D(2010, 3, 8), D(2010, 3, 14)));
  EXPECT_EQ(t.rows[0].cells[1], L"03/08/2010 -- 03/14/2010");
  EXPECT_EQ(t.logged, (TrafficPair{10240, 5120}));
  ASSERT_EQ(t.rows.size(), 4u);
  EXPECT_EQ(t.rows[3].period, P(D(2010, 1, 4), D(2010, 1, 10)));
}

TEST(WeeklyTable, ARecordOutsideTheOpenWeekAlwaysClosesIt) {
  // Out of order: the week of Jan 4 is interrupted by a day of another week.
  std::vector<LogDay> days = {{2010, 1, 4, test::kLan, test::kLanId, 1, 0},
                              {2010, 1, 12, test::kLan, test::kLanId, 2, 0},
                              {2010, 1, 5, test::kLan, test::kLanId, 4, 0}};
  TestLog log(days);
  ReportTable t = BuildWeeklyTable(LanContext(log.file(), 2010, 3, 10));
  ASSERT_EQ(t.rows.size(), 4u);
  EXPECT_EQ(t.rows[1].down, 4);
  EXPECT_EQ(t.rows[2].down, 2);
  EXPECT_EQ(t.rows[3].down, 1);
  EXPECT_EQ(t.range, P(D(2010, 1, 3), D(2010, 3, 13)));
}

TEST(WeeklyTable, AnEmptyLogGivesTheCurrentWeekWithLoggedTotalsZero) {
  ReportTable t = BuildWeeklyTable(LanContext(nullptr, 2010, 3, 10));
  ExpectRows(t, {{L"11", L"03/07/2010 -- 03/13/2010", L"2.0 KB", L"512 B", L"2.5 KB", true}});
  EXPECT_EQ(t.logged, TrafficPair{});
  EXPECT_EQ(t.range, t.current);
}

TEST(MonthlyTable, MonthStartFifteenShiftsThePeriodsAndNumbersThemByTheirEnd) {
  TestLog log(test::MonthStart15Log());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.monthStart = 15;
  ReportTable t = BuildMonthlyTable(ctx);
  EXPECT_EQ(t.current, P(D(2010, 2, 15), D(2010, 3, 14)));
  ExpectRows(t, {
                    {L"3", L"02/15/2010 -- 03/14/2010", L"16.0 KB", L"2.5 KB", L"18.5 KB", true},
                    {L"2", L"01/15/2010 -- 02/14/2010", L"3.0 KB", L"1.0 KB", L"4.0 KB", false},
                    {L"1", L"12/15/2009 -- 01/14/2010", L"1.00 MB", L"1.00 MB", L"2.00 MB", false},
                });
  EXPECT_EQ(t.logged, (TrafficPair{14336, 2048}));
  EXPECT_EQ(t.range, P(D(2009, 12, 15), D(2010, 3, 14)));
}

TEST(MonthlyTable, CalendarMonthsWithStartDayOne) {
  TestLog log(test::WeeksWithGapLog());
  ReportTable t = BuildMonthlyTable(LanContext(log.file(), 2010, 3, 10));
  ExpectRows(t, {
                    {L"3", L"03/01/2010 -- 03/31/2010", L"12.0 KB", L"5.5 KB", L"17.5 KB", true},
                    {L"2", L"02/01/2010 -- 02/28/2010", L"3.00 MB", L"0 B", L"3.00 MB", false},
                    {L"1", L"01/01/2010 -- 01/31/2010", L"6.9 KB", L"1.3 KB", L"8.2 KB", false},
                });
}

TEST(ClearedTables, KeepOnlyTheCurrentRowWithLoggedTotalsZero) {
  TestLog log(test::WeeksWithGapLog());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 10);
  for (ReportKind kind : {ReportKind::Daily, ReportKind::Weekly, ReportKind::Monthly}) {
    ReportTable t = ClearedReportTable(kind, ctx);
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_TRUE(t.rows[0].current);
    EXPECT_EQ(t.rows[0].cells[2], L"2.0 KB");
    EXPECT_EQ(t.logged, TrafficPair{});
    EXPECT_EQ(t.range, t.current);
  }
}

TEST(RefreshCurrentRow, ReplacesOnlyTheCellsThatChanged) {
  TestLog log(test::WeeksWithGapLog());
  ReportTable daily = BuildDailyTable(LanContext(log.file(), 2010, 3, 10));
  EXPECT_EQ(RefreshCurrentRow(&daily, TrafficPair{2048, 512}), 0u);
  EXPECT_EQ(RefreshCurrentRow(&daily, TrafficPair{2048, 1024}), kCellUpChanged | kCellBothChanged);
  EXPECT_EQ(daily.rows[0].cells[3], L"1.0 KB");
  EXPECT_EQ(daily.rows[0].cells[4], L"3.0 KB");
  EXPECT_EQ(daily.rows[1].cells[2], L"10.0 KB");  // other rows untouched

  // Weekly: the logged totals of the current week plus the live totals.
  ReportTable weekly = BuildWeeklyTable(LanContext(log.file(), 2010, 3, 10));
  EXPECT_EQ(RefreshCurrentRow(&weekly, TrafficPair{10240, 512}), kCellDownChanged | kCellBothChanged);
  EXPECT_EQ(weekly.rows[0].cells[2], L"20.0 KB");
  EXPECT_EQ(CurrentShownTotals(weekly, TrafficPair{1, 2}), (TrafficPair{10241, 5122}));
}

TEST(RefreshCurrentRow, FollowsTheCurrentRowAfterItMoved) {
  ReportTable t = BuildDailyTable(LanContext(nullptr, 2010, 3, 10));
  ReportRow other;
  other.cells = {L"x", L"y", L"1 B", L"1 B", L"2 B"};
  t.rows.insert(t.rows.begin(), other);
  EXPECT_EQ(t.CurrentRowIndex(), 1);
  EXPECT_NE(RefreshCurrentRow(&t, TrafficPair{0, 0}), 0u);
  EXPECT_EQ(t.rows[1].cells[2], L"0 B");
  EXPECT_EQ(t.rows[0].cells[2], L"1 B");
}

TEST(SelectionLine, ReadsSelectedZeroWithoutASelection) {
  EXPECT_EQ(SelectionLine({}, TrafficPair{5, 5}, true), L"Selected: 0");
}

TEST(SelectionLine, TakesTheShownValueForTheCurrentRowAndStoredCountsForOthers) {
  TestLog log(test::WeeksWithGapLog());
  ReportTable weekly = BuildWeeklyTable(LanContext(log.file(), 2010, 3, 10));
  // Current week: 10240 + 2048 down, 5120 + 512 up; week 8: 3145728 down.
  EXPECT_EQ(SelectionTotals(weekly, {0, 1}, TrafficPair{2048, 512}),
            L"Selected: 2   Down: 3.01 MB   Up: 5.5 KB   Both: 3.02 MB");
  EXPECT_EQ(SelectionTotals(weekly, {2, 3}, TrafficPair{2048, 512}),
            L"Selected: 2   Down: 6.9 KB   Up: 1.3 KB   Both: 8.2 KB");
  ReportTable daily = BuildDailyTable(LanContext(log.file(), 2010, 3, 10));
  EXPECT_EQ(SelectionTotals(daily, {0}, TrafficPair{100, 200}), L"Selected: 1   Down: 100 B   Up: 200 B   Both: 300 B");
  EXPECT_EQ(SelectionTotals(daily, {}, TrafficPair{}), L"Selected: 0");
  EXPECT_EQ(SelectionLine({{false, 1000, 0}, {true, 7, 7}}, TrafficPair{24, 0}, false),
            L"Selected: 2   Down: 8.2 kb   Up: 0 b   Both: 8.2 kb");
}

TEST(Summary, AnEmptyLogMakesEveryRowEqualTheLiveTotals) {
  SummaryTotals s = BuildSummary(LanContext(nullptr, 2010, 3, 7));
  EXPECT_EQ(s.range, P(D(2010, 3, 7), D(2010, 3, 7)));
  SummaryCells c = MakeSummaryCells(s, TrafficPair{2048, 512}, 30, true);
  for (int row = 0; row < kSummaryRows; ++row) {
    EXPECT_EQ(c[row][0], L"2.0 KB");
    EXPECT_EQ(c[row][1], L"512 B");
    EXPECT_EQ(c[row][2], L"2.5 KB");
  }
  SummaryCells none = MakeSummaryCells(s, TrafficPair{2048, 512}, 0, true);
  EXPECT_EQ(none[kSummaryLastDays][0], L"");
  EXPECT_EQ(none[kSummaryLastDays][2], L"");
  EXPECT_EQ(none[kSummaryTotal][0], L"2.0 KB");
}

TEST(Summary, AccumulatesEachPeriodWithoutTodaysRecord) {
  TestLog log(test::MonthStart15Log());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.monthStart = 15;
  ctx.lastDays = 10;
  SummaryTotals s = BuildSummary(ctx);
  EXPECT_EQ(s.total, (TrafficPair{1048576 + 17408, 1048576 + 3072}));
  EXPECT_EQ(s.thisYear, (TrafficPair{17408, 3072}));
  // 2010-02-20 lies in the accounting month 2010-02-15 .. 2010-03-14.
  EXPECT_EQ(s.thisMonth, (TrafficPair{14336, 2048}));
  EXPECT_EQ(s.thisWeek, TrafficPair{});
  EXPECT_EQ(s.lastDays, (TrafficPair{10240, 0}));
  EXPECT_EQ(s.range, P(D(2009, 12, 31), D(2010, 3, 7)));
  SummaryCells c = MakeSummaryCells(s, ctx.live, 10, true);
  EXPECT_EQ(c[kSummaryMonth][0], L"16.0 KB");
  EXPECT_EQ(c[kSummaryYear][2], L"22.5 KB");
  EXPECT_EQ(c[kSummaryLastDays][0], L"12.0 KB");
  EXPECT_EQ(c[kSummaryTotal][0], L"1.02 MB");
}

TEST(Summary, OneLastDayEqualsTodayAndZeroLeavesTheCellsEmpty) {
  TestLog log(test::MonthStart15Log());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.lastDays = 1;
  SummaryTotals s = BuildSummary(ctx);
  EXPECT_EQ(s.lastDays, TrafficPair{});
  SummaryCells one = MakeSummaryCells(s, ctx.live, 1, true);
  EXPECT_EQ(one[kSummaryLastDays], one[kSummaryToday]);
  SummaryCells zero = MakeSummaryCells(s, ctx.live, 0, true);
  EXPECT_EQ(zero[kSummaryLastDays], (std::array<std::wstring, 3>{}));
  SummaryCells negative = MakeSummaryCells(s, ctx.live, -4, true);
  EXPECT_EQ(negative[kSummaryLastDays], (std::array<std::wstring, 3>{}));
}

TEST(Summary, ThisYearIsTheCalendarYearAndThisWeekFollowsTheWeekStart) {
  std::vector<LogDay> days = {{2010, 1, 1, test::kLan, test::kLanId, 1, 0},
                              {2010, 3, 1, test::kLan, test::kLanId, 2, 0},
                              {2010, 3, 6, test::kLan, test::kLanId, 4, 0},
                              {2010, 3, 8, test::kLan, test::kLanId, 8, 0}};  // after today
  TestLog log(days);
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.weekStart = 1;   // week 2010-03-01 .. 2010-03-07
  ctx.monthStart = 15;
  SummaryTotals s = BuildSummary(ctx);
  EXPECT_EQ(s.thisYear.down, 15);
  EXPECT_EQ(s.thisWeek.down, 6);
  EXPECT_EQ(s.thisMonth.down, 14);
  EXPECT_EQ(s.lastDays.down, 6);  // 30 days up to today: later days do not count
  EXPECT_EQ(s.range, P(D(2010, 1, 1), D(2010, 3, 8)));
}

TEST(RecomputeLastDays, ChangesOnlyTheLastDaysAccumulators) {
  TestLog log(test::MonthStart15Log());
  ReportContext ctx = LanContext(log.file(), 2010, 3, 7);
  ctx.monthStart = 15;
  ctx.lastDays = 30;
  SummaryTotals s = BuildSummary(ctx);
  EXPECT_EQ(s.lastDays, (TrafficPair{16384, 2048}));
  SummaryTotals before = s;
  ctx.lastDays = 10;
  RecomputeLastDays(ctx, &s);
  EXPECT_EQ(s.lastDays, (TrafficPair{10240, 0}));
  EXPECT_EQ(s.total, before.total);
  EXPECT_EQ(s.thisMonth, before.thisMonth);
  ctx.lastDays = 1;
  RecomputeLastDays(ctx, &s);
  EXPECT_EQ(s.lastDays, TrafficPair{});
  ctx.lastDays = 70;  // reaches 2009-12-31
  RecomputeLastDays(ctx, &s);
  EXPECT_EQ(s.lastDays, (TrafficPair{1048576 + 17408, 1048576 + 3072}));
  ctx.lastDays = 0;
  RecomputeLastDays(ctx, &s);
  EXPECT_EQ(MakeSummaryCells(s, ctx.live, 0, true)[kSummaryLastDays][1], L"");
}

TEST(ClearedSummary, HasZeroAccumulatorsAndTodayAsItsRange) {
  SummaryTotals s = ClearedSummary(D(2010, 3, 7));
  EXPECT_EQ(s.total, TrafficPair{});
  EXPECT_EQ(s.range, P(D(2010, 3, 7), D(2010, 3, 7)));
}

TEST(LiveTotalsFor, FindsTheEntryByKindAndIdentifier) {
  MonitoredList list;
  AdapterEntry all;
  all.kind = kKindAllConnections;
  all.todayDown = 10;
  all.todayUp = 20;
  list.PushBack(std::move(all));
  AdapterEntry dial;
  dial.kind = kKindDialUp;
  list.PushBack(std::move(dial));
  AdapterEntry lan;
  lan.kind = kKindAdapter;
  lan.id = "LAN1";
  lan.todayDown = 5;
  lan.todayUp = 6;
  list.PushBack(std::move(lan));
  EXPECT_EQ(LiveTotalsFor(list, kKindAllConnections, "x"), (TrafficPair{10, 20}));
  EXPECT_EQ(LiveTotalsFor(list, kKindAdapter, "LAN1"), (TrafficPair{5, 6}));
  EXPECT_EQ(LiveTotalsFor(list, kKindAdapter, "LAN9"), TrafficPair{});
}

TEST(ReportKindFromJobType, TreatsUnknownTypesAsTheSummary) {
  EXPECT_EQ(ReportKindFromJobType(0), ReportKind::Summary);
  EXPECT_EQ(ReportKindFromJobType(1), ReportKind::Daily);
  EXPECT_EQ(ReportKindFromJobType(2), ReportKind::Weekly);
  EXPECT_EQ(ReportKindFromJobType(3), ReportKind::Monthly);
  EXPECT_EQ(ReportKindFromJobType(7), ReportKind::Summary);
  EXPECT_EQ(ReportKindFromJobType(-1), ReportKind::Summary);
}

}  // namespace
}  // namespace vantrel
