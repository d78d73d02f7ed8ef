#include "tests/e2e/service_helpers.h"

#include <vector>

namespace vantrel {

std::wstring WinePathOf(const std::string& buildPath) {
  std::wstring p = AsciiToWide(buildPath);
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  return p.size() > 1 && p[1] == L':' ? p : L"Z:" + p;
}

std::string WithLf(const std::string& text) {
  std::string lf;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
  return lf;
}

std::string RunCommand(const std::wstring& commandLine, DWORD* exitCode) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &sa, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = commandLine;
  BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  std::string out;
  if (ok) {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    WaitForSingleObject(pi.hProcess, 60000);
    if (exitCode) GetExitCodeProcess(pi.hProcess, exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(readEnd);
  return WithLf(out);
}

DWORD ServiceState() {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return 0;
  DWORD state = 0;
  if (SC_HANDLE svc = OpenServiceW(scm, L"VantrelService", SERVICE_QUERY_STATUS)) {
    SERVICE_STATUS st{};
    if (QueryServiceStatus(svc, &st)) state = st.dwCurrentState;
    CloseServiceHandle(svc);
  }
  CloseServiceHandle(scm);
  return state;
}

std::wstring BinaryPath() {
  std::wstring path;
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return path;
  if (SC_HANDLE svc = OpenServiceW(scm, L"VantrelService", SERVICE_QUERY_CONFIG)) {
    std::vector<uint8_t> buf(8192);
    DWORD need = 0;
    if (QueryServiceConfigW(svc, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buf.data()), static_cast<DWORD>(buf.size()),
                            &need))
      path = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buf.data())->lpBinaryPathName;
    CloseServiceHandle(svc);
  }
  CloseServiceHandle(scm);
  return path;
}

}  // namespace vantrel
