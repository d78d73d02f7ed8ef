#include <chrono>
#include <thread>

#include "platform/sound.h"

namespace vantrel {

namespace {
class SilentBeep : public IBeepDevice {
 public:
  void Beep(uint32_t, uint32_t duration) override { Pause(duration); }
  void Pause(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};
}  // namespace

IBeepDevice& SystemBeepDevice() {
  static SilentBeep device;
  return device;
}

}  // namespace vantrel
