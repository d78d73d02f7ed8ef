#include "platform/win32/service_control.h"

#include <windows.h>

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

bool Wait(SC_HANDLE service, ServiceWaitGoal goal) {
  return WaitForServiceState([service] { return StateOf(service); }, [] { Sleep(kServicePollMilliseconds); }, goal);
}

}  // namespace

int32_t ScmServiceState::QueryServiceState(const std::wstring& name) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) return kServiceNoAnswer;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) return kServiceNoAnswer;
  return StateOf(service.get());
}

bool ScmServiceState::StopServiceAndWait(const std::wstring& name) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) return false;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_ALL_ACCESS));
  if (!service) return false;
  SERVICE_STATUS st{};
  if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &st)) return false;
  return Wait(service.get(), ServiceWaitGoal::Stopped);
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
  ScHandle service(CreateServiceW(scm.get(), name.c_str(), displayName.c_str(), GENERIC_WRITE, type, start,
                                  SERVICE_ERROR_NORMAL, programPath.c_str(), nullptr, nullptr,
                                  dependencies.empty() ? nullptr : deps.data(), nullptr, nullptr));
  return static_cast<bool>(service);
}

bool ScmServiceState::StartServiceAndWait(const std::wstring& name) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) return false;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), SERVICE_ALL_ACCESS));
  if (!service) return false;
  if (!StartServiceW(service.get(), 0, nullptr)) return false;
  return Wait(service.get(), ServiceWaitGoal::Running);
}

bool ScmServiceState::RemoveService(const std::wstring& name) {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) return false;
  ScHandle service(OpenServiceW(scm.get(), name.c_str(), DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS st{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &st)) Wait(service.get(), ServiceWaitGoal::NotStopPending);
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
