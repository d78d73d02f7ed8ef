// Hostile log files: random contents after a good header, a size claim far above the real
// contents, and a record lying beyond what a 32-bit offset reaches. Every pass must end and
// read no more than the file holds.
#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "tests/unit/trafficlog/log_test_util.h"
#include "tests/unit/trafficlog/memory_files.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

using test::Day;
using test::HeaderBytes;
using test::MakeList;
using test::RecordBytes;

class TrafficLogRobustnessTest : public ::testing::Test {
 protected:
  std::unique_ptr<TrafficLog> Open(const std::string& bytes) {
    m_files.Put(kPath, bytes);
    auto log = std::make_unique<TrafficLog>(LogProgram::Interactive, m_files, m_settings, m_folders, nullptr);
    log->ChangeLogPath(kPath);
    EXPECT_TRUE(log->OpenTrafficLog());
    return log;
  }
  static std::string RandomBytes(size_t n, uint32_t seed) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      seed = seed * 1664525u + 1013904223u;
      out.push_back(static_cast<char>(seed >> 24));
    }
    return out;
  }

  const std::wstring kPath = L"C:\\logs\\TrafficHistory.log";
  const LocalTime kToday = Day(2010, 3, 10);
  test::MemoryFileSystem m_files;
  MemorySettingsStore m_settings;
  FixedKnownFolders m_folders{L"C:\\prog\\", std::nullopt};
};

TEST_F(TrafficLogRobustnessTest, RandomRecordsAreReadOnceThroughAndStayConsistent) {
  for (uint32_t seed : {1u, 7u, 12345u}) {
    SCOPED_TRACE(seed);
    // The random part is not a whole number of records: it ends in a partial one.
    std::string bytes = HeaderBytes() + RandomBytes(300000 + seed, seed);
    auto log = Open(bytes);
    MonitoredList list = MakeList({"ETH0"});
    m_files.faults.bytesRead = 0;
    log->LoadTodayTotals(list, kToday);
    EXPECT_LE(m_files.faults.bytesRead, static_cast<int64_t>(bytes.size()));
    m_files.faults.bytesRead = 0;
    log->PeriodTotal(100, "", kPeriodMonth, kDirectionBoth, 0, kToday, 0, 1);
    EXPECT_LE(m_files.faults.bytesRead, static_cast<int64_t>(bytes.size()));
    // Appending after the random part keeps every record on a record boundary.
    ASSERT_TRUE(log->WriteTodayRecords(list, kToday));
    int64_t size = m_files.File(kPath).size;
    EXPECT_EQ((size - static_cast<int64_t>(kLogHeaderSize)) % static_cast<int64_t>(kLogRecordSize), 0);
    log->LoadTodayTotals(list, kToday);
    for (const AdapterEntry& e : list) EXPECT_GE(e.todayOffset, static_cast<int32_t>(kLogHeaderSize));
  }
}

TEST_F(TrafficLogRobustnessTest, AHugeDeclaredSizeNeverDrivesAReadOrAnAllocation) {
  std::string bytes = HeaderBytes() + RecordBytes(kToday, 100, "", 5, 6) + RecordBytes(Day(2010, 3, 9), 100, "", 7, 8);
  auto log = Open(bytes);
  m_files.faults.declaredSize = int64_t{1} << 62;
  MonitoredList list = MakeList();
  m_files.faults.bytesRead = 0;
  log->LoadTodayTotals(list, kToday);
  EXPECT_EQ(list.All().todayDown, 5u);
  EXPECT_EQ(log->PeriodTotal(100, "", kPeriodLastDays, kDirectionDown, 3, kToday, 0, 1), 7u);
  EXPECT_LE(m_files.faults.bytesRead, static_cast<int64_t>(2 * bytes.size()));

  // A damaged file that claims to be huge is copied for what it really holds.
  log->CloseTrafficLog();
  m_files.faults = {};
  std::string damaged = RandomBytes(1000, 3);
  m_files.Put(kPath, damaged);
  m_files.faults.declaredSize = int64_t{1} << 62;
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_LE(m_files.faults.bytesRead, 2 * 1000);
  EXPECT_EQ(m_files.Bytes(log->DamagedCopyPath()), damaged);
}

TEST_F(TrafficLogRobustnessTest, ARecordBeyondA32BitOffsetIsCountedButNeverRewritten) {
  // A sparse log of just over 2 GiB whose last record is today's. Zero records between
  // carry no date and count for nothing.
  auto log = Open(HeaderBytes());
  const int64_t beyond = static_cast<int64_t>(kLogHeaderSize) +
                         (static_cast<int64_t>(0x80000000) / static_cast<int64_t>(kLogRecordSize)) *
                             static_cast<int64_t>(kLogRecordSize);
  ASSERT_GT(beyond, kMaxRecordOffset);
  std::string record = RecordBytes(kToday, 100, "", 123, 456);
  m_files.File(kPath).Write(beyond, reinterpret_cast<const uint8_t*>(record.data()), record.size());

  MonitoredList list = MakeList();
  log->LoadTodayTotals(list, kToday);
  EXPECT_EQ(list.All().todayDown, 123u);
  EXPECT_EQ(list.All().todayOffset, -1);
  int64_t size = m_files.File(kPath).size;
  EXPECT_FALSE(log->WriteTodayRecords(list, kToday));
  EXPECT_EQ(m_files.File(kPath).size, size);
  EXPECT_EQ(m_files.File(kPath).Bytes(beyond, kLogRecordSize), record);
}

}  // namespace
}  // namespace vantrel
