#include "app/logic/start_up.h"

namespace vantrel {

std::intptr_t HandleFromStoredValue(uint32_t value) {
  return static_cast<std::intptr_t>(static_cast<int32_t>(value));
}

uint32_t StoredValueFromHandle(std::intptr_t handle) {
  return static_cast<uint32_t>(static_cast<uintptr_t>(handle));
}

LocalTime StartCountingDay(IClock& clock, SamplingTick& tick,
                           const std::function<void(const LocalTime&)>& loadTodayTotals) {
  LocalTime start = clock.Now();
  tick.SetLastTickTime(start);
  if (loadTodayTotals) loadTodayTotals(start);
  return start;
}

}  // namespace vantrel
