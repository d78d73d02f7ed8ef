// VantrelService.exe: the service shell. With no argument it runs under the service control
// manager; "/install" and "/uninstall" register and remove it. The monitoring itself runs on
// a worker thread (service_worker.cpp); the worker is asked to stop and reports its end
// through two named events.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "service/host/service_host.h"

namespace vantrel {

namespace {

SERVICE_STATUS g_status{};
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stoppedEvent = nullptr;
HANDLE g_stopRequestEvent = nullptr;

std::string ModulePathA() {
  wchar_t buf[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring w(buf, n);
  int len = WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string a(static_cast<size_t>(len > 0 ? len : 0), '\0');
  if (len > 0) WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), a.data(), len, nullptr, nullptr);
  return a;
}

void WINAPI ControlHandler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    ReportServiceStatus(SERVICE_STOP_PENDING, NO_ERROR, 0, 1, 3000);
    if (g_stopRequestEvent) SetEvent(g_stopRequestEvent);
    return;
  }
  ReportServiceStatus(g_status.dwCurrentState, NO_ERROR, 0, 0, 0);
}

DWORD WINAPI WorkerThread(LPVOID) {
  RunServiceWorker();
  return 0;
}

void WINAPI ServiceEntry(DWORD, LPSTR*) {
  g_statusHandle = RegisterServiceCtrlHandlerA(kServiceName, ControlHandler);
  if (!g_statusHandle) {
    ServiceLog().Log("Err: 0x00001010");
    return;
  }
  g_stopRequestEvent = CreateEventA(nullptr, TRUE, FALSE, kStopRequestEventName);
  if (!g_stopRequestEvent) {
    ServiceLog().Log("Err: 0x00001012");
    return;
  }
  ReportServiceStatus(SERVICE_START_PENDING, NO_ERROR, 0, 1, 3000);
  HANDLE worker = CreateThread(nullptr, 0, WorkerThread, nullptr, 0, nullptr);
  if (!worker) {
    // Nothing would ever set the stopped event: say so and report the service stopped
    // instead of waiting for it.
    ServiceLog().Log("Err: 0x00001013");
  } else {
    CloseHandle(worker);
    if (ReportServiceStatus(SERVICE_RUNNING, NO_ERROR, 0, 0, 0))
      WaitForSingleObject(g_stoppedEvent, INFINITE);
    else
      ServiceLog().Log("Err: 0x00001011");
  }
  CloseHandle(g_stoppedEvent);
  g_stoppedEvent = nullptr;
  CloseHandle(g_stopRequestEvent);
  g_stopRequestEvent = nullptr;
  ReportServiceStatus(SERVICE_STOPPED, NO_ERROR, 0, 0, 0);
}

bool Install() {
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!scm) return false;
  std::string binary = "\"" + ModulePathA() + "\"";
  SC_HANDLE svc = CreateServiceA(scm, kServiceName, kServiceDisplayName, GENERIC_WRITE, SERVICE_WIN32_OWN_PROCESS,
                                 SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr, nullptr,
                                 nullptr, nullptr);
  bool ok = svc != nullptr;
  if (svc) CloseServiceHandle(svc);
  CloseServiceHandle(scm);
  return ok;
}

bool Uninstall() {
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!scm) return false;
  SC_HANDLE svc = OpenServiceA(scm, kServiceName, DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (!svc) {
    CloseServiceHandle(scm);
    return false;
  }
  SERVICE_STATUS st{};
  if (ControlService(svc, SERVICE_CONTROL_STOP, &st)) {
    // Bounded: a service that never leaves stop-pending must not hang the uninstall.
    for (int i = 0; i < 200; ++i) {
      Sleep(300);
      if (!QueryServiceStatus(svc, &st) || st.dwCurrentState != SERVICE_STOP_PENDING) break;
    }
  }
  bool ok = DeleteService(svc) != FALSE;
  CloseServiceHandle(svc);
  CloseServiceHandle(scm);
  return ok;
}

}  // namespace

bool ReportServiceStatus(DWORD state, DWORD win32ExitCode, DWORD serviceExitCode, DWORD checkPoint, DWORD waitHint) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
  g_status.dwWin32ExitCode = serviceExitCode != 0 ? ERROR_SERVICE_SPECIFIC_ERROR : win32ExitCode;
  g_status.dwServiceSpecificExitCode = serviceExitCode;
  g_status.dwCheckPoint = checkPoint;
  g_status.dwWaitHint = waitHint;
  return g_statusHandle && SetServiceStatus(g_statusHandle, &g_status);
}

CommandLineAction ParseServiceCommandLine(int argc, char** argv) {
  if (argc <= 1) return CommandLineAction::RunService;
  if (argc == 2 && argv[1][0] == '/') {
    const char* word = argv[1] + 1;
    if (_stricmp(word, "install") == 0) return CommandLineAction::Install;
    if (_stricmp(word, "uninstall") == 0) return CommandLineAction::Uninstall;
  }
  return CommandLineAction::Invalid;
}

int ServiceProgramMain(int argc, char** argv) {
  ServiceLog().Open(ModuleFolderW() + L"vantrelservice.log");
  ServiceLog().Log(std::string(kServiceDisplayName) + " start up...");
  int exitCode = 0;
  switch (ParseServiceCommandLine(argc, argv)) {
    case CommandLineAction::RunService: {
      g_stoppedEvent = CreateEventA(nullptr, TRUE, FALSE, kStoppedEventName);
      if (!g_stoppedEvent || GetLastError() == ERROR_ALREADY_EXISTS) {
        ServiceLog().Log("Err: service is running.");
        if (g_stoppedEvent) CloseHandle(g_stoppedEvent);
        g_stoppedEvent = nullptr;
        break;
      }
      char name[] = "VantrelService";
      SERVICE_TABLE_ENTRYA table[] = {{name, ServiceEntry}, {nullptr, nullptr}};
      if (!StartServiceCtrlDispatcherA(table) && g_stoppedEvent) {
        // Started from a console: no service control manager is waiting for us.
        CloseHandle(g_stoppedEvent);
        g_stoppedEvent = nullptr;
      }
      break;
    }
    case CommandLineAction::Install:
      std::fputs("Install service...", stdout);
      std::fflush(stdout);
      std::fputs(Install() ? "success\n" : "failure\n", stdout);
      break;
    case CommandLineAction::Uninstall:
      std::fputs("Uninstall service...", stdout);
      std::fflush(stdout);
      std::fputs(Uninstall() ? "success\n" : "failure\n", stdout);
      break;
    case CommandLineAction::Invalid:
      std::fputs("Invalid parameters.\n", stdout);
      break;
  }
  std::fflush(stdout);
  ServiceLog().Log(std::string(kServiceDisplayName) + " stopped.\n");
  ServiceLog().Close();
  return exitCode;
}

}  // namespace vantrel

int main(int argc, char** argv) { return vantrel::ServiceProgramMain(argc, argv); }
