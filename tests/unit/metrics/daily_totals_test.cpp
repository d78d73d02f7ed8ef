#include "metrics/daily_totals.h"

#include <gtest/gtest.h>

#include "reports/report_tables.h"
#include "tests/support/fakes.h"
#include "tests/unit/trafficlog/log_test_util.h"

namespace vantrel {
namespace {

using test::Day;
using test::RecordBytes;

constexpr char kLan[] = "{LAN-ADAPTER}";

// The period totals against the summary page's own computation over the same file, step by
// step as the owner writes, the day changes, the history is cleared and the clock goes back;
// and how little each refresh reads once the log was read.
class DailyTotalsTest : public ::testing::Test {
 protected:
  DailyTotalsTest() : m_totals(SystemFileSystem()) { m_path = m_dir.File(L"TrafficHistory.log"); }

  void Write() { ASSERT_TRUE(test::WriteFileBytes(m_path, m_bytes)); }
  void Append(const LocalTime& day, uint32_t kind, const std::string& id, uint64_t down, uint64_t up) {
    m_bytes += RecordBytes(day, kind, id, down, up);
  }
  // Rewrites record `index` in place, as the owner rewrites today's records.
  void Rewrite(size_t index, const LocalTime& day, uint32_t kind, const std::string& id, uint64_t down,
               uint64_t up) {
    m_bytes.replace(kLogHeaderSize + index * kLogRecordSize, kLogRecordSize, RecordBytes(day, kind, id, down, up));
  }

  MetricsSnapshot Snapshot(const LocalTime& today) {
    MetricsSnapshot s;
    s.sampleTime = today;
    s.weekStartDay = 1;
    s.monthStartDay = 15;
    s.sumLastDays = 10;
    s.logPath = m_path;
    MetricsEntry all;
    all.kind = kKindAllConnections;
    all.today = {5, 6};
    MetricsEntry lan;
    lan.kind = kKindAdapter;
    lan.id = lan.logId = kLan;
    lan.today = {70, 80};
    s.entries = {all, lan};
    return s;
  }

  // PeriodsOf equals the summary page's Week, Month and Last N Days rows.
  void ExpectSummary(const LocalTime& today) {
    MetricsSnapshot s = Snapshot(today);
    std::vector<EntryPeriods> periods = PeriodsOf(s, m_totals);
    auto file = SystemFileSystem().Open(m_path, FileMode::Reader);
    ASSERT_TRUE(file);
    for (size_t i = 0; i < s.entries.size(); ++i) {
      ReportContext ctx;
      ctx.log = file.get();
      ctx.kind = s.entries[i].kind;
      ctx.id = s.entries[i].logId;
      SetReportToday(&ctx, today);
      ctx.weekStart = s.weekStartDay;
      ctx.monthStart = s.monthStartDay;
      ctx.lastDays = s.sumLastDays;
      SummaryTotals expected = BuildSummary(ctx);
      auto shown = [&](const TrafficPair& logged) {
        return ByteCounts{static_cast<uint64_t>(logged.down) + s.entries[i].today.receive,
                          static_cast<uint64_t>(logged.up) + s.entries[i].today.transmit};
      };
      EXPECT_EQ(periods[i].week, shown(expected.thisWeek)) << i;
      EXPECT_EQ(periods[i].month, shown(expected.thisMonth)) << i;
      EXPECT_EQ(periods[i].lastDays, shown(expected.lastDays)) << i;
    }
  }

  test::TempDir m_dir;
  std::wstring m_path;
  std::string m_bytes = test::HeaderBytes();
  DailyTotals m_totals;
};

TEST_F(DailyTotalsTest, MatchTheSummaryAndReadOnlyWhatChanged) {
  // Three months of history, a day with two records, one dated in the future (within the
  // accounting month), one with a damaged date that the month takes in by date order, and
  // today's own record, which never counts.
  const LocalTime today = Day(2010, 3, 17);
  for (int d = 0; d < 90; ++d) {
    int64_t day = DaysFromCivil(2009, 12, 18) + d;
    int y, m, dd;
    CivilFromDays(day, &y, &m, &dd);
    LocalTime t = Day(y, m, dd);
    Append(t, kKindAllConnections, "", 1000u + d, 2000u + d);
    if (d % 3 == 0) Append(t, kKindAdapter, kLan, 10u * d, 20u * d);
  }
  Append(Day(2010, 3, 16), kKindAdapter, kLan, 5, 5);
  Append(Day(2010, 3, 20), kKindAdapter, kLan, 100000, 200000);
  LocalTime damaged = today;
  damaged.day = 40;
  Append(damaged, kKindAllConnections, "", 3000000, 4000000);
  size_t todayRecord = m_bytes.size() / kLogRecordSize;  // index of the next record (header < one record)
  Append(today, kKindAllConnections, "", 999999999, 999999999);
  Write();
  ExpectSummary(today);
  int64_t fullRead = m_totals.BytesRead();
  EXPECT_GE(fullRead, static_cast<int64_t>(m_bytes.size()));

  // The owner rewrites today's record and appends another entry's: only those are read.
  Rewrite(todayRecord, today, kKindAllConnections, "", 123456, 654321);
  Append(today, kKindAdapter, kLan, 777, 888);
  Write();
  ExpectSummary(today);
  int64_t read = m_totals.BytesRead() - fullRead;
  EXPECT_LE(read, static_cast<int64_t>(3 * kLogRecordSize)) << "history read again";

  // Midnight: yesterday's records as last written count now, the future one is today's.
  Rewrite(todayRecord, today, kKindAllConnections, "", 200000, 300000);
  Write();
  int64_t before = m_totals.BytesRead();
  for (int d = 18; d <= 21; ++d) {
    ExpectSummary(Day(2010, 3, d));
  }
  EXPECT_LE(m_totals.BytesRead() - before, static_cast<int64_t>(20 * kLogRecordSize));

  // The history is cleared and refilled to beyond its old size with today's records only.
  const LocalTime later = Day(2010, 3, 21);
  std::string history = m_bytes;
  m_bytes = test::HeaderBytes();
  while (m_bytes.size() <= history.size()) Append(later, kKindAdapter, kLan, 1, 1);
  Write();
  ExpectSummary(later);
  EXPECT_EQ(PeriodsOf(Snapshot(later), m_totals)[1].month, (ByteCounts{70, 80})) << "cleared history still counted";

  // The clock goes back a week: the old history counts again as of that day.
  m_bytes = history;
  Write();
  ExpectSummary(Day(2010, 3, 21));
  ExpectSummary(Day(2010, 3, 14));
}

TEST_F(DailyTotalsTest, WithoutAUsableLogOnlyTodayCounts) {
  const std::string damaged = "NOT A LOG HEADER AT ALL!" + RecordBytes(Day(2010, 3, 16), kKindAllConnections, "", 1, 1);
  for (const std::string& bytes : {std::string(), damaged}) {
    m_bytes = bytes;
    Write();
    std::vector<EntryPeriods> p = PeriodsOf(Snapshot(Day(2010, 3, 17)), m_totals);
    EXPECT_EQ(p[0].month, (ByteCounts{5, 6}));
    EXPECT_EQ(p[1].week, (ByteCounts{70, 80}));
  }
  MetricsSnapshot none = Snapshot(Day(2010, 3, 17));
  none.logPath = m_dir.File(L"missing.log");
  EXPECT_EQ(PeriodsOf(none, m_totals)[1].lastDays, (ByteCounts{70, 80}));
}

}  // namespace
}  // namespace vantrel
