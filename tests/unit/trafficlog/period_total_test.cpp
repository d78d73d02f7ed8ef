// Period totals from the log: which records count for a week, an accounting month and the
// last N days, with today's record left to the in-memory totals.
#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "tests/support/fakes.h"
#include "tests/unit/trafficlog/log_test_util.h"
#include "tests/unit/trafficlog/memory_files.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

using test::Day;
using test::HeaderBytes;
using test::RecordBytes;

class PeriodTotalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // ETH0's records carry their day of month as download and 1000 times it as upload, so
    // every sum says which days were taken.
    std::string bytes = HeaderBytes();
    auto eth = [&](int y, int m, int d) {
      bytes += RecordBytes(Day(y, m, d), 300, "ETH0", static_cast<uint64_t>(d), static_cast<uint64_t>(d) * 1000);
    };
    eth(2010, 2, 28);
    eth(2010, 3, 1);
    eth(2010, 3, 6);
    eth(2010, 3, 7);
    eth(2010, 3, 9);
    eth(2010, 3, 9);  // a duplicate key: both are added
    eth(2010, 3, 10);  // today
    eth(2010, 3, 13);
    eth(2010, 3, 14);
    eth(2009, 3, 8);  // the same month and day a year before
    bytes += RecordBytes(Day(2010, 3, 9), 100, "", 100000, 200000);
    bytes += RecordBytes(Day(2010, 3, 9), 300, "WLAN", 100000, 200000);
    bytes += RecordBytes(Day(2010, 3, 8), 300, "eth0", 100000, 200000);
    m_files.Put(kPath, bytes);
    m_log.ChangeLogPath(kPath);
    ASSERT_TRUE(m_log.OpenTrafficLog());
  }

  const std::wstring kPath = L"C:\\logs\\TrafficHistory.log";
  const LocalTime kToday = Day(2010, 3, 10);  // a Wednesday
  test::MemoryFileSystem m_files;
  MemorySettingsStore m_settings;
  FixedKnownFolders m_folders{L"C:\\prog\\", std::nullopt};
  TrafficLog m_log{LogProgram::Service, m_files, m_settings, m_folders, nullptr};
};

struct PeriodCase {
  const char* what;
  int periodType;
  int n;
  int weekStart;
  int monthStart;
  int direction;
  uint64_t expected;
};

TEST_F(PeriodTotalTest, RecordsOfTheEntryInsideThePeriodCountExceptToday) {
  const PeriodCase cases[] = {
      // Week from Sunday: 03-07 .. 03-13.
      {"week from Sunday, download", kPeriodWeek, 0, 0, 1, kDirectionDown, 7 + 9 + 9 + 13},
      {"week from Sunday, upload", kPeriodWeek, 0, 0, 1, kDirectionUp, (7 + 9 + 9 + 13) * 1000},
      {"week from Sunday, both", kPeriodWeek, 0, 0, 1, kDirectionBoth, (7 + 9 + 9 + 13) * 1001},
      // Week from Monday: 03-08 .. 03-14.
      {"week from Monday", kPeriodWeek, 0, 1, 1, kDirectionDown, 9 + 9 + 13 + 14},
      // Week from Thursday: 03-04 .. 03-10.
      {"week from Thursday", kPeriodWeek, 0, 4, 1, kDirectionDown, 6 + 7 + 9 + 9},
      {"week start out of range reads as Sunday", kPeriodWeek, 0, 9, 1, kDirectionDown, 7 + 9 + 9 + 13},
      // Calendar month: 03-01 .. 03-31.
      {"calendar month", kPeriodMonth, 0, 0, 1, kDirectionDown, 1 + 6 + 7 + 9 + 9 + 13 + 14},
      // Month from the 7th: 03-07 .. 04-06.
      {"month from the 7th", kPeriodMonth, 0, 0, 7, kDirectionDown, 7 + 9 + 9 + 13 + 14},
      // Month from the 15th: 02-15 .. 03-14.
      {"month from the 15th", kPeriodMonth, 0, 0, 15, kDirectionDown, 28 + 1 + 6 + 7 + 9 + 9 + 13 + 14},
      {"month start out of range reads as the 1st", kPeriodMonth, 0, 0, 40, kDirectionDown,
       1 + 6 + 7 + 9 + 9 + 13 + 14},
      // Last 4 days: 03-07 .. 03-10.
      {"last 4 days", kPeriodLastDays, 4, 0, 1, kDirectionDown, 7 + 9 + 9},
      {"last 11 days", 7, 11, 0, 1, kDirectionDown, 28 + 1 + 6 + 7 + 9 + 9},
      {"last 2 days", kPeriodLastDays, 2, 0, 1, kDirectionDown, 9 + 9},
      {"last day only", kPeriodLastDays, 1, 0, 1, kDirectionBoth, 0},
      {"no days", kPeriodLastDays, 0, 0, 1, kDirectionBoth, 0},
  };
  for (const PeriodCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(m_log.PeriodTotal(300, "ETH0", c.periodType, c.direction, c.n, kToday, c.weekStart, c.monthStart),
              c.expected);
  }
}

TEST_F(PeriodTotalTest, PseudoAdaptersMatchByKindAlone) {
  EXPECT_EQ(m_log.PeriodTotal(100, "", kPeriodWeek, kDirectionUp, 0, kToday, 0, 1), 200000u);
  EXPECT_EQ(m_log.PeriodTotal(200, "", kPeriodWeek, kDirectionUp, 0, kToday, 0, 1), 0u);
  EXPECT_EQ(m_log.PeriodTotal(300, "NONE", kPeriodMonth, kDirectionBoth, 0, kToday, 0, 1), 0u);
}

TEST_F(PeriodTotalTest, AOneDayPeriodTakesNothingFromTheLog) {
  // The last 1 day is today alone, whose traffic is in memory: the 9th's records are not taken.
  EXPECT_EQ(m_log.PeriodTotal(300, "ETH0", kPeriodLastDays, kDirectionDown, 1, Day(2010, 3, 9), 0, 1), 0u);
  EXPECT_EQ(m_log.PeriodTotal(300, "ETH0", kPeriodLastDays, kDirectionDown, 2, Day(2010, 3, 10), 0, 1), 18u);
}

TEST_F(PeriodTotalTest, RealAdaptersMatchByTheWholeIdentifier) {
  for (const char* id : {"ETH", "ETH00", "ETH0 ", ""}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(m_log.PeriodTotal(300, id, kPeriodWeek, kDirectionDown, 0, kToday, 0, 1), 0u);
  }
  EXPECT_EQ(m_log.PeriodTotal(300, "eth0", kPeriodWeek, kDirectionDown, 0, Day(2010, 3, 10), 1, 1), 100000u);
}

TEST(PeriodTotalIdentifiers, AFullLengthIdentifierMatchesAndALongerOneDoesNot) {
  test::MemoryFileSystem files;
  MemorySettingsStore settings;
  FixedKnownFolders folders{L"C:\\prog\\", std::nullopt};
  const std::string full(259, 'Q');
  files.Put(L"C:\\t.log", HeaderBytes() + RecordBytes(Day(2010, 3, 9), 300, full, 5, 0) +
                              RecordBytes(Day(2010, 3, 9), 300, full.substr(0, 258), 7, 0) +
                              RecordBytes(Day(2010, 3, 9), 300, "QQ", 9, 0));
  TrafficLog log(LogProgram::Service, files, settings, folders, nullptr);
  log.ChangeLogPath(L"C:\\t.log");
  ASSERT_TRUE(log.OpenTrafficLog());
  LocalTime today = Day(2010, 3, 10);
  EXPECT_EQ(log.PeriodTotal(300, full, kPeriodLastDays, kDirectionDown, 2, today, 0, 1), 5u);
  EXPECT_EQ(log.PeriodTotal(300, full.substr(0, 258), kPeriodLastDays, kDirectionDown, 2, today, 0, 1), 7u);
  EXPECT_EQ(log.PeriodTotal(300, full + "Q", kPeriodLastDays, kDirectionDown, 2, today, 0, 1), 0u);
  EXPECT_EQ(log.PeriodTotal(300, "QQ", kPeriodLastDays, kDirectionDown, 2, today, 0, 1), 9u);
  EXPECT_EQ(log.PeriodTotal(300, std::string("QQ\0Q", 4), kPeriodLastDays, kDirectionDown, 2, today, 0, 1), 0u);
}

TEST(CurrentPeriod, FollowsTheTypeAndReadsBadStartDaysAsDefaults) {
  LocalTime sunday = Day(2010, 3, 7);
  EXPECT_EQ(CurrentPeriod(kPeriodWeek, 0, sunday, 1, 1), (Period{{2010, 3, 1}, {2010, 3, 7}}));
  EXPECT_EQ(CurrentPeriod(kPeriodWeek, 0, sunday, -3, 1), (Period{{2010, 3, 7}, {2010, 3, 13}}));
  EXPECT_EQ(CurrentPeriod(kPeriodMonth, 0, sunday, 0, 0), (Period{{2010, 3, 1}, {2010, 3, 31}}));
  EXPECT_EQ(CurrentPeriod(kPeriodMonth, 0, Day(2010, 1, 10), 0, 15), (Period{{2009, 12, 15}, {2010, 1, 14}}));
  EXPECT_EQ(CurrentPeriod(5, 7, sunday, 0, 1), (Period{{2010, 3, 1}, {2010, 3, 7}}));
}

}  // namespace
}  // namespace vantrel
