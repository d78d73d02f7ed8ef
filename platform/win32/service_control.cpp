#include "platform/win32/service_control.h"

#include <windows.h>

namespace vantrel {

namespace {
// Both handles, closed on every way out.
struct ServiceHandles {
  SC_HANDLE scm = nullptr;
  SC_HANDLE service = nullptr;
  ServiceHandles(const std::wstring& name, DWORD access) {
    scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (scm) service = OpenServiceW(scm, name.c_str(), access);
  }
  ~ServiceHandles() {
    if (service) CloseServiceHandle(service);
    if (scm) CloseServiceHandle(scm);
  }
};
constexpr int kStopPolls = 400;  // 400 x 300 ms
}  // namespace

int32_t ScmServiceState::QueryServiceState(const std::wstring& name) {
  ServiceHandles h(name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS st{};
  if (!h.service || !QueryServiceStatus(h.service, &st)) return kServiceNoAnswer;
  return static_cast<int32_t>(st.dwCurrentState);
}

bool ScmServiceState::StopServiceAndWait(const std::wstring& name) {
  ServiceHandles h(name, SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (!h.service) return false;
  SERVICE_STATUS st{};
  if (!ControlService(h.service, SERVICE_CONTROL_STOP, &st)) return false;
  for (int i = 0; i < kStopPolls; ++i) {
    Sleep(300);
    if (!QueryServiceStatus(h.service, &st)) return false;
    if (st.dwCurrentState == SERVICE_STOPPED) return true;
  }
  return false;
}

}  // namespace vantrel
