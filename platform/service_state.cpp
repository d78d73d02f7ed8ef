#include "platform/service_state.h"

namespace vantrel {

namespace {
class NoService : public IServiceState {
 public:
  int32_t QueryServiceState(const std::wstring&) override { return kServiceNoAnswer; }
  bool StopServiceAndWait(const std::wstring&) override { return false; }
};
}  // namespace

IServiceState& NoServiceState() {
  static NoService none;
  return none;
}

}  // namespace vantrel
