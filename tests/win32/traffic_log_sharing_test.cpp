// The traffic log's hand-over between the programs rests on real Win32 sharing modes: one
// owner that lets others only read, readers that let the owner write. Two real handles.
#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "tests/support/fakes.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

class TrafficLogSharingTest : public ::testing::Test {
 protected:
  std::unique_ptr<TrafficLog> Make(LogProgram program, bool serviceMode) {
    auto log = std::make_unique<TrafficLog>(program, SystemFileSystem(), m_settings, m_folders, &m_adapters);
    log->SetServiceMode(serviceMode);
    log->ChangeLogPath(m_path);
    return log;
  }
  static MonitoredList List() {
    MonitoredList list;
    AdapterEntry all;
    all.kind = kKindAllConnections;
    list.PushBack(std::move(all));
    AdapterEntry dialUp;
    dialUp.kind = kKindDialUp;
    list.PushBack(std::move(dialUp));
    return list;
  }

  test::TempDir m_dir;
  std::wstring m_path = m_dir.File(L"TrafficHistory.log");
  MemorySettingsStore m_settings;
  test::FakeAdapterSource m_adapters;
  FixedKnownFolders m_folders{m_dir.Path(), std::nullopt};
  const LocalTime kToday = MakeLocalTime(2010, 3, 10, 12, 0, 0);
};

TEST_F(TrafficLogSharingTest, AnOwnerAndAReaderHoldTheLogAtOnceAndTheReaderSeesTheOwnersRecords) {
  auto owner = Make(LogProgram::Service, false);
  ASSERT_TRUE(owner->OpenTrafficLog());
  auto reader = Make(LogProgram::Interactive, true);
  ASSERT_TRUE(reader->OpenTrafficLog());
  EXPECT_EQ(reader->Access(), LogAccess::Reader);

  MonitoredList written = List();
  written.All().todayDown = 4242;
  ASSERT_TRUE(owner->WriteTodayRecords(written, kToday));
  MonitoredList seen = List();
  reader->LoadTodayTotals(seen, kToday);
  EXPECT_EQ(seen.All().todayDown, 4242u);
}

TEST_F(TrafficLogSharingTest, AnOwnerMayOpenWhileAReaderHoldsTheLog) {
  auto first = Make(LogProgram::Service, false);
  ASSERT_TRUE(first->OpenTrafficLog());
  first->CloseTrafficLog();
  auto reader = Make(LogProgram::Interactive, true);
  ASSERT_TRUE(reader->OpenTrafficLog());
  auto owner = Make(LogProgram::Service, false);
  EXPECT_TRUE(owner->OpenTrafficLog());
}

TEST_F(TrafficLogSharingTest, ASecondOwnerIsRefused) {
  auto first = Make(LogProgram::Interactive, false);
  ASSERT_TRUE(first->OpenTrafficLog());
  auto service = Make(LogProgram::Service, false);
  EXPECT_FALSE(service->OpenTrafficLog());
  auto other = Make(LogProgram::Interactive, false);  // no service to stop: it gives up
  EXPECT_FALSE(other->OpenTrafficLog());
  first->CloseTrafficLog();
  EXPECT_TRUE(service->OpenTrafficLog());
}

TEST_F(TrafficLogSharingTest, AReaderRefusesABadHeaderAndLeavesTheFileAlone) {
  std::string bad = "NTSL";
  bad += std::string("\x01\x00\x00\x00", 4) + std::string(16, '\0');
  ASSERT_TRUE(test::WriteFileBytes(m_path, bad));
  auto reader = Make(LogProgram::Interactive, true);
  EXPECT_FALSE(reader->OpenTrafficLog());
  EXPECT_FALSE(reader->IsOpen());
  EXPECT_EQ(test::ReadFileBytes(m_path), bad);
  EXPECT_FALSE(SystemFileSystem().Exists(m_path + L".damaged"));
}

TEST_F(TrafficLogSharingTest, TheOwnersRepairKeepsTheDamagedFileBesideTheLog) {
  std::string bad = "definitely not a log";
  ASSERT_TRUE(test::WriteFileBytes(m_path, bad));
  auto owner = Make(LogProgram::Service, false);
  ASSERT_TRUE(owner->OpenTrafficLog());
  EXPECT_EQ(owner->DamagedCopyPath(), m_path + L".damaged");
  EXPECT_EQ(test::ReadFileBytes(m_path + L".damaged"), bad);
  EXPECT_EQ(test::ReadFileBytes(m_path).size(), kLogHeaderSize);
}

}  // namespace
}  // namespace vantrel
