#include "notify/notification.h"

#include <gtest/gtest.h>

#include <functional>
#include <system_error>

#include "notify/beeper.h"

namespace vantrel {
namespace {

NotificationRule Rule(const std::wstring& number, int32_t unit, int32_t direction = 2, int32_t period = 0) {
  NotificationRule r;
  r.version = 3;
  r.kind = 100;
  r.number = number;
  r.unit = unit;
  r.direction = direction;
  r.period = period;
  r.days = 1;
  return r;
}

TEST(ThresholdBytes, ReadsTheLeadingNumberTimesTheUnit) {
  EXPECT_EQ(ThresholdBytes(Rule(L"10", 3)), 10737418240ull);
  EXPECT_EQ(ThresholdBytes(Rule(L".5", 1)), 512u);
  EXPECT_EQ(ThresholdBytes(Rule(L"1.2.3", 0)), 1u);
  EXPECT_EQ(ThresholdBytes(Rule(L"1.2.3", 2)), 1258291u);  // 1.2 MB, truncated
  EXPECT_EQ(ThresholdBytes(Rule(L"", 3)), 0u);
  EXPECT_EQ(ThresholdBytes(Rule(L"7", 9)), 7u);  // an unknown unit counts bytes
  EXPECT_EQ(ThresholdBytes(Rule(L"99999999999999999999999", 4)), UINT64_MAX);
}

TEST(AlertTexts, FollowTheRuleAndTheDateFormat) {
  NotificationRule r = Rule(L"10", 3, 0, 0);
  AdapterEntry e;
  e.kind = kKindAdapter;
  e.displayName = L"LAN";
  e.ip = "10.0.0.10";
  LocalTime today = MakeLocalTime(2008, 3, 8);  // a Saturday
  EmailPlaceholders v = AlertPlaceholders(r, e, 12025908428ull, today, 0, 1, 17, true);
  EXPECT_EQ(v.threshold, L"10 GB");
  EXPECT_EQ(v.direction, L"downloaded");
  EXPECT_EQ(v.adapter, L"LAN [10.0.0.10]");
  EXPECT_EQ(v.period, L"week (03/02/2008 -- 03/08/2008)");
  EXPECT_EQ(v.used, L"11.20 GB");
  r.period = 2;
  r.days = 5;
  r.direction = 2;
  EXPECT_EQ(AlertSentence(r, L"LAN", today, 0, 1, 68),
            L"Dear user, more than 10 GB have been downloaded and uploaded through \"LAN\" in last 5 days "
            L"(2008-03-04 -- 2008-03-08).");
  EXPECT_EQ(RunningTotalLine(1, 2048), L"Uploaded so far: 2.0 KB");
  r.period = 1;
  EXPECT_EQ(PeriodWord(r), L"month");
}

struct FakeActions : IAlertActions {
  int emails = 0, launches = 0, dialogs = 0, saves = 0;
  uint32_t choice = 1;
  int32_t minutes = 5;
  uint64_t lastUsed = 0;
  AlertMonitor* monitor = nullptr;
  AlertState stateDuringDialog = AlertState::Armed;
  std::function<void()> whileOpen;  // what happens while the dialog is up (the tick goes on)
  void SendAlertEmail(uint64_t used) override {
    ++emails;
    lastUsed = used;
  }
  void LaunchProgram(const std::wstring&) override { ++launches; }
  void ShowNotificationDialog(uint32_t* type, int32_t* mins) override {
    ++dialogs;
    if (monitor) stateDuringDialog = monitor->state();
    if (whileOpen) whileOpen();
    *type = choice;
    *mins = minutes;
  }
  void SaveNextAlert(uint32_t, int32_t) override { ++saves; }
};

class AlertMonitorTest : public ::testing::Test {
 protected:
  AlertMonitorTest() {
    m_list.PushBack(AdapterEntry{});
    m_list.All().kind = kKindAllConnections;
    AdapterEntry d;
    d.kind = kKindDialUp;
    m_list.PushBack(std::move(d));
    m_rule = Rule(L"10", 3);
    m_rule.sendEmail = 1;
    m_rule.recipients = L"a@b.com";
    m_rule.runProgram = 1;
    m_rule.programPath = L"C:\\x.exe";
    m_actions.monitor = &m_monitor;
  }
  void Prepare(uint64_t before) {
    m_monitor.Prepare(m_rule, m_list, [before](uint32_t, std::string_view, int, int, int) { return before; });
  }
  MonitoredList m_list;
  NotificationRule m_rule;
  AlertMonitor m_monitor;
  FakeActions m_actions;
};

TEST_F(AlertMonitorTest, AlertsOnlyWhenTheUsedTotalPassesTheThreshold) {
  Prepare(10737418240ull - 100);
  m_list.All().todayDown = 60;
  m_list.All().todayUp = 40;  // exactly the threshold
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 0);
  m_list.All().todayUp = 41;
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.emails, 1);
  EXPECT_EQ(m_actions.lastUsed, 10737418241ull);
  EXPECT_EQ(m_actions.launches, 1);
  EXPECT_EQ(m_actions.dialogs, 1);
  EXPECT_EQ(m_actions.stateDuringDialog, AlertState::DialogOpen);
  EXPECT_EQ(m_monitor.state(), AlertState::Alerted);
  EXPECT_EQ(m_actions.saves, 1);
}

TEST_F(AlertMonitorTest, ReAlertsAfterTheChosenMinutesWithoutASecondEmail) {
  Prepare(20000000000ull);
  m_monitor.CheckNotification(m_rule, false, m_actions);
  ASSERT_EQ(m_actions.dialogs, 1);
  EXPECT_EQ(m_monitor.countdown(), 300);
  for (int i = 0; i < 300; ++i) m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 1);
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 2);
  EXPECT_EQ(m_actions.emails, 1);
  EXPECT_EQ(m_actions.launches, 1);
}

TEST_F(AlertMonitorTest, NeverAgainWaitsForTheNextArming) {
  m_actions.choice = 0;
  Prepare(20000000000ull);
  m_monitor.CheckNotification(m_rule, false, m_actions);
  for (int i = 0; i < 1000; ++i) m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 1);
  Prepare(20000000000ull);  // the next day
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 2);
  EXPECT_EQ(m_actions.emails, 2);
}

TEST_F(AlertMonitorTest, TheServiceSendsTheEmailWhenItIsSetTo) {
  Prepare(20000000000ull);
  m_monitor.CheckNotification(m_rule, true, m_actions);
  EXPECT_EQ(m_actions.emails, 0);
  EXPECT_EQ(m_actions.dialogs, 1);
}

TEST_F(AlertMonitorTest, ADayChangeWhileTheDialogIsOpenReArmsOnlyWhenItCloses) {
  Prepare(20000000000ull);
  AlertState afterPrepare = AlertState::Armed;
  m_actions.whileOpen = [&] {
    m_actions.whileOpen = nullptr;
    Prepare(20000000000ull);  // midnight passes with the dialog up
    afterPrepare = m_monitor.state();
    for (int i = 0; i < 3; ++i) m_monitor.CheckNotification(m_rule, false, m_actions);
  };
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(afterPrepare, AlertState::DialogOpen);
  EXPECT_EQ(m_actions.dialogs, 1);
  EXPECT_EQ(m_actions.emails, 1);
  // Closed: the new day's arming holds, so the next tick gives the day's full alert.
  EXPECT_EQ(m_monitor.state(), AlertState::Armed);
  EXPECT_EQ(m_monitor.countdown(), 0);
  EXPECT_EQ(m_actions.saves, 1);
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 2);
  EXPECT_EQ(m_actions.emails, 2);
  EXPECT_EQ(m_monitor.state(), AlertState::Alerted);
}

TEST_F(AlertMonitorTest, NoWatchedEntryNeverFires) {
  m_rule.kind = 300;
  m_rule.id = "{GONE}";
  Prepare(20000000000ull);
  EXPECT_EQ(m_monitor.prepared().watched, nullptr);
  m_monitor.CheckNotification(m_rule, false, m_actions);
  EXPECT_EQ(m_actions.dialogs, 0);
}

TEST(CtrlN, ShowsTheDialogOnlyWhenAlerted) {
  EXPECT_TRUE(CtrlNShowsDialog(true, AlertState::Alerted));
  EXPECT_FALSE(CtrlNShowsDialog(false, AlertState::Alerted));
  EXPECT_FALSE(CtrlNShowsDialog(true, AlertState::Armed));
}

struct CountingDevice : IBeepDevice {
  std::mutex m;
  int beeps = 0;
  uint32_t lastFrequency = 0;
  void Beep(uint32_t f, uint32_t) override {
    std::lock_guard<std::mutex> l(m);
    ++beeps;
    lastFrequency = f;
  }
  void Pause(uint32_t) override { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }
  int Count() {
    std::lock_guard<std::mutex> l(m);
    return beeps;
  }
};

TEST(Beeper, BeepsTheGivenCountThenForgetsTheJob) {
  CountingDevice device;
  Beeper beeper(device);
  beeper.StartBeeper(900, 200, 5);
  ASSERT_TRUE(beeper.WaitIdle(5000));
  EXPECT_EQ(device.Count(), 5);
  EXPECT_FALSE(beeper.Busy());
}

TEST(Beeper, UntilStoppedAndANewJobReplacesTheOld) {
  CountingDevice device;
  Beeper beeper(device);
  beeper.StartBeeper(400, 100, 0);
  for (int i = 0; i < 500 && device.Count() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_GE(device.Count(), 3);
  beeper.StartBeeper(1600, 100, 0);
  EXPECT_TRUE(beeper.Busy());
  beeper.StopBeeper();
  ASSERT_TRUE(beeper.WaitIdle(5000));
  int after = device.Count();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(device.Count(), after);
}

TEST(Beeper, AJobWhoseThreadCannotStartIsSkippedWithoutThrowing) {
  CountingDevice device;
  bool refuse = true;
  Beeper beeper(device, [&refuse](std::function<void()> run) {
    if (refuse) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    std::thread(std::move(run)).detach();
  });
  bool started = true;
  EXPECT_NO_THROW(started = beeper.StartBeeper(900, 100, 3));
  EXPECT_FALSE(started);
  EXPECT_FALSE(beeper.Busy());
  EXPECT_TRUE(beeper.WaitIdle(0));  // nothing is waited for that never ran
  refuse = false;
  EXPECT_TRUE(beeper.StartBeeper(900, 100, 2));
  ASSERT_TRUE(beeper.WaitIdle(5000));
  EXPECT_EQ(device.Count(), 2);
}

TEST(BeepChoices, HaveTheirTonesAndTexts) {
  EXPECT_EQ(BeepChoiceTone(0).frequency, 400u);
  EXPECT_EQ(BeepChoiceTone(4).duration, 200u);
  EXPECT_EQ(BeepChoiceTone(8).frequency, 1600u);
  EXPECT_EQ(BeepChoiceTone(-1).duration, 400u);
  EXPECT_EQ(BeepChoiceTone(9).frequency, 1600u);
  EXPECT_EQ(BeepChoiceText(3), L"Medium frequency, short duration");
}

}  // namespace
}  // namespace vantrel
