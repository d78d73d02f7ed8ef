#pragma once
// The service shell's shared pieces: names, the status report, the log, the worker.
#include <windows.h>

#include <string>

#include "service/core/service_log.h"

namespace vantrel {

inline constexpr char kServiceName[] = "VantrelService";
inline constexpr char kServiceDisplayName[] = "Vantrel Service";
inline constexpr char kStoppedEventName[] = "VT62EDD6E23ECC41A792C70A71A98E39D8A";
inline constexpr char kStopRequestEventName[] = "VT62EDD6E23ECC41A792C70A71A98E39D8B";

enum class CommandLineAction { RunService, Install, Uninstall, Invalid };
CommandLineAction ParseServiceCommandLine(int argc, char** argv);

// Fills the process's status record and hands it to the service control manager.
bool ReportServiceStatus(DWORD state, DWORD win32ExitCode, DWORD serviceExitCode, DWORD checkPoint, DWORD waitHint);

// "vantrelservice.log" beside the program.
ServiceLogFile& ServiceLog();
// The folder that holds the program file, with its trailing backslash.
std::wstring ModuleFolderW();

// The worker thread's routine: monitoring start-up, the loop of one-second waits on the
// stop-request event with a tick at each time-out, monitoring shutdown, then the stopped
// event is set.
void RunServiceWorker();

}  // namespace vantrel
