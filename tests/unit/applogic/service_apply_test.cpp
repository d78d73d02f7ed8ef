#include "app/logic/service_apply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_settings_store.h"
#include "settings/settings_keys.h"

namespace vantrel {
namespace {

using Steps = std::vector<std::string>;

// Records every step; the SCM answers with the state the test gives.
class RecordingSteps : public IServiceApplySteps {
 public:
  explicit RecordingSteps(int32_t state) : m_state(state) {}
  Steps steps;

  void WriteTodayRecords() override { steps.push_back("WriteTodayRecords"); }
  void WriteServiceKey(SettingsRoot root) override {
    steps.push_back(root == SettingsRoot::CurrentUser ? "WriteServiceKey(user)" : "WriteServiceKey(machine)");
  }
  void WriteMachineLogPath() override { steps.push_back("MachineLogPath"); }
  void SaveMachineOptionGroups() override { steps.push_back("MachineOptions"); }
  void SaveMachineAdapters() override { steps.push_back("MachineAdapters"); }
  void SaveMachineEmailSettings() override { steps.push_back("MachineEmail"); }
  void CloseRateFiles() override { steps.push_back("CloseRateFiles"); }
  void ReopenLogAsReader() override { steps.push_back("LogAsReader"); }
  int32_t QueryServiceState() override {
    steps.push_back("Query");
    return m_state;
  }
  bool InstallService() override {
    steps.push_back("Install");
    return true;
  }
  bool StartServiceAndWait() override {
    steps.push_back("Start");
    return true;
  }
  bool StopServiceAndWait() override {
    steps.push_back("Stop");
    return true;
  }
  bool RemoveService() override {
    steps.push_back("Remove");
    return true;
  }
  void ReopenLogAsOwner() override { steps.push_back("LogAsOwner"); }
  void PrepareNotification() override { steps.push_back("PrepareNotification"); }
  void PrepareRateRecording() override { steps.push_back("PrepareRecording"); }

 private:
  int32_t m_state;
};

Steps Apply(bool wasOn, bool nowOn, int32_t state, bool notification = false, bool recordInService = false) {
  ServiceSettings settings;
  settings.key.enabled = wasOn ? 1 : 0;
  ServicePageData page;
  page.enabled = nowOn;
  page.recordInService = recordInService;
  RecordingSteps steps(state);
  ApplyServicePage(page, notification, &settings, steps);
  return steps.steps;
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
  ApplyServicePage(page, false, &settings, steps);
  EXPECT_EQ(settings.key.options[0], 1u);
  EXPECT_EQ(settings.key.options[1], 1u);
  EXPECT_EQ(settings.key.options[2], 0u);
  ASSERT_EQ(settings.jobs.size(), 2u);
  EXPECT_EQ(settings.jobs[1].secondsLeft, 0);
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
