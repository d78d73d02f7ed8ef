#pragma once
// The interactive program's side of the service control manager: a service's state, and
// installing, starting, stopping and removing it. Every wait is bounded: by
// kServiceMaxPolls x kServicePollMilliseconds, or by the deadline the object was made with.
#include <chrono>
#include <optional>
#include <string>

#include "platform/service_state.h"

namespace vantrel {

// Who may do what with the installed service: the local system account and administrators
// everything, interactive and service logons query it, and every authenticated user may ask
// for its state and start it (so a user without administrator rights can bring a stopped
// service back); stopping, changing and deleting stay with administrators.
inline constexpr wchar_t kServiceSecurityDescriptor[] =
    L"D:(A;;CCLCSWRPWPDTLOCRRC;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)(A;;CCLCSWLOCRRC;;;IU)"
    L"(A;;CCLCSWLOCRRC;;;SU)(A;;LCRP;;;AU)";

class ScmServiceState : public IServiceControl {
 public:
  ScmServiceState() = default;
  // Every wait of this object ends at the deadline at the latest (an apply's waits share one).
  explicit ScmServiceState(std::chrono::steady_clock::time_point deadline) : m_deadline(deadline) {}

  // The service's state (1 stopped .. 7), or -1 when the manager or the service cannot be
  // opened or queried (not installed). Needs no administrator rights.
  int32_t QueryServiceState(const std::wstring& name) override;
  // State, "not installed" told apart from "cannot tell", and whether it could be started.
  // Never waits.
  ServiceLook LookAtService(const std::wstring& name);
  // Sends the stop control and polls every 300 ms until the service has stopped; true when
  // it did, false when the stop was refused, a query failed or the time ran out.
  bool StopServiceAndWait(const std::wstring& name) override;
  // An own-process service (interactive when asked), automatic or on-demand start, normal
  // error control, the local system account, kServiceSecurityDescriptor. The path is put in
  // double quotes unless it already is, so that a folder name with spaces cannot be taken
  // for a program of its own.
  bool InstallService(const std::wstring& programPath, const std::wstring& name, const std::wstring& displayName,
                      const std::wstring& dependencies, bool interactive, bool automatic) override;
  bool StartServiceAndWait(const std::wstring& name) override;
  bool RemoveService(const std::wstring& name) override;

 private:
  int MaxPolls() const;

  std::optional<std::chrono::steady_clock::time_point> m_deadline;
};

// Whether this process may switch the service mode: the machine-wide settings key can be
// created for writing and the SCM opened with full access.
bool HasServiceAdminRights();

// The service program beside this program: its folder and "VantrelService.exe", unquoted
// (InstallService quotes it).
std::wstring ServiceProgramPath();

// A path as a service's command line: in double quotes unless it already is.
std::wstring QuotedProgramPath(const std::wstring& path);

}  // namespace vantrel
