#include "app/logic/service_apply.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/memory_settings_store.h"
#include "settings/settings_keys.h"

namespace vantrel {
namespace {

using Steps = std::vector<std::string>;

// Records every step; the SCM answers with the state the test gives, and the steps named in
// `failing` fail.
class RecordingSteps : public IServiceApplySteps {
 public:
  explicit RecordingSteps(int32_t state, std::set<std::string> failing = {})
      : m_state(state), m_failing(std::move(failing)) {}
  Steps steps;

  void WriteTodayRecords() override { steps.push_back("WriteTodayRecords"); }
  bool WriteServiceKey(SettingsRoot root) override {
    return Did(root == SettingsRoot::CurrentUser ? "WriteServiceKey(user)" : "WriteServiceKey(machine)");
  }
  bool WriteMachineLogPath() override { return Did("MachineLogPath"); }
  void SaveMachineOptionGroups() override { steps.push_back("MachineOptions"); }
  void SaveMachineAdapters() override { steps.push_back("MachineAdapters"); }
  bool SaveMachineEmailSettings() override { return Did("MachineEmail"); }
  void CloseRateFiles() override { steps.push_back("CloseRateFiles"); }
  void ReopenLogAsReader() override { steps.push_back("LogAsReader"); }
  int32_t QueryServiceState() override {
    steps.push_back("Query");
    return m_state;
  }
  bool InstallService() override { return Did("Install"); }
  bool StartServiceAndWait() override { return Did("Start"); }
  bool StopServiceAndWait() override { return Did("Stop"); }
  bool RemoveService() override { return Did("Remove"); }
  void ReopenLogAsOwner() override { steps.push_back("LogAsOwner"); }
  void PrepareNotification() override { steps.push_back("PrepareNotification"); }
  void PrepareRateRecording() override { steps.push_back("PrepareRecording"); }

 private:
  bool Did(const std::string& step) {
    steps.push_back(step);
    return m_failing.count(step) == 0;
  }
  int32_t m_state;
  std::set<std::string> m_failing;
};

Steps Apply(bool wasOn, bool nowOn, int32_t state, bool notification = false, bool recordInService = false,
            bool programOwnsLog = false) {
  ServiceSettings settings;
  settings.key.enabled = wasOn ? 1 : 0;
  ServicePageData page;
  page.enabled = nowOn;
  page.recordInService = recordInService;
  RecordingSteps steps(state);
  ApplyServicePage(page, notification, programOwnsLog, &settings, steps);
  return steps.steps;
}

// The failures of an apply whose steps named in `failing` fail.
ServiceApplyFailures Failures(bool wasOn, bool nowOn, int32_t state, std::set<std::string> failing,
                              Steps* steps = nullptr) {
  ServiceSettings settings;
  settings.key.enabled = wasOn ? 1 : 0;
  ServicePageData page;
  page.enabled = nowOn;
  RecordingSteps recording(state, std::move(failing));
  ServiceApplyFailures f = ApplyServicePage(page, true, false, &settings, recording);
  if (steps) *steps = recording.steps;
  return f;
}

const Steps kSwitchOnPrefix = {"WriteTodayRecords", "WriteServiceKey(user)", "MachineLogPath",
                               "WriteServiceKey(machine)", "MachineOptions", "MachineAdapters",
                               "LogAsReader", "Query"};

Steps Concat(Steps a, const Steps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(ServiceApply, SwitchingOnHandsTheLogOverThenInstallsOrStartsAsTheStateRequires) {
  EXPECT_EQ(Apply(false, true, kServiceNoAnswer), Concat(kSwitchOnPrefix, {"Install", "Start"}));
  EXPECT_EQ(Apply(false, true, kServiceNotInstalled), Concat(kSwitchOnPrefix, {"Install", "Start"}));
  EXPECT_EQ(Apply(false, true, kServiceStopped), Concat(kSwitchOnPrefix, {"Start"}));
  EXPECT_EQ(Apply(false, true, kServiceStopPending), Concat(kSwitchOnPrefix, {"Start"}));
  // A service that is starting or running keeps its old settings until it is restarted.
  EXPECT_EQ(Apply(false, true, kServiceStartPending), kSwitchOnPrefix);
  EXPECT_EQ(Apply(false, true, kServiceRunning), kSwitchOnPrefix);
}

TEST(ServiceApply, StillOnRewritesBothHivesWithoutTouchingTheLog) {
  const Steps stillOn = {"WriteServiceKey(user)", "MachineLogPath", "WriteServiceKey(machine)",
                         "MachineOptions",        "MachineAdapters", "Query"};
  EXPECT_EQ(Apply(true, true, kServiceRunning), stillOn);
  EXPECT_EQ(Apply(true, true, kServiceStartPending), stillOn);
  EXPECT_EQ(Apply(true, true, kServiceStopped), Concat(stillOn, {"Start"}));
  EXPECT_EQ(Apply(true, true, kServiceStopPending), Concat(stillOn, {"Start"}));
  EXPECT_EQ(Apply(true, true, kServiceNoAnswer), Concat(stillOn, {"Install", "Start"}));
}

TEST(ServiceApply, StillOnWhileTheProgramCountsItselfTheLogGoesBackOnlyRightBeforeAStart) {
  const Steps stillOn = {"WriteServiceKey(user)", "MachineLogPath", "WriteServiceKey(machine)",
                         "MachineOptions",        "MachineAdapters", "Query"};
  // The service must not find the log held by this program; its rate files go with the log.
  EXPECT_EQ(Apply(true, true, kServiceStopped, false, true, true),
            Concat(stillOn, {"CloseRateFiles", "LogAsReader", "Start"}));
  EXPECT_EQ(Apply(true, true, kServiceNotInstalled, false, false, true),
            Concat(stillOn, {"LogAsReader", "Install", "Start"}));
  // Said to run (or starting) while this program holds the log: nothing is started, the log
  // and the rate files stay where they are.
  EXPECT_EQ(Apply(true, true, kServiceRunning, false, true, true), stillOn);
}

TEST(ServiceApply, EmailSettingsAndRateFilesFollowTheirSwitches) {
  Steps s = Apply(true, true, kServiceRunning, true, true);
  EXPECT_EQ(s, (Steps{"WriteServiceKey(user)", "MachineLogPath", "WriteServiceKey(machine)", "MachineOptions",
                      "MachineAdapters", "MachineEmail", "CloseRateFiles", "Query"}));
}

TEST(ServiceApply, SwitchingOffStopsOnlyARunningOrStartingServiceThenTakesTheLogBack) {
  const Steps tail = {"Remove", "LogAsOwner", "PrepareRecording"};
  EXPECT_EQ(Apply(true, false, kServiceRunning), Concat({"WriteServiceKey(user)", "Query", "Stop"}, tail));
  EXPECT_EQ(Apply(true, false, kServiceStartPending), Concat({"WriteServiceKey(user)", "Query", "Stop"}, tail));
  for (int32_t state : {kServiceNoAnswer, kServiceStopped, kServiceStopPending})
    EXPECT_EQ(Apply(true, false, state), Concat({"WriteServiceKey(user)", "Query"}, tail)) << state;
  // Nothing to remove when the service is not there.
  EXPECT_EQ(Apply(true, false, kServiceNotInstalled), (Steps{"WriteServiceKey(user)", "Query", "LogAsOwner",
                                                             "PrepareRecording"}));
  EXPECT_EQ(Apply(true, false, kServiceStopped, true),
            (Steps{"WriteServiceKey(user)", "Query", "Remove", "LogAsOwner", "PrepareNotification",
                   "PrepareRecording"}));
}

TEST(ServiceApply, OffBeforeAndAfterWritesOnlyThePerUserKey) {
  for (int32_t state : {kServiceNoAnswer, kServiceStopped, kServiceStartPending, kServiceStopPending, kServiceRunning})
    EXPECT_EQ(Apply(false, false, state, true, true), Steps{"WriteServiceKey(user)"}) << state;
}

TEST(ServiceApply, TakesThePageValuesWithTheFirstOptionOne) {
  ServiceSettings settings;
  settings.key.options[0] = 0;
  ServicePageData page;
  page.enabled = false;
  page.notifyInService = true;
  page.jobs.resize(2);
  page.jobs[1].secondsLeft = 17;
  RecordingSteps steps(kServiceNoAnswer);
  ApplyServicePage(page, false, false, &settings, steps);
  EXPECT_EQ(settings.key.options[0], 1u);
  EXPECT_EQ(settings.key.options[1], 1u);
  EXPECT_EQ(settings.key.options[2], 0u);
  ASSERT_EQ(settings.jobs.size(), 2u);
  EXPECT_EQ(settings.jobs[1].secondsLeft, 0);
}

TEST(ServiceApply, EveryFailureIsCollectedAndTheRestStillHappens) {
  EXPECT_FALSE(Failures(false, true, kServiceNoAnswer, {}).Any());

  // No rights: nothing machine-wide was written and the service could not be made.
  Steps steps;
  ServiceApplyFailures f = Failures(false, true, kServiceNotInstalled, {"MachineLogPath", "Install"}, &steps);
  EXPECT_TRUE(f.machineSettings);
  EXPECT_TRUE(f.install);
  EXPECT_FALSE(f.start) << "no start is tried for a service that is not there";
  EXPECT_EQ(steps.back(), "Install");
  EXPECT_TRUE(Failures(true, true, kServiceRunning, {"WriteServiceKey(machine)"}).machineSettings);
  EXPECT_TRUE(Failures(true, true, kServiceRunning, {"MachineEmail"}).machineSettings);
  EXPECT_TRUE(Failures(true, true, kServiceStopped, {"Start"}).start);

  // A service that does not stop is reported; it is removed and the log taken back all the same.
  f = Failures(true, false, kServiceRunning, {"Stop"}, &steps);
  EXPECT_TRUE(f.stop);
  EXPECT_FALSE(f.remove);
  EXPECT_EQ(steps, (Steps{"WriteServiceKey(user)", "Query", "Stop", "Remove", "LogAsOwner", "PrepareNotification",
                          "PrepareRecording"}));
  EXPECT_TRUE(Failures(true, false, kServiceStopped, {"Remove"}).remove);
}

TEST(ServiceApply, TheFailureMessageNamesWhatFailedAndTheRightsNeeded) {
  ServiceApplyFailures all;
  all.machineSettings = all.install = all.start = all.stop = all.remove = true;
  EXPECT_EQ(ServiceApplyFailureText(all, false),
            L"Vantrel could not change the service:\n"
            L"\n- The machine-wide settings could not be written."
            L"\n- Vantrel Service could not be installed."
            L"\n- Vantrel Service could not be stopped."
            L"\n- Vantrel Service could not be removed."
            L"\n- Vantrel Service could not be started."
            L"\n\nChanging the service and its settings needs administrator rights.");
  ServiceApplyFailures start;
  start.start = true;
  EXPECT_EQ(ServiceApplyFailureText(start, true),
            L"Vantrel could not change the service:\n"
            L"\n- Vantrel Service could not be started."
            L"\n\nChanging the service and its settings needs administrator rights."
            L"\n\nDo you want to restart Vantrel as administrator?");
}

TEST(ServiceSettingsStore, WritesTheFirstOptionAsOneAndNoReportsKeyForAnEmptyList) {
  MemorySettingsStore store;
  const auto root = SettingsRoot::LocalMachine;
  ServiceSettings s;
  s.key.enabled = 1;
  s.key.options[0] = 0;
  s.key.options[2] = 1;
  s.jobs.resize(3);
  s.jobs[0].type = kReportDaily;
  s.jobs[0].path = L"C:\\r\\daily.csv";
  s.jobs[2].interval = 5;
  WriteServiceSettings(store, root, s);
  std::vector<uint8_t> options;
  ASSERT_EQ(ReadBinaryExact(store, root, keys::kService, L"ServiceOptions", 12, &options), ReadStatus::Ok);
  EXPECT_EQ(options[0], 1);
  std::vector<std::pair<std::wstring, StoredValue>> values;
  ASSERT_TRUE(store.EnumValues(root, keys::kServiceReports, &values));
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].first, L"Report1");
  EXPECT_EQ(values[2].first, L"Report3");
  EXPECT_EQ(values[0].second.data.size(), kReportJobSize);

  ServiceSettings back = ReadServiceSettings(store, root);
  EXPECT_EQ(back.key.enabled, 1u);
  EXPECT_TRUE(back.key.RecordsInService());
  ASSERT_EQ(back.jobs.size(), 3u);
  EXPECT_EQ(back.jobs[0].path, L"C:\\r\\daily.csv");
  EXPECT_EQ(back.jobs[2].interval, 5);

  // Fewer jobs leave no stale values; none leaves no key at all.
  s.jobs.resize(1);
  WriteServiceSettings(store, root, s);
  EXPECT_EQ(ReadServiceSettings(store, root).jobs.size(), 1u);
  s.jobs.clear();
  WriteServiceSettings(store, root, s);
  EXPECT_FALSE(store.KeyExists(root, keys::kServiceReports));
  EXPECT_TRUE(store.KeyExists(root, keys::kService));
}

}  // namespace
}  // namespace vantrel
