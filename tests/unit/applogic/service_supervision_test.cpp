// Keeping the service mode true: what the program does for every state the service control
// manager can report, and the arithmetic of taking the log over from the service, with both
// programs counting a scripted adapter into one real log file.
#include "app/logic/service_supervision.h"

#include <gtest/gtest.h>

#include "engine/monitored_list_io.h"
#include "platform/file.h"
#include "platform/memory_settings_store.h"
#include "platform/paths.h"
#include "settings/options.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

using Step = SupervisionStep;

// What follows for every state, for the two writers and whether the service could be started.
struct Row {
  int32_t state;
  Step readerStartable, readerNotStartable;    // the service writes the log (this program reads)
  Step ownerStartable, ownerNotStartable;      // this program writes it, the mode still on
};

TEST(ServiceSupervision, EveryStateTheManagerCanReportLeadsToOneWriterOfTheLog) {
  const Row rows[] = {
      // Gone: the mode is off in fact.
      {kServiceNotInstalled, Step::SwitchOff, Step::SwitchOff, Step::SwitchOff, Step::SwitchOff},
      // No answer: only the file can tell whether anyone writes it; an owner keeps it.
      {kServiceNoAnswer, Step::ProbeLog, Step::ProbeLog, Step::None, Step::None},
      // Stopped: started when it can be (the log handed back first), else the program counts.
      {kServiceStopped, Step::StartService, Step::TakeLog, Step::HandBackAndStart, Step::None},
      // Starting: it is about to open the log.
      {kServiceStartPending, Step::None, Step::None, Step::None, Step::None},
      // Said to stop, to run, or to be paused: the SCM's word is checked against the file.
      {kServiceStopPending, Step::ProbeLog, Step::ProbeLog, Step::None, Step::None},
      {kServiceRunning, Step::ProbeLog, Step::ProbeLog, Step::None, Step::None},
      {5 /* continue pending */, Step::ProbeLog, Step::ProbeLog, Step::None, Step::None},
      {6 /* pause pending */, Step::ProbeLog, Step::ProbeLog, Step::None, Step::None},
      {7 /* paused */, Step::ProbeLog, Step::ProbeLog, Step::None, Step::None},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PlanServiceSupervision(LogWriter::Service, {r.state, true}), r.readerStartable) << r.state;
    EXPECT_EQ(PlanServiceSupervision(LogWriter::Service, {r.state, false}), r.readerNotStartable) << r.state;
    EXPECT_EQ(PlanServiceSupervision(LogWriter::Program, {r.state, true}), r.ownerStartable) << r.state;
    EXPECT_EQ(PlanServiceSupervision(LogWriter::Program, {r.state, false}), r.ownerNotStartable) << r.state;
  }
}

TEST(ServiceSupervision, TheNoticesSayWhatHappened) {
  EXPECT_STREQ(kServiceNotRunningNotice,
               L"Vantrel Service is not running. Vantrel counts the traffic itself until the service runs again.");
  EXPECT_STREQ(kServiceNotInstalledNotice,
               L"Vantrel Service is not installed. The service mode is now off and Vantrel counts the traffic "
               L"itself.");
}

// The interactive program reads the log while the service owns it; both count the same
// scripted adapter, one tick each per second.
class LogHandOverTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kEth = 1;

  LogHandOverTest() : m_folders(m_dir.Path(), std::nullopt) {
    m_adapters.Add("{ETH-0000-TEST-ADAPTER}", kEth);
    m_path = m_dir.File(L"TrafficHistory.log");
    WriteTrafficLogFile(m_settings, SettingsRoot::LocalMachine, m_path);
    WriteTrafficLogFile(m_settings, SettingsRoot::CurrentUser, m_path);

    m_serviceLog.LocateTrafficLog();
    EXPECT_TRUE(m_serviceLog.OpenTrafficLog());
    LoadMonitoredList(m_settings, SettingsRoot::LocalMachine, m_adapters, ListOwner::Service, &m_serviceList);
    m_serviceTick.settings().serviceVariant = true;
    m_serviceLog.LoadTodayTotals(m_serviceList, m_clock.Now());

    m_programLog.SetServiceMode(true);
    m_programLog.LocateTrafficLog();
    EXPECT_TRUE(m_programLog.OpenTrafficLog());
    EXPECT_EQ(m_programLog.Access(), LogAccess::Reader);
    LoadMonitoredList(m_settings, SettingsRoot::CurrentUser, m_adapters, ListOwner::Interactive, &m_programList);
    m_programLog.LoadTodayTotals(m_programList, m_clock.Now());
  }

  // The adapter's counters move on, then a second passes.
  void Traffic(uint64_t down) {
    m_adapters.Move(kEth, down, down / 10);
    m_clock.Advance(1);
  }
  void StopService() {
    m_serviceLog.WriteTodayRecords(m_serviceList, m_clock.Now());
    m_serviceLog.CloseTrafficLog();
  }
  // Today's download total of the adapter and of All Connections in the log.
  std::pair<uint64_t, uint64_t> Logged() {
    TrafficLog reader(LogProgram::Interactive, SystemFileSystem(), m_settings, m_folders, &m_adapters);
    reader.SetServiceMode(true);
    reader.LocateTrafficLog();
    EXPECT_TRUE(reader.OpenTrafficLog());
    MonitoredList list;
    LoadMonitoredList(m_settings, SettingsRoot::CurrentUser, m_adapters, ListOwner::Interactive, &list);
    reader.LoadTodayTotals(list, m_clock.Now());
    return {list.FindReal("{ETH-0000-TEST-ADAPTER}")->todayDown, list.All().todayDown};
  }
  uint64_t ProgramCounted() { return m_programList.FindReal("{ETH-0000-TEST-ADAPTER}")->todayDown; }

  test::TempDir m_dir;
  std::wstring m_path;
  MemorySettingsStore m_settings;
  FixedKnownFolders m_folders;
  test::FakeClock m_clock{MakeLocalTime(2010, 3, 10, 10, 0, 5)};
  test::FakeAdapterSource m_adapters;
  ITickHooks m_noHooks;
  TrafficLog m_serviceLog{LogProgram::Service, SystemFileSystem(), m_settings, m_folders, nullptr};
  MonitoredList m_serviceList;
  SamplingTick m_serviceTick{m_serviceList, m_adapters, m_clock, m_noHooks};
  TrafficLog m_programLog{LogProgram::Interactive, SystemFileSystem(), m_settings, m_folders, &m_adapters};
  MonitoredList m_programList;
  SamplingTick m_programTick{m_programList, m_adapters, m_clock, m_noHooks};
};

TEST_F(LogHandOverTest, SecondsTheServiceCountedAfterTheProgramsLastTickAreNotCountedAgain) {
  Traffic(1000);
  m_programTick.Run();
  m_serviceTick.Run();
  Traffic(300);  // after the program's last tick, counted by the service before it stops
  m_serviceTick.Run();
  StopService();

  ASSERT_TRUE(TakeTodayFromLog(m_programLog, m_programList, m_programTick, m_clock.Now()));
  EXPECT_EQ(m_programLog.Access(), LogAccess::Owner);
  EXPECT_EQ(ProgramCounted(), 1300u);
  Traffic(50);  // after the take-over: the program's next tick counts it
  m_programTick.Run();
  EXPECT_EQ(ProgramCounted(), 1350u);
  EXPECT_EQ(m_programList.All().todayDown, 1350u);
  m_programLog.WriteTodayRecords(m_programList, m_clock.Now());
  EXPECT_EQ(Logged(), std::make_pair(uint64_t{1350}, uint64_t{1350}));
}

TEST_F(LogHandOverTest, AServiceThatDiedWithoutWritingLosesNothingTheProgramCounted) {
  Traffic(1000);
  m_programTick.Run();
  m_serviceTick.Run();
  m_serviceLog.WriteTodayRecords(m_serviceList, m_clock.Now());  // its last write
  Traffic(300);
  m_programTick.Run();
  m_serviceTick.Run();
  m_serviceLog.CloseTrafficLog();  // killed: the 300 never reach the log
  Traffic(40);                     // after the program's last tick, before the take-over

  ASSERT_TRUE(TakeTodayFromLog(m_programLog, m_programList, m_programTick, m_clock.Now()));
  EXPECT_EQ(Logged().first, 1300u) << "today's records are written at once";
  Traffic(60);
  m_programTick.Run();
  EXPECT_EQ(ProgramCounted(), 1400u);
  EXPECT_EQ(m_programList.All().todayDown, 1400u);
}

TEST_F(LogHandOverTest, ADeadServicesLogGetsWhatTheProgramCountedAfterTheServicesLastRecordMoment) {
  HandBackBaseline baseline;
  baseline.Agree(m_programList);  // today's totals loaded from the log at the program's start
  auto recordMoment = [&](bool serviceAlive) {
    if (serviceAlive) m_serviceLog.WriteTodayRecords(m_serviceList, m_clock.Now());
    baseline.NoteRecordMoment(m_programList);
    TodayTotals logged;
    ASSERT_TRUE(m_programLog.ReadTodayTotals(m_programList, m_clock.Now(), &logged));
    baseline.Observe(logged);
  };
  m_serviceTick.Run();
  Traffic(5000);  // the service counted it before the program started, and has not written it
  m_serviceTick.Run();
  m_programTick.Run();
  Traffic(1000);
  m_serviceTick.Run();
  m_programTick.Run();
  recordMoment(true);  // the log holds 6000 while the program has counted 1000
  Traffic(300);
  m_serviceTick.Run();
  m_programTick.Run();
  m_serviceLog.CloseTrafficLog();  // killed: its 300 never reach the log
  Traffic(40);
  m_programTick.Run();
  recordMoment(false);  // nothing written: the service is gone, the pair stays
  Traffic(20);          // after the program's last tick, before the take-over

  ASSERT_TRUE(TakeTodayFromLog(m_programLog, m_programList, m_programTick, m_clock.Now(), &baseline));
  EXPECT_EQ(ProgramCounted(), 6340u);
  Traffic(60);
  m_programTick.Run();
  EXPECT_EQ(ProgramCounted(), 6420u) << "the program's own readings go on: the 20 and the 60";
  m_programLog.WriteTodayRecords(m_programList, m_clock.Now());
  EXPECT_EQ(Logged(), std::make_pair(uint64_t{6420}, uint64_t{6420}));
}

}  // namespace
}  // namespace vantrel
