#include "platform/service_state.h"

namespace vantrel {

namespace {
class NoService : public IServiceState {
 public:
  int32_t QueryServiceState(const std::wstring&) override { return kServiceNoAnswer; }
  bool StopServiceAndWait(const std::wstring&) override { return false; }
};
}  // namespace

bool WaitForServiceState(const std::function<int32_t()>& query, const std::function<void()>& pause,
                         ServiceWaitGoal goal, int maxPolls) {
  for (int i = 0; i < maxPolls; ++i) {
    pause();
    int32_t state = query();
    if (state == kServiceNoAnswer) return false;
    switch (goal) {
      case ServiceWaitGoal::Running:
        if (state == kServiceRunning) return true;
        if (state != kServiceStartPending) return false;
        break;
      case ServiceWaitGoal::Stopped:
        if (state == kServiceStopped) return true;
        break;
      case ServiceWaitGoal::NotStopPending:
        if (state != kServiceStopPending) return true;
        break;
    }
  }
  return false;
}

IServiceState& NoServiceState() {
  static NoService none;
  return none;
}

}  // namespace vantrel
