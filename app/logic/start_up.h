#pragma once
// Start-up decisions of the interactive program that need no window: how the window handle
// left in the registry for a second copy is widened again, and the one moment from which
// today's totals and the first tick both count.
#include <cstdint>
#include <functional>

#include "engine/sampling_tick.h"
#include "platform/clock.h"

namespace vantrel {

// The registry keeps a window handle in 32 bits. Handle values are 32-bit values that 64-bit
// Windows sign-extends, so the stored value is widened the same way (0xFFFF1234 is the handle
// -0xEDCC, not 0x00000000FFFF1234).
std::intptr_t HandleFromStoredValue(uint32_t value);
// The 32 bits of a handle that are stored.
uint32_t StoredValueFromHandle(std::intptr_t handle);

// A copy that restarts itself as administrator leaves its process id under this value of the
// per-user Options key: the new copy waits for it to end, then opens the Service page again.
inline constexpr wchar_t kRestartedFromValue[] = L"RestartedFrom";

// Reads the clock once, makes that time the tick's previous time and loads today's totals for
// it. A start across midnight then loads the old day and the first tick sees the change of
// day (and reloads) instead of counting the new day's traffic into the old day's totals.
LocalTime StartCountingDay(IClock& clock, SamplingTick& tick,
                           const std::function<void(const LocalTime&)>& loadTodayTotals);

}  // namespace vantrel
