// VantrelSetup.dll: the package's own installer actions. They close a running OrlixVantrel
// through the message it already ends on (an outside WM_CLOSE: it writes today's records and
// its settings on the way out), stop, keep or remove VantrelService through the service
// control manager, and keep or forget the user's Run value. The decisions are in
// installer/logic/setup_rules; this file only looks and acts. Every wait is bounded, and no
// action fails the installation: what could not be done is written to the installer's log.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

#include "installer/logic/setup_rules.h"
#include "settings/settings_keys.h"

namespace vantrel::setup {
namespace {

constexpr DWORD kCloseWaitMs = 30000;
constexpr DWORD kStopWaitMs = 60000;
constexpr DWORD kStartWaitMs = 30000;
constexpr DWORD kPollMs = 250;
constexpr wchar_t kFeature[] = L"Main";

// Data of the actions that run later, under the names Windows Installer passes it by.
constexpr wchar_t kBeforeFilesData[] = L"VantrelServiceBeforeFiles";
constexpr wchar_t kAfterFilesData[] = L"VantrelServiceAfterFiles";
constexpr wchar_t kForgetStartupData[] = L"VantrelForgetStartup";
constexpr wchar_t kRestoreStartupData[] = L"VantrelRestoreStartupData";

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
  DWORD size = 0;
  wchar_t empty[1] = L"";
  if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) return std::wstring();
  std::wstring value(size + 1, L'\0');
  size = static_cast<DWORD>(value.size());
  if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return std::wstring();
  value.resize(size);
  return value;
}

// One line in the installer's log. The text goes in as a field, never as a template, so that
// brackets in a path are not read as properties.
void Log(MSIHANDLE install, const std::wstring& text) {
  MSIHANDLE record = MsiCreateRecord(1);
  if (!record) return;
  MsiRecordSetStringW(record, 0, L"Vantrel: [1]");
  MsiRecordSetStringW(record, 1, text.c_str());
  MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
  MsiCloseHandle(record);
}

bool FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where an installed product was put (its uninstall entry's location), or empty.
std::wstring InstallLocation(const std::wstring& productCode) {
  wchar_t location[MAX_PATH + 1] = L"";
  DWORD n = MAX_PATH;
  if (MsiGetProductInfoW(productCode.c_str(), INSTALLPROPERTY_INSTALLLOCATION, location, &n) != ERROR_SUCCESS)
    return std::wstring();
  return location;
}

// The folders this package owns: the install folder first, then where the product and the
// older versions being upgraded were recorded to be.
std::vector<std::wstring> PackageFolders(MSIHANDLE install) {
  std::vector<std::wstring> folders;
  DWORD size = 0;
  wchar_t empty[1] = L"";
  if (MsiGetTargetPathW(install, L"INSTALLDIR", empty, &size) == ERROR_MORE_DATA) {
    std::wstring dir(size + 1, L'\0');
    size = static_cast<DWORD>(dir.size());
    if (MsiGetTargetPathW(install, L"INSTALLDIR", dir.data(), &size) == ERROR_SUCCESS) {
      dir.resize(size);
      folders.push_back(dir);
    }
  }
  // An installed product's own folder as it was recorded, and those of the versions an
  // upgrade replaces.
  std::vector<std::wstring> products = SplitProductCodes(Property(install, L"WIX_UPGRADE_DETECTED"));
  if (!Property(install, L"Installed").empty()) products.push_back(Property(install, L"ProductCode"));
  for (const auto& code : products) {
    std::wstring location = InstallLocation(code);
    bool known = location.empty();
    for (const auto& f : folders) known = known || SamePath(f, location);
    if (!known) folders.push_back(location);
  }
  return folders;
}

// ---- The interactive program -----------------------------------------------------------

struct MainWindow {
  HWND hwnd;
  DWORD pid;
};

BOOL CALLBACK CollectMainWindow(HWND hwnd, LPARAM param) {
  wchar_t className[64] = L"", title[64] = L"";
  GetClassNameW(hwnd, className, 64);
  GetWindowTextW(hwnd, title, 64);
  if (lstrcmpW(className, kMainWindowClass) == 0 && lstrcmpW(title, kMainWindowTitle) == 0 &&
      !GetWindow(hwnd, GW_OWNER)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    reinterpret_cast<std::vector<MainWindow>*>(param)->push_back({hwnd, pid});
  }
  return TRUE;
}

std::wstring ImageOf(HANDLE process) {
  wchar_t image[MAX_PATH * 2] = L"";
  DWORD n = MAX_PATH * 2;
  return QueryFullProcessImageNameW(process, 0, image, &n) ? std::wstring(image, n) : std::wstring();
}

// Asks every OrlixVantrel started from one of the folders to close, as an outside close
// does, and waits (bounded) for each to end. A program that does not end in time is left
// running: it is never killed in the middle of writing.
void CloseRunningPrograms(MSIHANDLE install, const std::vector<std::wstring>& folders) {
  std::vector<MainWindow> windows;
  EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&windows));
  for (const auto& w : windows) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, w.pid);
    if (!process) continue;
    std::wstring image = ImageOf(process);
    if (StartsFileInFolders(ServiceCommand(image), folders, kProgramFile)) {
      Log(install, L"asking " + image + L" (process " + std::to_wstring(w.pid) + L") to close");
      PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process, kCloseWaitMs) == WAIT_OBJECT_0)
        Log(install, L"the program has ended");
      else
        Log(install, L"the program did not end within " + std::to_wstring(kCloseWaitMs / 1000) +
                         L" seconds; it keeps running");
    }
    CloseHandle(process);
  }
}

// ---- The service -----------------------------------------------------------------------

class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE h) : m_handle(h) {}
  ~ScHandle() {
    if (m_handle) CloseServiceHandle(m_handle);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  SC_HANDLE get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }

 private:
  SC_HANDLE m_handle;
};

bool IsRunningState(DWORD state) {
  return state == SERVICE_RUNNING || state == SERVICE_START_PENDING || state == SERVICE_CONTINUE_PENDING ||
         state == SERVICE_PAUSE_PENDING || state == SERVICE_PAUSED;
}

// What the service control manager holds for the service now; needs no administrator rights.
ServiceSnapshot SnapshotService() {
  ServiceSnapshot s;
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return s;
  ScHandle svc(OpenServiceW(scm.get(), kServiceName, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
  if (!svc) return s;
  s.installed = true;
  SERVICE_STATUS status{};
  if (QueryServiceStatus(svc.get(), &status)) s.running = IsRunningState(status.dwCurrentState);
  DWORD needed = 0;
  QueryServiceConfigW(svc.get(), nullptr, 0, &needed);
  if (needed > 0) {
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (QueryServiceConfigW(svc.get(), config, needed, &needed)) {
      s.startType = config->dwStartType;
      if (config->lpBinaryPathName) s.imagePath = config->lpBinaryPathName;
      if (config->lpDisplayName) s.displayName = config->lpDisplayName;
      if (config->lpServiceStartName) s.account = config->lpServiceStartName;
    }
  }
  return s;
}

// Polls until the service's state satisfies `done` or the time is up; the last state read.
template <typename Done>
DWORD WaitForState(SC_HANDLE svc, DWORD timeoutMs, Done done) {
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  SERVICE_STATUS status{};
  for (;;) {
    if (!QueryServiceStatus(svc, &status)) return 0;
    if (done(status.dwCurrentState) || GetTickCount64() >= deadline) return status.dwCurrentState;
    Sleep(kPollMs);
  }
}

void StopAndWait(MSIHANDLE install, SC_HANDLE svc) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(svc, &status) || status.dwCurrentState == SERVICE_STOPPED) return;
  if (status.dwCurrentState != SERVICE_STOP_PENDING) {
    if (!ControlService(svc, SERVICE_CONTROL_STOP, &status) && GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
      Log(install, L"the service refused to stop (error " + std::to_wstring(GetLastError()) + L")");
      return;
    }
  }
  DWORD state = WaitForState(svc, kStopWaitMs, [](DWORD s) { return s == SERVICE_STOPPED; });
  Log(install, state == SERVICE_STOPPED ? L"the service has stopped"
                                        : L"the service did not stop within the time allowed");
}

void StartAndWait(MSIHANDLE install, SC_HANDLE svc) {
  if (!StartServiceW(svc, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
    Log(install, L"the service did not start (error " + std::to_wstring(GetLastError()) + L")");
    return;
  }
  DWORD state = WaitForState(svc, kStartWaitMs, [](DWORD s) { return s != SERVICE_START_PENDING; });
  Log(install, state == SERVICE_RUNNING ? L"the service is running"
                                        : L"the service did not reach the running state; see vantrelservice.log");
}

// ---- The Run value ---------------------------------------------------------------------

std::wstring ReadRunValue() {
  wchar_t value[4096] = L"";
  DWORD bytes = sizeof(value) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, keys::kRun, keys::kRunValue, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, value, &bytes) != ERROR_SUCCESS)
    return std::wstring();
  return value;
}

const wchar_t* ModeName(SetupMode mode) {
  switch (mode) {
    case SetupMode::kRemove: return L"remove";
    case SetupMode::kRemoveForUpgrade: return L"remove-for-upgrade";
    default: return L"install";
  }
}

SetupMode ModeFromName(const std::wstring& name) {
  if (name == L"remove") return SetupMode::kRemove;
  if (name == L"remove-for-upgrade") return SetupMode::kRemoveForUpgrade;
  return SetupMode::kInstall;
}

const std::wstring& Field(const Fields& fields, const wchar_t* name) {
  static const std::wstring kNone;
  auto it = fields.find(name);
  return it == fields.end() ? kNone : it->second;
}

}  // namespace
}  // namespace vantrel::setup

using namespace vantrel::setup;

// First: an older package does not go over a newer version. Says so (a message box with a
// user interface, the installer's log without) and ends the installation.
extern "C" __declspec(dllexport) UINT __stdcall VantrelRefuseDowngrade(MSIHANDLE install) {
  if (Property(install, L"WIX_DOWNGRADE_DETECTED").empty()) return ERROR_SUCCESS;
  std::wstring message = Property(install, L"VantrelDowngradeMessage");
  if (message.empty()) message = L"A newer version of Vantrel is already installed.";
  Log(install, message);
  MSIHANDLE record = MsiCreateRecord(1);
  if (record) {
    MsiRecordSetStringW(record, 0, L"[1]");
    MsiRecordSetStringW(record, 1, message.c_str());
    MsiProcessMessage(install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), record);
    MsiCloseHandle(record);
  }
  return ERROR_INSTALL_FAILURE;
}

// Before costing, when INSTALLDIR is not on the command line: the folder the product is in
// (removal, repair) or the one of the older version being upgraded, so that a folder chosen at
// the first install is where every later run works.
extern "C" __declspec(dllexport) UINT __stdcall VantrelLocate(MSIHANDLE install) {
  if (!Property(install, L"INSTALLDIR").empty()) return ERROR_SUCCESS;
  std::vector<std::wstring> products;
  if (!Property(install, L"Installed").empty()) products.push_back(Property(install, L"ProductCode"));
  for (const auto& code : SplitProductCodes(Property(install, L"WIX_UPGRADE_DETECTED"))) products.push_back(code);
  for (const auto& code : products) {
    std::wstring location = InstallLocation(code);
    if (location.empty()) continue;
    std::wstring folder = JoinPath(location, L"");  // with its closing backslash
    Log(install, L"the product's folder: " + folder);
    MsiSetPropertyW(install, L"INSTALLDIR", folder.c_str());
    break;
  }
  return ERROR_SUCCESS;
}

// Before the installer validates the files: close the running program, and note what the
// later steps need (the service's registration and the Run value as they are now).
extern "C" __declspec(dllexport) UINT __stdcall VantrelPrepare(MSIHANDLE install) {
  std::vector<std::wstring> folders = PackageFolders(install);
  if (folders.empty()) return ERROR_SUCCESS;
  INSTALLSTATE installed = INSTALLSTATE_UNKNOWN, action = INSTALLSTATE_UNKNOWN;
  MsiGetFeatureStateW(install, kFeature, &installed, &action);
  SetupMode mode = ModeOf(action == INSTALLSTATE_ABSENT, Property(install, L"UPGRADINGPRODUCTCODE"));
  Log(install, std::wstring(L"mode ") + ModeName(mode) + L", folders " + JoinFolders(folders));

  CloseRunningPrograms(install, folders);

  Fields before{{L"mode", ModeName(mode)}, {L"folders", JoinFolders(folders)}};
  MsiSetPropertyW(install, kBeforeFilesData, EncodeFields(before).c_str());
  if (mode == SetupMode::kRemove) {
    MsiSetPropertyW(install, kForgetStartupData, EncodeFields({{L"folders", JoinFolders(folders)}}).c_str());
  }
  if (mode == SetupMode::kInstall) {
    Fields after{{L"folders", JoinFolders(folders)}, {L"program", JoinPath(folders.front(), kServiceFile)}};
    PutSnapshot(SnapshotService(), &after);
    MsiSetPropertyW(install, kAfterFilesData, EncodeFields(after).c_str());
    Fields startup{{L"before", ReadRunValue()},
                   {L"folders", JoinFolders(folders)},
                   {L"program", JoinPath(folders.front(), kProgramFile)}};
    MsiSetPropertyW(install, kRestoreStartupData, EncodeFields(startup).c_str());
  }
  return ERROR_SUCCESS;
}

// Deferred, with the installer's rights: the service stops before its program file is
// replaced or removed, and on removal its registration goes too.
extern "C" __declspec(dllexport) UINT __stdcall VantrelServiceBeforeFiles(MSIHANDLE install) {
  Fields fields = DecodeFields(Property(install, L"CustomActionData"));
  if (fields.empty()) return ERROR_SUCCESS;
  ServiceBeforeFiles plan =
      PlanServiceBeforeFiles(ModeFromName(Field(fields, L"mode")), SnapshotService(), SplitFolders(Field(fields, L"folders")));
  if (!plan.stop && !plan.remove) return ERROR_SUCCESS;
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ScHandle svc(scm ? OpenServiceW(scm.get(), kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE) : nullptr);
  if (!svc) {
    Log(install, L"the service could not be opened (error " + std::to_wstring(GetLastError()) + L")");
    return ERROR_SUCCESS;
  }
  if (plan.stop) StopAndWait(install, svc.get());
  if (plan.remove) Log(install, DeleteService(svc.get()) ? L"the service has been removed" : L"the service could not be removed");
  return ERROR_SUCCESS;
}

// Deferred, as the user: removal forgets the user's "start with Windows" value.
extern "C" __declspec(dllexport) UINT __stdcall VantrelForgetStartup(MSIHANDLE install) {
  Fields fields = DecodeFields(Property(install, L"CustomActionData"));
  if (fields.empty() || !ShouldForgetStartup(ReadRunValue(), SplitFolders(Field(fields, L"folders"))))
    return ERROR_SUCCESS;
  LSTATUS result = RegDeleteKeyValueW(HKEY_CURRENT_USER, vantrel::keys::kRun, vantrel::keys::kRunValue);
  Log(install, result == ERROR_SUCCESS ? L"the Run value has been removed" : L"the Run value could not be removed");
  return ERROR_SUCCESS;
}

// Deferred, with the installer's rights, once the files are in place: the service as it was
// before, registered, pointing at the installed program, and running again.
extern "C" __declspec(dllexport) UINT __stdcall VantrelServiceAfterFiles(MSIHANDLE install) {
  Fields fields = DecodeFields(Property(install, L"CustomActionData"));
  if (fields.empty()) return ERROR_SUCCESS;
  ServiceSnapshot before = GetSnapshot(fields);
  ServiceSnapshot now = SnapshotService();
  std::wstring program = Field(fields, L"program");
  ServiceAfterFiles plan = PlanServiceAfterFiles(before, SplitFolders(Field(fields, L"folders")), now.installed,
                                                 FileExists(ProgramOfCommand(now.imagePath)));
  if (!plan.create && !plan.repoint && !plan.start) return ERROR_SUCCESS;
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!scm) {
    Log(install, L"the service control manager could not be opened (error " + std::to_wstring(GetLastError()) + L")");
    return ERROR_SUCCESS;
  }
  std::wstring command = ServiceCommand(program);
  SC_HANDLE handle = nullptr;
  if (plan.create) {
    // The registration the service's own install step makes, with the start type it had.
    const std::wstring& display = before.displayName.empty() ? std::wstring(kServiceDisplayName) : before.displayName;
    handle = CreateServiceW(scm.get(), kServiceName, display.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                            before.startType, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr,
                            nullptr, nullptr);
    Log(install, handle ? L"the service has been registered again: " + command
                        : L"the service could not be registered again (error " + std::to_wstring(GetLastError()) + L")");
  } else {
    handle = OpenServiceW(scm.get(), kServiceName, SERVICE_ALL_ACCESS);
    if (handle && plan.repoint) {
      bool changed = ChangeServiceConfigW(handle, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                          command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
      Log(install, changed ? L"the service now starts " + command : L"the service's program could not be changed");
    }
  }
  ScHandle svc(handle);
  if (svc && plan.start) StartAndWait(install, svc.get());
  return ERROR_SUCCESS;
}

// Immediate, as the user, after the installation: a Run value that started the program keeps
// starting it (an older version's removal may have deleted it, or the folder moved).
extern "C" __declspec(dllexport) UINT __stdcall VantrelRestoreStartup(MSIHANDLE install) {
  Fields fields = DecodeFields(Property(install, kRestoreStartupData));
  if (fields.empty()) return ERROR_SUCCESS;
  std::wstring now = ReadRunValue();
  auto value = PlanStartupAfterFiles(Field(fields, L"before"), now, FileExists(ProgramOfCommand(now)),
                                     SplitFolders(Field(fields, L"folders")), Field(fields, L"program"));
  if (!value) return ERROR_SUCCESS;
  DWORD bytes = static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t));
  LSTATUS result = RegSetKeyValueW(HKEY_CURRENT_USER, vantrel::keys::kRun, vantrel::keys::kRunValue, REG_SZ,
                                   value->c_str(), bytes);
  Log(install, result == ERROR_SUCCESS ? L"the Run value starts " + *value : L"the Run value could not be written");
  return ERROR_SUCCESS;
}
