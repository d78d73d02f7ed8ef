#include <windows.h>

#include "platform/sound.h"

namespace vantrel {

namespace {
class Win32Beep : public IBeepDevice {
 public:
  void Beep(uint32_t frequency, uint32_t duration) override { ::Beep(frequency, duration); }
  void Pause(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};
}  // namespace

IBeepDevice& SystemBeepDevice() {
  static Win32Beep device;
  return device;
}

}  // namespace vantrel
