#pragma once
// The interactive program's side of the service control manager: a service's state, and
// installing, starting, stopping and removing it. Every wait is bounded
// (kServiceMaxPolls x kServicePollMilliseconds).
#include <string>

#include "platform/service_state.h"

namespace vantrel {

class ScmServiceState : public IServiceControl {
 public:
  // The service's state (1 stopped .. 7), or -1 when the manager or the service cannot be
  // opened or queried (not installed).
  int32_t QueryServiceState(const std::wstring& name) override;
  // Sends the stop control and polls every 300 ms until the service has stopped; true when
  // it did, false when the stop was refused, a query failed or the time ran out.
  bool StopServiceAndWait(const std::wstring& name) override;
  // An own-process service (interactive when asked), automatic or on-demand start, normal
  // error control, the local system account; the path is used as given.
  bool InstallService(const std::wstring& programPath, const std::wstring& name, const std::wstring& displayName,
                      const std::wstring& dependencies, bool interactive, bool automatic) override;
  bool StartServiceAndWait(const std::wstring& name) override;
  bool RemoveService(const std::wstring& name) override;
};

// Whether this process may switch the service mode: the machine-wide settings key can be
// created for writing and the SCM opened with full access.
bool HasServiceAdminRights();

// The service program beside this program: its folder and "VantrelService.exe", unquoted.
std::wstring ServiceProgramPath();

}  // namespace vantrel
