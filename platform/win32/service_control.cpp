#include "platform/win32/service_control.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

namespace vantrel {

namespace {

// An SCM handle closed on every way out.
class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE h = nullptr) : m_h(h) {}
  ~ScHandle() {
    if (m_h) CloseServiceHandle(m_h);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  SC_HANDLE get() const { return m_h; }
  explicit operator bool() const { return m_h != nullptr; }

 private:
  SC_HANDLE m_h;
};

int32_t StateOf(SC_HANDLE service) {
  SERVICE_STATUS st{};
  if (!QueryServiceStatus(service, &st)) return kServiceNoAnswer;
  return static_cast<int32_t>(st.dwCurrentState);
}

bool Wait(SC_HANDLE service, ServiceWaitGoal goal, int maxPolls) {
  return WaitForServiceState([service] { return StateOf(service); }, [] { Sleep(kServicePollMilliseconds); }, goal,
                             maxPolls);
}

// The start type, or SERVICE_DISABLED + 1 when it cannot be read.
DWORD StartTypeOf(SC_HANDLE service) {
  DWORD need = 0;
  QueryServiceConfigW(service, nullptr, 0, &need);
  if (need == 0) return SERVICE_DISABLED + 1;
  std::vector<uint8_t> buffer(need);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service, config, need, &need)) return SERVICE_DISABLED + 1;
  return config->dwStartType;
}

}  // namespace

int ScmServiceState::MaxPolls() const {
  if (!m_deadline) return kServiceMaxPolls;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*m_deadline - std::chrono::steady_clock::now());
  return left.count() <= 0 ? 0 : static_cast<int>(left.count() / kServicePollMilliseconds) + 1;
}

int32_t ScmServiceState::QueryServiceState(const std::wstring& name) {
  // Asking for the state is every user's right: no more access than that is asked for.
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return kServiceNoAnswer;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) return kServiceNoAnswer;
  return StateOf(service.get());
}

ServiceLook ScmServiceState::LookAtService(const std::wstring& name) {
  ServiceLook look;
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return look;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) {
    if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) look.state = kServiceNotInstalled;
    return look;
  }
  look.state = StateOf(service.get());
  ScHandle starter(OpenServiceW(scm.get(), name.c_str(), SERVICE_START | SERVICE_QUERY_CONFIG));
  if (starter) {
    look.startable = StartTypeOf(starter.get()) != SERVICE_DISABLED;
  } else {
    // Without the right to read its configuration a user may still be allowed to start it;
    // a disabled service then refuses the start itself.
    ScHandle startOnly(OpenServiceW(scm.get(), name.c_str(), SERVICE_START));
    look.startable = static_cast<bool>(startOnly);
  }
  return look;
}

bool ScmServiceState::StopServiceAndWait(const std::wstring& name) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return false;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS st{};
  if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &st)) return false;
  return Wait(service.get(), ServiceWaitGoal::Stopped, MaxPolls());
}

bool ScmServiceState::InstallService(const std::wstring& programPath, const std::wstring& name,
                                     const std::wstring& displayName, const std::wstring& dependencies,
                                     bool interactive, bool automatic) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!scm) return false;
  DWORD type = SERVICE_WIN32_OWN_PROCESS | (interactive ? SERVICE_INTERACTIVE_PROCESS : 0);
  DWORD start = automatic ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
  // The dependencies as a double-NUL-terminated list; none is an empty list.
  std::vector<wchar_t> deps(dependencies.begin(), dependencies.end());
  deps.push_back(L'\0');
  deps.push_back(L'\0');
  std::wstring commandLine = QuotedProgramPath(programPath);
  ScHandle service(CreateServiceW(scm.get(), name.c_str(), displayName.c_str(), GENERIC_WRITE | WRITE_DAC, type, start,
                                  SERVICE_ERROR_NORMAL, commandLine.c_str(), nullptr, nullptr,
                                  dependencies.empty() ? nullptr : deps.data(), nullptr, nullptr));
  if (!service) return false;
  // Without it the service keeps the system's default access (administrators only start
  // it): still a working service, so the install counts as done.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kServiceSecurityDescriptor, SDDL_REVISION_1, &descriptor,
                                                           nullptr)) {
    SetServiceObjectSecurity(service.get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
  }
  return true;
}

bool ScmServiceState::StartServiceAndWait(const std::wstring& name) {
  // Only the rights the start needs, so that a user whom the service's descriptor lets start
  // it can do so without administrator rights.
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return false;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_START | SERVICE_QUERY_STATUS));
  if (!service) return false;
  if (!StartServiceW(service.get(), 0, nullptr)) return false;
  return Wait(service.get(), ServiceWaitGoal::Running, MaxPolls());
}

bool ScmServiceState::RemoveService(const std::wstring& name) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) return false;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS st{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &st))
    Wait(service.get(), ServiceWaitGoal::NotStopPending, MaxPolls());
  return DeleteService(service.get()) != FALSE;
}

bool HasServiceAdminRights() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orlix Systems\\Vantrel\\", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  return static_cast<bool>(scm);
}

std::wstring QuotedProgramPath(const std::wstring& path) {
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') return path;
  return L"\"" + path + L"\"";
}

std::wstring ServiceProgramPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return L"VantrelService.exe";
    if (n < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  std::wstring path(buffer.data());
  size_t slash = path.find_last_of(L'\\');
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path + L"VantrelService.exe";
}

}  // namespace vantrel
