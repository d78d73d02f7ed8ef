#include <gtest/gtest.h>

#include <vector>

#include "platform/service_state.h"

namespace vantrel {
namespace {

// Answers the scripted states in turn, then the last one for ever; counts pauses.
struct ScriptedService {
  std::vector<int32_t> states;
  size_t next = 0;
  int pauses = 0;
  int32_t Query() { return states[next < states.size() ? next++ : states.size() - 1]; }
};

bool Wait(ScriptedService& s, ServiceWaitGoal goal, int maxPolls = kServiceMaxPolls) {
  return WaitForServiceState([&] { return s.Query(); }, [&] { ++s.pauses; }, goal, maxPolls);
}

TEST(ServiceWait, AServiceHangingInStopPendingIsGivenUpOnAfterAboutAMinute) {
  ScriptedService s{{kServiceStopPending}};
  EXPECT_FALSE(Wait(s, ServiceWaitGoal::Stopped));
  EXPECT_EQ(s.pauses, kServiceMaxPolls);
  EXPECT_GE(kServiceMaxPolls * kServicePollMilliseconds, 50000u);
  EXPECT_LE(kServiceMaxPolls * kServicePollMilliseconds, 90000u);
}

TEST(ServiceWait, StopSucceedsAtStoppedAndFailsWhenTheQueryFails) {
  ScriptedService stops{{kServiceStopPending, kServiceRunning, kServiceStopped}};
  EXPECT_TRUE(Wait(stops, ServiceWaitGoal::Stopped));
  EXPECT_EQ(stops.pauses, 3);
  ScriptedService gone{{kServiceStopPending, kServiceNoAnswer}};
  EXPECT_FALSE(Wait(gone, ServiceWaitGoal::Stopped));
  EXPECT_EQ(gone.pauses, 2);
}

TEST(ServiceWait, StartGoesOnOnlyWhileStartPending) {
  ScriptedService starts{{kServiceStartPending, kServiceStartPending, kServiceRunning}};
  EXPECT_TRUE(Wait(starts, ServiceWaitGoal::Running));
  ScriptedService dies{{kServiceStartPending, kServiceStopped}};
  EXPECT_FALSE(Wait(dies, ServiceWaitGoal::Running));
  EXPECT_EQ(dies.pauses, 2);
  ScriptedService hangs{{kServiceStartPending}};
  EXPECT_FALSE(Wait(hangs, ServiceWaitGoal::Running, 7));
  EXPECT_EQ(hangs.pauses, 7);
}

TEST(ServiceWait, RemovalWaitsOnlyWhileStopPending) {
  ScriptedService s{{kServiceStopPending, kServiceStopped}};
  EXPECT_TRUE(Wait(s, ServiceWaitGoal::NotStopPending));
  EXPECT_EQ(s.pauses, 2);
}

}  // namespace
}  // namespace vantrel
