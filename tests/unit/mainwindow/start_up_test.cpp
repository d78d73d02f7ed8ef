#include "app/logic/start_up.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/monitored_list_io.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

TEST(StoredWindowHandle, ComesBackAsTheHandleTheFirstCopyStored) {
  // Handles with the top bit of their 32 bits set are negative on 64-bit Windows.
  for (std::intptr_t handle : {std::intptr_t{0x000A01C2}, std::intptr_t{-60876}, std::intptr_t{-1}}) {
    uint32_t stored = StoredValueFromHandle(handle);
    EXPECT_EQ(HandleFromStoredValue(stored), handle) << stored;
  }
  EXPECT_LT(HandleFromStoredValue(0xFFFF1234u), 0);
}

// Counts the day changes the tick reports.
struct DayHooks : ITickHooks {
  std::vector<LocalTime> loads;
  void LoadTodayTotals(const LocalTime& d) override { loads.push_back(d); }
};

// A clock that moves on one second each time it is read, like a slow start-up.
struct CreepingClock : IClock {
  test::FakeClock inner;
  explicit CreepingClock(LocalTime t) : inner(t) {}
  LocalTime Now() override {
    LocalTime t = inner.Now();
    inner.Advance(1);
    return t;
  }
};

TEST(StartCountingDay, AStartAcrossMidnightSeesTheChangeOfDayAtTheFirstTick) {
  CreepingClock clock(MakeLocalTime(2010, 3, 7, 23, 59, 58));
  test::FakeAdapterSource source;
  MonitoredList list;
  AdapterEntry all, dialUp;
  all.kind = kKindAllConnections;
  dialUp.kind = kKindDialUp;
  list.PushBack(std::move(all));
  list.PushBack(std::move(dialUp));
  DayHooks hooks;
  SamplingTick tick(list, source, clock, hooks);  // reads 23:59:58
  std::vector<LocalTime> startLoads;
  LocalTime start = StartCountingDay(clock, tick, [&](const LocalTime& d) { startLoads.push_back(d); });
  ASSERT_EQ(startLoads.size(), 1u);
  EXPECT_EQ(startLoads[0].day, 7);  // loaded at 23:59:59
  EXPECT_EQ(tick.LastTickTime().second, start.second);
  tick.Run();  // 00:00:00 of the 8th
  ASSERT_EQ(hooks.loads.size(), 1u);
  EXPECT_EQ(hooks.loads[0].day, 8);
}

}  // namespace
}  // namespace vantrel
