#pragma once
// The interactive program's view of the service control manager, as far as the traffic log
// needs it: a service's state, and stopping it.
#include "platform/service_state.h"

namespace vantrel {

class ScmServiceState : public IServiceState {
 public:
  // The service's state (1 stopped .. 7), or -1 when the manager or the service cannot be
  // opened or queried (not installed).
  int32_t QueryServiceState(const std::wstring& name) override;
  // Sends the stop control and polls every 300 ms until the service has stopped; true when
  // it did. Bounded (two minutes), so a service that never stops cannot freeze the program.
  bool StopServiceAndWait(const std::wstring& name) override;
};

}  // namespace vantrel
