#pragma once
// Sound seam: the PC speaker's beep and the pause between beeps. Win32: Beep and Sleep.
// Tests count the beeps. Native builds have no speaker and only pause.
#include <cstdint>

namespace vantrel {

class IBeepDevice {
 public:
  virtual ~IBeepDevice() = default;
  // Sounds `frequency` Hz for `duration` ms (returns when done).
  virtual void Beep(uint32_t frequency, uint32_t duration) = 0;
  virtual void Pause(uint32_t milliseconds) = 0;
};

IBeepDevice& SystemBeepDevice();

}  // namespace vantrel
