#pragma once
// What the programs need of the service control manager: the state of a service and
// stopping it. Win32: ScmServiceState (platform/win32/service_control.h).
#include <cstdint>
#include <string>

namespace vantrel {

// Service control manager states that matter to the log (the Win32 values).
constexpr int32_t kServiceNoAnswer = -1;
constexpr int32_t kServiceStopped = 1;
constexpr int32_t kServiceStartPending = 2;
constexpr int32_t kServiceStopPending = 3;
constexpr int32_t kServiceRunning = 4;

// What the log needs of the service control manager: the state of a service and stopping it.
class IServiceState {
 public:
  virtual ~IServiceState() = default;
  // The service's current state (kServiceStopped .. kServiceRunning), kServiceNoAnswer when
  // the manager or the service cannot be opened or queried.
  virtual int32_t QueryServiceState(const std::wstring& name) = 0;
  // Asks the service to stop and waits until it has; true when it reached stopped.
  virtual bool StopServiceAndWait(const std::wstring& name) = 0;
};

// A service control that answers kServiceNoAnswer, as for a service that is not installed.
IServiceState& NoServiceState();

}  // namespace vantrel
