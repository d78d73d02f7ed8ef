// Opening the traffic log: fresh headers, the old summary's import, repair of a bad header
// (with the damaged file kept), the reader's refusal, and stopping a service that holds it.
#include <gtest/gtest.h>

#include <functional>

#include "platform/memory_settings_store.h"
#include "settings/settings_keys.h"
#include "tests/support/fakes.h"
#include "tests/unit/trafficlog/log_test_util.h"
#include "tests/unit/trafficlog/memory_files.h"
#include "trafficlog/traffic_log.h"

namespace vantrel {
namespace {

using test::HeaderBytes;
using test::OldRecordBytes;
using test::ReadFileBytes;
using test::RecordBytes;
using test::RecordsOf;

// Native tests see Windows-style paths through the file seam; std::filesystem needs slashes.
std::wstring Native(std::wstring p) {
#ifndef _WIN32
  for (wchar_t& c : p)
    if (c == L'\\') c = L'/';
#endif
  return p;
}

class FakeService : public IServiceState {
 public:
  int32_t QueryServiceState(const std::wstring& name) override {
    ++queries;
    lastName = name;
    return state;
  }
  bool StopServiceAndWait(const std::wstring&) override {
    ++stops;
    if (onStop) onStop();
    return true;
  }
  int32_t state = kServiceNoAnswer;
  int queries = 0;
  int stops = 0;
  std::wstring lastName;
  std::function<void()> onStop;
};

class TrafficLogOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SystemFileSystem().MakeDirectory(m_docs));
    ASSERT_TRUE(SystemFileSystem().MakeDirectory(m_program.substr(0, m_program.size() - 1)));
  }
  std::unique_ptr<TrafficLog> MakeLog(LogProgram program = LogProgram::Interactive, bool serviceMode = false) {
    auto log = std::make_unique<TrafficLog>(program, SystemFileSystem(), m_settings, m_folders, &m_adapters,
                                            m_service);
    log->SetServiceMode(serviceMode);
    log->LocateTrafficLog();
    return log;
  }
  std::wstring DefaultPath() const { return m_docs + L"\\OrlixVantrel\\TrafficHistory.log"; }
  std::wstring SumPath() const { return m_docs + L"\\OrlixVantrel\\sum.log"; }
  std::string Bytes(const std::wstring& p) const { return ReadFileBytes(Native(p)); }
  bool Put(const std::wstring& p, const std::string& b) const { return test::WriteFileBytes(Native(p), b); }
  // Makes the default log folder and a file at the default path.
  void PutLog(const std::string& b) {
    SystemFileSystem().MakeDirectory(m_docs + L"\\OrlixVantrel");
    ASSERT_TRUE(Put(DefaultPath(), b));
  }

  test::TempDir m_dir;
  std::wstring m_docs = m_dir.Path() + L"docs";
  std::wstring m_program = m_dir.Path() + L"prog" + m_dir.Path().substr(m_dir.Path().size() - 1);
  MemorySettingsStore m_settings;
  test::FakeAdapterSource m_adapters;
  FixedKnownFolders m_folders{m_program, m_docs};
  FakeService m_service;
};

TEST_F(TrafficLogOpenTest, ANewLogIsCreatedWithAFreshHeaderOnly) {
  auto log = MakeLog();
  ASSERT_EQ(log->Path(), DefaultPath());
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(log->Access(), LogAccess::Owner);
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
  EXPECT_TRUE(log->DamagedCopyPath().empty());
}

TEST_F(TrafficLogOpenTest, AnExistingEmptyFileGetsAFreshHeader) {
  PutLog("");
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, AnEmptyLogTakesTheOldSummaryBesideItConverted) {
  m_adapters.Add("{abc-def-0001}", 1);
  m_adapters.Add("eth0", 2);
  const uint8_t* longName = m_adapters.Find(1)->info.address;
  const uint8_t* shortName = m_adapters.Find(2)->info.address;
  LocalTime d1 = test::Day(2009, 12, 30), d2 = test::Day(2009, 12, 31);
  uint8_t unknown[8] = {0xDE, 0xAD, 0xBE, 0xEF, 0, 1, 0, 0};
  std::string sum = OldRecordBytes(d1, 100, nullptr, 1000, 2000) + OldRecordBytes(d1, 200, nullptr, 30, 40) +
                    OldRecordBytes(d1, 300, shortName, 500, 600) +
                    OldRecordBytes(d2, 300, unknown, 7, 8) +
                    OldRecordBytes(d2, 300, longName, 900, 950) + std::string(17, 'x');
  PutLog("");
  ASSERT_TRUE(Put(SumPath(), sum));

  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());

  std::string bytes = Bytes(DefaultPath());
  ASSERT_EQ(bytes.size(), kLogHeaderSize + 4 * kLogRecordSize);
  EXPECT_EQ(bytes.substr(0, kLogHeaderSize), HeaderBytes());
  auto records = RecordsOf(bytes);
  EXPECT_EQ(records[0].kind, 100u);
  EXPECT_EQ(records[0].Id(), "");
  EXPECT_EQ(records[0].date(), (Date{2009, 12, 30}));
  EXPECT_EQ(records[0].dayOfWeek, d1.dayOfWeek);
  EXPECT_EQ(records[0].down, 1000u);
  EXPECT_EQ(records[0].up, 2000u);
  EXPECT_EQ(records[1].kind, 200u);
  EXPECT_EQ(records[1].down, 30u);
  EXPECT_EQ(records[2].kind, 300u);
  EXPECT_EQ(records[2].Id(), "1213141516170000");  // a short name: the 8 address bytes in hex
  EXPECT_EQ(records[2].up, 600u);
  // The record of the unknown address is dropped.
  EXPECT_EQ(records[3].kind, 300u);
  EXPECT_EQ(records[3].Id(), "{ABC-DEF-0001}");
  EXPECT_EQ(records[3].date(), (Date{2009, 12, 31}));
  EXPECT_EQ(records[3].down, 900u);
  EXPECT_EQ(Bytes(SumPath()), sum);  // the old file stays as it was
}

TEST_F(TrafficLogOpenTest, TheOldSummaryIsLeftOutWhenTheAdapterTableCannotBeRead) {
  PutLog("");
  ASSERT_TRUE(Put(SumPath(), OldRecordBytes(test::Day(2009, 1, 1), 100, nullptr, 1, 2)));
  m_adapters.SetTableFails(true);
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, TheOldSummaryIsLeftOutWhenThePathCameFromTheSettings) {
  PutLog("");
  ASSERT_TRUE(Put(SumPath(), OldRecordBytes(test::Day(2009, 1, 1), 100, nullptr, 1, 2)));
  WriteString(m_settings, SettingsRoot::CurrentUser, keys::kOptions, keys::kTrafficLogFile, DefaultPath());
  auto log = MakeLog();
  ASSERT_TRUE(log->PathFromSettings());
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, TheOldSummaryIsLeftOutOnceTheLogHasAHeader) {
  PutLog(HeaderBytes());
  ASSERT_TRUE(Put(SumPath(), OldRecordBytes(test::Day(2009, 1, 1), 100, nullptr, 1, 2)));
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, TheServiceNeverImportsTheOldSummary) {
  ASSERT_TRUE(Put(m_program + L"sum.log", OldRecordBytes(test::Day(2009, 1, 1), 100, nullptr, 1, 2)));
  auto log = MakeLog(LogProgram::Service);
  ASSERT_EQ(log->Path(), m_program + L"TrafficHistory.log");
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(log->Path()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, AVersionOneFileIsEmptiedByTheOwnerAfterItWasKeptBesideTheLog) {
  LocalTime day = test::Day(2010, 3, 7);
  std::string old = HeaderBytes(1) + RecordBytes(day, 100, "", 5, 6) + RecordBytes(day, 300, "ETH", 7, 8);
  PutLog(old);
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
  EXPECT_EQ(log->DamagedCopyPath(), DefaultPath() + L".damaged");
  EXPECT_EQ(Bytes(DefaultPath() + L".damaged"), old);

  // A second damaged file does not replace the first copy.
  log->CloseTrafficLog();
  std::string other = "not a traffic log at all";
  ASSERT_TRUE(Put(DefaultPath(), other));
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(log->DamagedCopyPath(), DefaultPath() + L".damaged.1");
  EXPECT_EQ(Bytes(DefaultPath() + L".damaged.1"), other);
  EXPECT_EQ(Bytes(DefaultPath() + L".damaged"), old);
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, ARepairedLogGetsNoImport) {
  PutLog(HeaderBytes(1));
  ASSERT_TRUE(Put(SumPath(), OldRecordBytes(test::Day(2009, 1, 1), 100, nullptr, 1, 2)));
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
}

TEST_F(TrafficLogOpenTest, BadHeadersAreRepairedByTheOwnerAndRefusedByTheReader) {
  std::string random;
  uint32_t x = 12345;
  for (int i = 0; i < 5000; ++i) {
    x = x * 1103515245u + 12345u;
    random.push_back(static_cast<char>(x >> 24));
  }
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"version 1", HeaderBytes(1)},
      {"version 3 with a record", HeaderBytes(3) + RecordBytes(test::Day(2010, 1, 1), 100, "", 1, 1)},
      {"wrong magic", "NTSX" + HeaderBytes().substr(4)},
      {"magic only", "NTSL"},
      {"23 bytes of a header", HeaderBytes().substr(0, 23)},
      {"random bytes", random},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutLog(c.bytes);
    auto reader = MakeLog(LogProgram::Interactive, true);
    EXPECT_FALSE(reader->OpenTrafficLog());
    EXPECT_FALSE(reader->IsOpen());
    EXPECT_EQ(Bytes(DefaultPath()), c.bytes);
    reader.reset();

    auto owner = MakeLog();
    ASSERT_TRUE(owner->OpenTrafficLog());
    EXPECT_EQ(Bytes(DefaultPath()), HeaderBytes());
    EXPECT_EQ(Bytes(owner->DamagedCopyPath()), c.bytes);
    owner.reset();
    SystemFileSystem().Remove(DefaultPath() + L".damaged");
  }
}

TEST_F(TrafficLogOpenTest, TheReaderOpensAGoodLogWithoutChangingIt) {
  std::string good = HeaderBytes() + RecordBytes(test::Day(2010, 3, 7), 100, "", 1, 2);
  PutLog(good);
  auto reader = MakeLog(LogProgram::Interactive, true);
  ASSERT_TRUE(reader->OpenTrafficLog());
  EXPECT_EQ(reader->Access(), LogAccess::Reader);
  EXPECT_EQ(Bytes(DefaultPath()), good);
}

TEST_F(TrafficLogOpenTest, TheReaderRefusesAMissingOrEmptyFile) {
  auto reader = MakeLog(LogProgram::Interactive, true);
  EXPECT_FALSE(reader->OpenTrafficLog());
  EXPECT_FALSE(SystemFileSystem().Exists(DefaultPath()));
  PutLog("");
  EXPECT_FALSE(reader->OpenTrafficLog());
  EXPECT_EQ(Bytes(DefaultPath()), "");
}

TEST_F(TrafficLogOpenTest, TheOwnerStopsARunningServiceThatHoldsTheLogAndTriesAgain) {
  PutLog(HeaderBytes());
  std::unique_ptr<IFile> held = SystemFileSystem().Open(DefaultPath(), FileMode::Owner);
  ASSERT_TRUE(held);
  m_service.state = kServiceRunning;
  m_service.onStop = [&] {
    held.reset();
    m_service.state = kServiceStopped;
  };
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(m_service.stops, 1);
  EXPECT_EQ(m_service.lastName, L"VantrelService");
}

TEST_F(TrafficLogOpenTest, TheOwnerAlsoStopsAStartPendingService) {
  PutLog(HeaderBytes());
  std::unique_ptr<IFile> held = SystemFileSystem().Open(DefaultPath(), FileMode::Owner);
  ASSERT_TRUE(held);
  m_service.state = kServiceStartPending;
  int stopsBeforeRelease = 2;
  m_service.onStop = [&] {
    if (--stopsBeforeRelease == 0) held.reset();
  };
  auto log = MakeLog();
  ASSERT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(m_service.stops, 2);
}

TEST_F(TrafficLogOpenTest, TheOwnerGivesUpWhenTheServiceIsNotTheOneHoldingTheLog) {
  PutLog(HeaderBytes());
  std::unique_ptr<IFile> held = SystemFileSystem().Open(DefaultPath(), FileMode::Owner);
  ASSERT_TRUE(held);
  for (int32_t state : {kServiceNoAnswer, kServiceStopped, kServiceStopPending}) {
    SCOPED_TRACE(state);
    m_service.state = state;
    m_service.stops = 0;
    auto log = MakeLog();
    EXPECT_FALSE(log->OpenTrafficLog());
    EXPECT_EQ(m_service.stops, 0);
  }
}

TEST_F(TrafficLogOpenTest, TheOwnerStopsAServiceThatKeepsTheLogOnlyABoundedNumberOfTimes) {
  PutLog(HeaderBytes());
  std::unique_ptr<IFile> held = SystemFileSystem().Open(DefaultPath(), FileMode::Owner);
  ASSERT_TRUE(held);
  m_service.state = kServiceRunning;  // it says it runs and never lets go
  auto log = MakeLog();
  EXPECT_FALSE(log->OpenTrafficLog());
  EXPECT_EQ(m_service.stops, kMaxServiceStopAttempts);
}

TEST_F(TrafficLogOpenTest, TheServiceProgramNeverAsksTheServiceControl) {
  std::unique_ptr<IFile> held = SystemFileSystem().Open(m_program + L"TrafficHistory.log", FileMode::Owner);
  ASSERT_TRUE(held);
  m_service.state = kServiceRunning;
  auto log = MakeLog(LogProgram::Service);
  EXPECT_FALSE(log->OpenTrafficLog());
  EXPECT_EQ(m_service.queries, 0);
}

TEST_F(TrafficLogOpenTest, NoServiceStateAnswersNotInstalled) {
  EXPECT_EQ(NoServiceState().QueryServiceState(L"VantrelService"), kServiceNoAnswer);
  EXPECT_FALSE(NoServiceState().StopServiceAndWait(L"VantrelService"));
}

// Faults the real file system cannot be made to show.
class TrafficLogOpenFaultTest : public ::testing::Test {
 protected:
  std::unique_ptr<TrafficLog> MakeLog(bool serviceMode = false) {
    auto log = std::make_unique<TrafficLog>(LogProgram::Interactive, m_files, m_settings, m_folders, &m_adapters);
    log->SetServiceMode(serviceMode);
    log->ChangeLogPath(kPath);
    return log;
  }
  const std::wstring kPath = L"C:\\logs\\TrafficHistory.log";
  test::MemoryFileSystem m_files;
  MemorySettingsStore m_settings;
  test::FakeAdapterSource m_adapters;
  FixedKnownFolders m_folders{L"C:\\prog\\", std::nullopt};
};

TEST_F(TrafficLogOpenFaultTest, ADamagedFileThatCannotBeKeptIsNotDestroyed) {
  std::string damaged = HeaderBytes(1) + RecordBytes(test::Day(2010, 3, 7), 100, "", 5, 6);
  m_files.Put(kPath, damaged);
  m_files.Put(kPath + L".damaged.1", "an older copy");
  auto log = MakeLog();
  m_files.faults.writeBudget = 100;  // the copy runs out of room
  EXPECT_FALSE(log->OpenTrafficLog());
  EXPECT_FALSE(log->IsOpen());
  EXPECT_EQ(m_files.Bytes(kPath), damaged);
  EXPECT_FALSE(m_files.Has(kPath + L".damaged"));  // the partial copy is removed
  EXPECT_EQ(m_files.Bytes(kPath + L".damaged.1"), "an older copy");
}

TEST_F(TrafficLogOpenFaultTest, ADamagedFileWhoseCopyCannotBeCreatedStaysAsItIs) {
  std::string damaged = "garbage";
  m_files.Put(kPath, damaged);
  m_files.refuseOpen.insert(kPath + L".damaged");
  auto log = MakeLog();
  EXPECT_FALSE(log->OpenTrafficLog());
  EXPECT_EQ(m_files.Bytes(kPath), damaged);
}

TEST_F(TrafficLogOpenFaultTest, AHeaderThatCannotBeWrittenFailsTheOpen) {
  auto log = MakeLog();
  m_files.faults.failWrites = true;
  EXPECT_FALSE(log->OpenTrafficLog());
  EXPECT_FALSE(log->IsOpen());
  m_files.faults.failWrites = false;
  EXPECT_TRUE(log->OpenTrafficLog());
  EXPECT_EQ(m_files.Bytes(kPath), HeaderBytes());
}

TEST_F(TrafficLogOpenFaultTest, ALogWithoutAPathDoesNotOpen) {
  TrafficLog log(LogProgram::Interactive, m_files, m_settings, m_folders, &m_adapters);
  EXPECT_FALSE(log.OpenTrafficLog());
  EXPECT_EQ(m_files.opens, 0);
}

TEST_F(TrafficLogOpenFaultTest, TheCustomPathRetryStoresThePathOpensAndLoads) {
  auto log = MakeLog();
  m_files.refuseOpen.insert(kPath);
  ASSERT_FALSE(log->OpenTrafficLog());
  const std::wstring custom = L"D:\\mine\\traffic.log";
  LocalTime today = test::Day(2010, 3, 7);
  m_files.Put(custom, HeaderBytes() + RecordBytes(today, 100, "", 11, 22));
  MonitoredList list = test::MakeList();
  ASSERT_TRUE(log->RetryWithCustomPath(custom, list, today));
  EXPECT_EQ(log->Path(), custom);
  std::wstring stored;
  ReadString(m_settings, SettingsRoot::CurrentUser, keys::kOptions, keys::kTrafficLogFile, 520, &stored);
  EXPECT_EQ(stored, custom);
  EXPECT_EQ(list.All().todayDown, 11u);
  EXPECT_EQ(list.All().todayOffset, static_cast<int32_t>(kLogHeaderSize));
}

}  // namespace
}  // namespace vantrel
