// The worker thread: monitoring start-up, one tick each time the one-second wait on the
// stop-request event times out, monitoring shutdown, and the stopped event at the end.
#include <windows.h>

#include <thread>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/win32/ip_helper.h"
#include "service/core/service_monitor.h"
#include "service/host/service_host.h"

namespace vantrel {

ServiceLogFile& ServiceLog() {
  static ServiceLogFile log(SystemClock());
  return log;
}

std::wstring ModuleFolderW() { return SystemKnownFolders().ProgramFolder(); }

void RunServiceWorker() {
  HANDLE stopRequest = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kStopRequestEventName);
  HANDLE stopped = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kStoppedEventName);
  {
    IpHelperSource adapters;
    ServiceDeps deps{SystemSettingsStore(),
                     adapters,
                     SystemClock(),
                     SystemFileSystem(),
                     SystemKnownFolders(),
                     ServiceLog(),
                     [](std::function<void()> run) { std::thread(std::move(run)).detach(); },
                     {}};
    ServiceMonitor monitor(deps);
    if (!adapters.Load()) {
      ServiceLog().Log("Err: 0x0102000");
    } else if (!monitor.StartUp()) {
      ServiceLog().Log("Err: 0x0101000");
    } else {
      ServiceLog().Log("Service is running...");
      for (;;) {
        DWORD wait = stopRequest ? WaitForSingleObject(stopRequest, 1000) : WAIT_FAILED;
        if (wait != WAIT_TIMEOUT) break;
        monitor.Tick();
      }
      monitor.ShutDown();
    }
  }
  if (stopRequest) CloseHandle(stopRequest);
  if (stopped) {
    SetEvent(stopped);
    CloseHandle(stopped);
  }
}

}  // namespace vantrel
