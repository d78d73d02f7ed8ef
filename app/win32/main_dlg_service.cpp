// CMainDlg: the service settings and switching the service mode on and off from the Service
// page: settings mirrored machine-wide, the traffic log handed to the service and taken
// back, the service installed, started, stopped and removed, failures reported, and the
// restart as administrator when the rights are missing.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <vector>

#include "app/logic/main_messages.h"
#include "app/logic/start_up.h"
#include "app/win32/main_dlg.h"
#include "app/win32/service_waits.h"
#include "notify/email_settings.h"
#include "platform/file.h"
#include "reports/rates_recorder.h"
#include "settings/settings_keys.h"

namespace vantrel {

namespace {

// All of an apply's waits on the service control manager together.
constexpr std::chrono::seconds kApplyWaitBudget{60};

// What the Service page shows while the apply waits.
constexpr wchar_t kInstallingText[] = L"Installing Vantrel Service...";
constexpr wchar_t kStartingText[] = L"Starting Vantrel Service...";
constexpr wchar_t kStoppingText[] = L"Stopping Vantrel Service...";
constexpr wchar_t kRemovingText[] = L"Removing Vantrel Service...";

}  // namespace

// The apply's steps on the main window's state. The service control steps run on threads of
// their own while this thread dispatches its messages, the sheet is greyed and its page says
// what is being done; they share one deadline.
class ServiceApplySteps : public IServiceApplySteps {
 public:
  ServiceApplySteps(CMainDlg& main, HWND status)
      : m(main), m_status(status), m_deadline(std::chrono::steady_clock::now() + kApplyWaitBudget) {}

  void WriteTodayRecords() override { m.m_log.WriteTodayRecords(m.m_adapters, m.Today()); }
  bool WriteServiceKey(SettingsRoot root) override {
    return WriteServiceSettings(m.m_store, root, m.m_service);
  }
  bool WriteMachineLogPath() override { return m.m_log.WriteMachineLogPath(); }
  void SaveMachineOptionGroups() override {
    SaveOptions(m.m_store, SettingsRoot::LocalMachine, m.m_options, kMachineGroups);
  }
  void SaveMachineAdapters() override {
    SaveMonitoredList(m.m_store, SettingsRoot::LocalMachine, m.m_adapters, kSaveIdentity | kSaveRecording);
  }
  bool SaveMachineEmailSettings() override {
    return WriteEmailSettings(m.m_store, SettingsRoot::LocalMachine, m.m_email);
  }
  void CloseRateFiles() override {
    for (AdapterEntry& e : m.m_adapters) e.rateFile.reset();
  }
  void ReopenLogAsReader() override { m.HandLogToService(); }
  int32_t QueryServiceState() override { return ScmServiceState().LookAtService(kServiceName).state; }
  bool InstallService() override {
    std::wstring path = ServiceProgramPath();
    return Wait(kInstallingText, [path] {
      return ScmServiceState().InstallService(path, kServiceName, kServiceDisplayName, L"", false, true);
    });
  }
  bool StartServiceAndWait() override {
    auto deadline = m_deadline;
    return Wait(kStartingText, [deadline] { return ScmServiceState(deadline).StartServiceAndWait(kServiceName); });
  }
  bool StopServiceAndWait() override {
    auto deadline = m_deadline;
    return Wait(kStoppingText, [deadline] { return ScmServiceState(deadline).StopServiceAndWait(kServiceName); });
  }
  bool RemoveService() override {
    auto deadline = m_deadline;
    return Wait(kRemovingText, [deadline] { return ScmServiceState(deadline).RemoveService(kServiceName); });
  }
  void ReopenLogAsOwner() override {
    m.m_log.SetServiceMode(false);
    if (!m.TakeLogAsOwner()) PostMessageW(m.m_hwnd, UM_LOG_OPEN_FAILED, 0, 0);
  }
  void PrepareNotification() override { m.PrepareNotification(); }
  void PrepareRateRecording() override { m.StartRateRecording(); }

 private:
  bool Wait(const wchar_t* text, std::function<bool()> work) {
    HWND sheet = m_status ? GetAncestor(m_status, GA_ROOT) : nullptr;
    if (m_status) SetWindowTextW(m_status, text);
    // No second apply and no closing of the sheet while this one waits.
    bool wasEnabled = sheet && IsWindowEnabled(sheet);
    if (wasEnabled) EnableWindow(sheet, FALSE);
    bool ok = RunWhilePumping(std::move(work));
    if (wasEnabled) EnableWindow(sheet, TRUE);
    if (m_status) SetWindowTextW(m_status, L"");
    return ok;
  }

  CMainDlg& m;
  HWND m_status;
  std::chrono::steady_clock::time_point m_deadline;
};

void CMainDlg::ReadServiceKey() { m_service = ReadServiceSettings(m_store, SettingsRoot::CurrentUser); }

void CMainDlg::WriteServiceKey(SettingsRoot root) { WriteServiceSettings(m_store, root, m_service); }

void CMainDlg::ApplyServiceSettings(const ServicePageData& page) {
  // No look at the service while the apply changes it; starts begun before are stale now.
  m_supervision.applying = true;
  ++m_supervision.generation;
  HWND status = reinterpret_cast<HWND>(page.statusWindow);
  bool programOwnsLog = ServiceMode() && m_supervision.writer == LogWriter::Program;
  ServiceApplySteps steps(*this, status);
  ServiceApplyFailures failures =
      ApplyServicePage(page, m_options.notificationEnabled != 0, programOwnsLog, &m_service, steps);
  m_supervision.applying = false;
  if (failures.Any()) ReportServiceApplyFailures(failures, status ? GetAncestor(status, GA_ROOT) : m_hwnd);
  // A service that did not start leaves nobody writing the log: the look says who will.
  if (ServiceMode()) SuperviseService();
}

void CMainDlg::ReportServiceApplyFailures(const ServiceApplyFailures& failures, HWND owner) {
  bool offer = !HasServiceAdminRights();
  std::wstring text = ServiceApplyFailureText(failures, offer);
  UINT buttons = offer ? MB_YESNO : MB_OK;
  if (MessageBoxW(owner, text.c_str(), kAppCaption, buttons | MB_ICONWARNING) == IDYES) RestartAsAdministrator(owner);
}

bool CMainDlg::TakeLogAsOwner() {
  const HandBackBaseline* baseline = m_supervision.writer == LogWriter::Service ? &m_supervision.baseline : nullptr;
  if (m_log.Access() != LogAccess::Owner &&
      (!m_tick || !TakeTodayFromLog(m_log, m_adapters, *m_tick, Today(), baseline)))
    return false;
  m_supervision.writer = LogWriter::Program;
  // The owner of the log serves the metrics.
  UpdateMetricsServing();
  return true;
}

void CMainDlg::MirrorSettingsForService() {
  m_log.WriteMachineLogPath();
  WriteServiceKey(SettingsRoot::LocalMachine);
  SaveOptions(m_store, SettingsRoot::LocalMachine, m_options, kMachineGroups);
  SaveMonitoredList(m_store, SettingsRoot::LocalMachine, m_adapters, kSaveIdentity | kSaveRecording);
  if (m_options.notificationEnabled) WriteEmailSettings(m_store, SettingsRoot::LocalMachine, m_email);
}

void CMainDlg::HandLogToService() {
  // The service starts from today's records.
  m_log.WriteTodayRecords(m_adapters, Today());
  m_log.SetServiceMode(true);
  m_supervision.writer = LogWriter::Service;
  if (ServiceRecordsRates())
    for (AdapterEntry& e : m_adapters) e.rateFile.reset();
  m_log.CloseTrafficLog();
  // Today's totals stay as counted, and the log holds them.
  if (!m_log.OpenTrafficLog()) PostMessageW(m_hwnd, UM_LOG_OPEN_FAILED, 0, 0);
  m_supervision.baseline.Agree(m_adapters);
  // No longer the owner: the endpoint stops before the service starts and takes the port.
  UpdateMetricsServing();
}

bool CMainDlg::RestartAsAdministrator(HWND sheet) {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  // The new copy waits for this one to end (it holds the log) and opens the Service page.
  WriteDword(m_store, SettingsRoot::CurrentUser, keys::kOptions, kRestartedFromValue, GetCurrentProcessId());
  // Without a window handle to find, the new copy is not handed over to this one.
  uint32_t handle = m_options.hwnd;
  m_options.hwnd = 0;
  SaveOptions(m_store, SettingsRoot::CurrentUser, m_options, kGroupHandle);
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOASYNC;
  run.hwnd = sheet ? sheet : m_hwnd;
  run.lpVerb = L"runas";
  run.lpFile = path;
  run.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&run)) {
    m_store.DeleteValue(SettingsRoot::CurrentUser, keys::kOptions, kRestartedFromValue);
    m_options.hwnd = handle;
    SaveOptions(m_store, SettingsRoot::CurrentUser, m_options, kGroupHandle);
    return false;
  }
  if (sheet && sheet != m_hwnd) {
    // The sheet closes first; OpenOptions then ends the program.
    m_endAfterOptions = true;
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  } else {
    EndModal(IDCANCEL);
  }
  return true;
}

}  // namespace vantrel
