// Today's records: loading them, writing them back in place or appended, midnight, clearing,
// and what a failed or partial write leaves behind.
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
using test::MakeList;
using test::Nth;
using test::RecordBytes;
using test::RecordsOf;

constexpr int32_t Offset(int record) {
  return static_cast<int32_t>(kLogHeaderSize + static_cast<size_t>(record) * kLogRecordSize);
}

class TrafficLogRecordsTest : public ::testing::Test {
 protected:
  // A log at kPath holding `bytes`, opened by the interactive program as owner (or reader).
  std::unique_ptr<TrafficLog> Open(const std::string& bytes, bool serviceMode = false) {
    m_files.Put(kPath, bytes);
    auto log = std::make_unique<TrafficLog>(LogProgram::Interactive, m_files, m_settings, m_folders, &m_adapters);
    log->SetServiceMode(serviceMode);
    log->ChangeLogPath(kPath);
    EXPECT_TRUE(log->OpenTrafficLog());
    return log;
  }
  std::string Bytes() const { return m_files.Bytes(kPath); }

  const std::wstring kPath = L"C:\\logs\\TrafficHistory.log";
  const LocalTime kToday = Day(2010, 3, 10);
  const LocalTime kYesterday = Day(2010, 3, 9);
  test::MemoryFileSystem m_files;
  MemorySettingsStore m_settings;
  test::FakeAdapterSource m_adapters;
  FixedKnownFolders m_folders{L"C:\\prog\\", std::nullopt};
};

TEST_F(TrafficLogRecordsTest, AReaderFollowsTodaysRecordsTheWriterRewritesAndAppends) {
  const std::string older = HeaderBytes() + RecordBytes(kYesterday, 100, "", 1, 1) +
                            RecordBytes(kYesterday, 300, "ETH0", 2, 2);
  auto log = Open(older + RecordBytes(kToday, 100, "", 1000, 2000), true);
  MonitoredList list = MakeList({"ETH0"});
  log->LoadTodayTotals(list, kToday);
  // The writer rewrites the record that was there and appends one for the adapter.
  m_files.Put(kPath, older + RecordBytes(kToday, 100, "", 1500, 2500) + RecordBytes(kToday, 300, "ETH0", 70, 80));

  std::vector<std::pair<uint64_t, uint64_t>> totals;
  ASSERT_TRUE(log->ReadTodayTotals(list, kToday, &totals));
  EXPECT_EQ(totals, (std::vector<std::pair<uint64_t, uint64_t>>{{1500, 2500}, {0, 0}, {70, 80}}));
  EXPECT_EQ(list.All().todayDown, 1000u) << "the entries are left as they were";
  // Cut back and written anew: read whole.
  m_files.Put(kPath, HeaderBytes() + RecordBytes(kToday, 300, "ETH0", 5, 6));
  ASSERT_TRUE(log->ReadTodayTotals(list, kToday, &totals));
  EXPECT_EQ(totals, (std::vector<std::pair<uint64_t, uint64_t>>{{0, 0}, {0, 0}, {5, 6}}));
}

TEST_F(TrafficLogRecordsTest, TodaysRecordsAreLoadedAndTheOtherEntriesAppendedAtTheNextWrite) {
  std::string bytes = HeaderBytes() + RecordBytes(kYesterday, 100, "", 1, 1) +
                      RecordBytes(kToday, 100, "", 1000, 2000) + RecordBytes(kToday, 300, "ETH0", 300, 400) +
                      RecordBytes(kToday, 300, "GONE", 9, 9) + RecordBytes(kToday, 300, "eth0", 5, 5);
  auto log = Open(bytes);
  MonitoredList list = MakeList({"ETH0", "WLAN"});
  log->LoadTodayTotals(list, kToday);

  EXPECT_EQ(list.All().todayDown, 1000u);
  EXPECT_EQ(list.All().todayUp, 2000u);
  EXPECT_EQ(list.All().todayOffset, Offset(1));
  EXPECT_EQ(list.DialUp().todayDown, 0u);
  EXPECT_EQ(list.DialUp().todayOffset, -1);
  EXPECT_EQ(Nth(list, 2).todayDown, 300u);  // identifiers compare exactly: "eth0" is another
  EXPECT_EQ(Nth(list, 2).todayUp, 400u);
  EXPECT_EQ(Nth(list, 2).todayOffset, Offset(2));
  EXPECT_EQ(Nth(list, 3).todayDown, 0u);
  EXPECT_EQ(Nth(list, 3).todayOffset, -1);

  list.All().todayDown = 1500;
  Nth(list, 2).todayUp = 450;
  Nth(list, 3).todayDown = 70;
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));

  auto records = RecordsOf(Bytes());
  ASSERT_EQ(Bytes().size(), kLogHeaderSize + 7 * kLogRecordSize);
  EXPECT_EQ(records[0].down, 1u);  // other days are not touched
  EXPECT_EQ(records[1].down, 1500u);
  EXPECT_EQ(records[2].up, 450u);
  EXPECT_EQ(records[3].Id(), "GONE");
  // Appended in list order: Dial-Up Connections, then WLAN.
  EXPECT_EQ(records[5].kind, 200u);
  EXPECT_EQ(records[5].date(), (Date{2010, 3, 10}));
  EXPECT_EQ(records[5].dayOfWeek, 3u);  // a Wednesday
  EXPECT_EQ(records[6].Id(), "WLAN");
  EXPECT_EQ(records[6].down, 70u);
  EXPECT_EQ(list.DialUp().todayOffset, Offset(5));
  EXPECT_EQ(Nth(list, 3).todayOffset, Offset(6));
}

TEST_F(TrafficLogRecordsTest, ALaterRecordForTheSameEntryOverridesAnEarlierOne) {
  auto log = Open(HeaderBytes() + RecordBytes(kToday, 300, "ETH0", 10, 20) + RecordBytes(kToday, 100, "", 1, 2) +
                  RecordBytes(kToday, 300, "ETH0", 30, 40));
  MonitoredList list = MakeList({"ETH0"});
  log->LoadTodayTotals(list, kToday);
  EXPECT_EQ(Nth(list, 2).todayDown, 30u);
  EXPECT_EQ(Nth(list, 2).todayUp, 40u);
  EXPECT_EQ(Nth(list, 2).todayOffset, Offset(2));
}

TEST_F(TrafficLogRecordsTest, LoadingStartsEveryEntryAgainFromTheLog) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList({"ETH0"});
  for (AdapterEntry& e : list) {
    e.todayDown = 99;
    e.todayUp = 98;
    e.todayOffset = Offset(4);
  }
  log->LoadTodayTotals(list, kToday);
  for (const AdapterEntry& e : list) {
    EXPECT_EQ(e.todayDown, 0u);
    EXPECT_EQ(e.todayUp, 0u);
    EXPECT_EQ(e.todayOffset, -1);
  }
}

TEST_F(TrafficLogRecordsTest, CrossingMidnightCompletesTheOldDayAndStartsNewRecords) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList({"ETH0"});
  log->LoadTodayTotals(list, kYesterday);
  Nth(list, 2).todayDown = 100;
  ASSERT_TRUE(log->WriteTodayRecords(list, kYesterday));  // 23:48
  Nth(list, 2).todayDown = 180;                           // the last minutes of the day
  ASSERT_TRUE(log->WriteTodayRecords(list, kYesterday));  // the write at 00:00, old date
  log->LoadTodayTotals(list, kToday);
  EXPECT_EQ(Nth(list, 2).todayDown, 0u);
  EXPECT_EQ(Nth(list, 2).todayOffset, -1);
  Nth(list, 2).todayDown = 5;  // the first second of the new day
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));

  auto records = RecordsOf(Bytes());
  ASSERT_EQ(records.size(), 6u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(records[i].date(), (Date{2010, 3, 9}));
  for (int i = 3; i < 6; ++i) EXPECT_EQ(records[i].date(), (Date{2010, 3, 10}));
  EXPECT_EQ(records[2].down, 180u);
  EXPECT_EQ(records[5].down, 5u);
}

TEST_F(TrafficLogRecordsTest, AbsentAdaptersAreWrittenTooWithWhateverTheyHave) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList({"GONE"});
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  auto records = RecordsOf(Bytes());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[2].Id(), "GONE");
  EXPECT_EQ(records[2].down, 0u);
}

TEST_F(TrafficLogRecordsTest, ClearingLeavesExactlyTheHeaderAndStartsEveryEntryAgain) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList({"ETH0"});
  Nth(list, 2).todayDown = 77;
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  ASSERT_TRUE(log->ClearTrafficLog(list));
  EXPECT_EQ(Bytes(), HeaderBytes());
  for (const AdapterEntry& e : list) {
    EXPECT_EQ(e.todayDown, 0u);
    EXPECT_EQ(e.todayOffset, -1);
  }
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(Bytes().size(), kLogHeaderSize + 3 * kLogRecordSize);
  EXPECT_EQ(list.All().todayOffset, Offset(0));
}

TEST_F(TrafficLogRecordsTest, AnOverLongIdentifierIsStoredCutTo259Characters) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList();
  AdapterEntry e;
  e.kind = kKindAdapter;
  e.id = std::string(300, 'A');
  list.PushBack(std::move(e));
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  std::string bytes = Bytes();
  size_t field = kLogHeaderSize + 2 * kLogRecordSize + 16;
  EXPECT_EQ(bytes.substr(field, 259), std::string(259, 'A'));
  EXPECT_EQ(bytes[field + 259], '\0');
  EXPECT_EQ(RecordsOf(bytes)[2].Id().size(), 259u);
}

TEST_F(TrafficLogRecordsTest, ATrailingPartialRecordIsIgnoredAndCutBeforeTheNextAppend) {
  auto log = Open(HeaderBytes() + RecordBytes(kToday, 100, "", 8, 9) + std::string(100, '\x55'));
  MonitoredList list = MakeList();
  log->LoadTodayTotals(list, kToday);
  EXPECT_EQ(list.All().todayDown, 8u);
  EXPECT_EQ(log->PeriodTotal(100, "", kPeriodLastDays, kDirectionBoth, 7, Day(2010, 3, 11), 0, 1), 17u);
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(list.DialUp().todayOffset, Offset(1));
  std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), kLogHeaderSize + 2 * kLogRecordSize);
  EXPECT_EQ(RecordsOf(bytes)[1].kind, 200u);
}

TEST_F(TrafficLogRecordsTest, FailingWritesKeepTheTotalsInMemoryAndTheNextWriteTriesAgain) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList({"ETH0"});
  list.All().todayDown = 10;
  Nth(list, 2).todayUp = 20;
  m_files.faults.failWrites = true;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(Bytes(), HeaderBytes());
  for (const AdapterEntry& e : list) EXPECT_EQ(e.todayOffset, -1);
  EXPECT_EQ(list.All().todayDown, 10u);
  EXPECT_EQ(Nth(list, 2).todayUp, 20u);

  m_files.faults.failWrites = false;
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  auto records = RecordsOf(Bytes());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].down, 10u);
  EXPECT_EQ(records[2].up, 20u);

  // A failed rewrite in place keeps the offsets; the retry rewrites the same records.
  list.All().todayDown = 11;
  m_files.faults.failWrites = true;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(list.All().todayOffset, Offset(0));
  m_files.faults.failWrites = false;
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  records = RecordsOf(Bytes());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].down, 11u);
}

TEST_F(TrafficLogRecordsTest, AShortAppendIsCutBackSoNoPartialRecordStaysInTheFile) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList();
  list.DialUp().todayDown = 3;
  // Room for one record and a part of the next: the last append of the pass is cut short.
  m_files.faults.writeBudget = static_cast<int64_t>(kLogRecordSize) + 100;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(Bytes().size(), kLogHeaderSize + kLogRecordSize);
  EXPECT_EQ(list.All().todayOffset, Offset(0));
  EXPECT_EQ(list.DialUp().todayOffset, -1);

  m_files.faults.writeBudget = -1;
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  auto records = RecordsOf(Bytes());
  ASSERT_EQ(Bytes().size(), kLogHeaderSize + 2 * kLogRecordSize);
  EXPECT_EQ(records[1].kind, 200u);
  EXPECT_EQ(records[1].down, 3u);
  EXPECT_EQ(list.DialUp().todayOffset, Offset(1));
}

TEST_F(TrafficLogRecordsTest, APartialRecordWhoseCutFailedIsCutAtTheNextAppend) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList();
  m_files.faults.writeBudget = 100;
  m_files.faults.failSetEnd = true;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(Bytes().size(), kLogHeaderSize + 100);
  m_files.faults = {};
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(Bytes().size(), kLogHeaderSize + 2 * kLogRecordSize);
  EXPECT_EQ(list.All().todayOffset, Offset(0));
  EXPECT_EQ(RecordsOf(Bytes())[1].kind, 200u);
}

TEST_F(TrafficLogRecordsTest, AClearWhoseHeaderWriteFailedGetsTheHeaderBackAtTheNextWrite) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList();
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  m_files.faults.writeBudget = 10;
  EXPECT_FALSE(log->ClearTrafficLog(list));
  EXPECT_EQ(Bytes().size(), 10u);
  EXPECT_EQ(list.All().todayOffset, -1);  // the records are gone either way
  m_files.faults = {};
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  std::string bytes = Bytes();
  EXPECT_EQ(bytes.substr(0, kLogHeaderSize), HeaderBytes());
  EXPECT_EQ(bytes.size(), kLogHeaderSize + 2 * kLogRecordSize);
  EXPECT_EQ(list.All().todayOffset, Offset(0));
}

TEST_F(TrafficLogRecordsTest, AClearThatCannotCutTheFileResetsNothing) {
  auto log = Open(HeaderBytes());
  MonitoredList list = MakeList();
  list.All().todayDown = 5;
  ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
  m_files.faults.failSetEnd = true;
  EXPECT_FALSE(log->ClearTrafficLog(list));
  EXPECT_EQ(list.All().todayDown, 5u);
  EXPECT_EQ(list.All().todayOffset, Offset(0));
  EXPECT_EQ(Bytes().size(), kLogHeaderSize + 2 * kLogRecordSize);
}

TEST_F(TrafficLogRecordsTest, NoRecordIsAppendedBeyondWhatA32BitOffsetReaches) {
  auto log = Open(HeaderBytes());
  // Make the log all but 2 GiB long (sparse: the records in between read as zeros).
  const int64_t records = (static_cast<int64_t>(0x7FFFFFFF) - static_cast<int64_t>(kLogHeaderSize)) /
                          static_cast<int64_t>(kLogRecordSize);  // fills to within a record of 2 GiB
  const int64_t nearlyFull = static_cast<int64_t>(kLogHeaderSize) + (records - 1) * static_cast<int64_t>(kLogRecordSize);
  m_files.File(kPath).Truncate(nearlyFull);

  MonitoredList list = MakeList();
  list.All().todayDown = 1;
  list.DialUp().todayDown = 2;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  // The first append still lies below 2 GiB; the second would not, and is not made.
  EXPECT_EQ(list.All().todayOffset, static_cast<int32_t>(nearlyFull));
  EXPECT_EQ(list.DialUp().todayOffset, -1);
  EXPECT_EQ(list.DialUp().todayDown, 2u);
  int64_t size = m_files.File(kPath).size;
  EXPECT_EQ(size, nearlyFull + static_cast<int64_t>(kLogRecordSize));
  EXPECT_LE(size, int64_t{0x80000000});
  // The record that was written is rewritten in place, and the refused one stays refused.
  list.All().todayDown = 3;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(m_files.File(kPath).size, size);
  TrafficLogRecord r;
  std::string last = m_files.File(kPath).Bytes(nearlyFull, kLogRecordSize);
  ParseLogRecord(reinterpret_cast<const uint8_t*>(last.data()), &r);
  EXPECT_EQ(r.down, 3u);
  EXPECT_EQ(r.kind, 100u);
}

TEST_F(TrafficLogRecordsTest, TheReaderNeverWritesButLoadsTheOwnersFigures) {
  std::string bytes = HeaderBytes() + RecordBytes(kToday, 100, "", 40, 50);
  auto log = Open(bytes, true);
  ASSERT_EQ(log->Access(), LogAccess::Reader);
  MonitoredList list = MakeList({"ETH0"});
  log->LoadTodayTotals(list, kToday);
  EXPECT_EQ(list.All().todayDown, 40u);
  list.All().todayDown = 99;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_FALSE(log->ClearTrafficLog(list));
  EXPECT_EQ(Bytes(), bytes);
  EXPECT_EQ(list.All().todayDown, 99u);
  EXPECT_EQ(m_files.faults.writeCalls, 0);
}

TEST_F(TrafficLogRecordsTest, WithoutALogNothingIsWrittenAndTheTotalsBelongToTheirDay) {
  TrafficLog log(LogProgram::Interactive, m_files, m_settings, m_folders, &m_adapters);
  MonitoredList list = MakeList();
  list.All().todayDown = 500;
  EXPECT_FALSE(log.WriteTodayRecords(list, kYesterday));
  EXPECT_FALSE(log.ClearTrafficLog(list));
  EXPECT_EQ(log.PeriodTotal(100, "", kPeriodWeek, kDirectionBoth, 0, kToday, 0, 1), 0u);
  log.LoadTodayTotals(list, kYesterday);  // the same day: the figures stay
  EXPECT_EQ(list.All().todayDown, 500u);
  log.LoadTodayTotals(list, kToday);  // after midnight the new day starts at 0
  EXPECT_EQ(list.All().todayDown, 0u);
  EXPECT_EQ(m_files.opens, 0);
}

}  // namespace
}  // namespace vantrel
