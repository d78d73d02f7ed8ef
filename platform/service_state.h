#pragma once
// What the programs need of the service control manager: the state of a service, and
// installing, starting, stopping and removing it. Win32: ScmServiceState
// (platform/win32/service_control.h).
#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// Service control manager states that matter here (the Win32 values).
constexpr int32_t kServiceNoAnswer = -1;
constexpr int32_t kServiceStopped = 1;
constexpr int32_t kServiceStartPending = 2;
constexpr int32_t kServiceStopPending = 3;
constexpr int32_t kServiceRunning = 4;
// Not an SCM state: the SCM answered that it has no such service.
constexpr int32_t kServiceNotInstalled = -2;

// The SCM waits poll every 300 ms. None of them may hold the window's thread for ever: a
// service that hangs in a pending state is given up on after about a minute.
constexpr unsigned kServicePollMilliseconds = 300;
constexpr int kServiceMaxPolls = 200;

// What the log needs of the service control manager: the state of a service and stopping it.
class IServiceState {
 public:
  virtual ~IServiceState() = default;
  // The service's current state (kServiceStopped .. kServiceRunning), kServiceNoAnswer when
  // the manager or the service cannot be opened or queried.
  virtual int32_t QueryServiceState(const std::wstring& name) = 0;
  // Asks the service to stop and waits (bounded) until it has; true when it reached stopped.
  virtual bool StopServiceAndWait(const std::wstring& name) = 0;
};

// The whole life of the service, for switching the service mode on and off.
class IServiceControl : public IServiceState {
 public:
  // Creates the service entry; true when it was created. `automatic`: starts with Windows.
  virtual bool InstallService(const std::wstring& programPath, const std::wstring& name,
                              const std::wstring& displayName, const std::wstring& dependencies, bool interactive,
                              bool automatic) = 0;
  // Starts the service and waits (bounded) while it is start-pending; true when it runs.
  virtual bool StartServiceAndWait(const std::wstring& name) = 0;
  // Stops the service if it accepts the stop (waiting, bounded, while it is stop-pending),
  // then deletes its entry; true when the deletion succeeded.
  virtual bool RemoveService(const std::wstring& name) = 0;
};

// A look at a service that never waits: its state (kServiceNotInstalled when the SCM has no
// such service, kServiceNoAnswer when it cannot tell) and whether this user could start it
// (its start type is not disabled and the SCM grants the start).
struct ServiceLook {
  int32_t state = kServiceNoAnswer;
  bool startable = false;
};

// What a wait on the SCM waits for.
enum class ServiceWaitGoal {
  Running,        // success at running; start-pending goes on; anything else fails
  Stopped,        // success at stopped; every other state goes on
  NotStopPending  // success as soon as the state is no longer stop-pending
};

// The SCM's polling loop: up to maxPolls times, pause() then query(); a failed query
// (kServiceNoAnswer) fails at once. False when the goal was not reached within maxPolls.
bool WaitForServiceState(const std::function<int32_t()>& query, const std::function<void()>& pause,
                         ServiceWaitGoal goal, int maxPolls = kServiceMaxPolls);

// A service control that answers kServiceNoAnswer, as for a service that is not installed.
IServiceState& NoServiceState();

}  // namespace vantrel
