// CMainDlg: the service settings and switching the service mode on and off from the Service
// page: settings mirrored machine-wide, the traffic log handed to the service and taken
// back, the service installed, started, stopped and removed.
#include <algorithm>
#include <vector>

#include "app/win32/main_dlg.h"
#include "notify/email_settings.h"
#include "platform/file.h"
#include "reports/rates_recorder.h"

namespace vantrel {

// The apply's steps on the main window's state.
class ServiceApplySteps : public IServiceApplySteps {
 public:
  explicit ServiceApplySteps(CMainDlg& main) : m(main) {}

  void WriteTodayRecords() override { m.m_log.WriteTodayRecords(m.m_adapters, m.Today()); }
  void WriteServiceKey(SettingsRoot root) override { m.WriteServiceKey(root); }
  void WriteMachineLogPath() override { m.m_log.WriteMachineLogPath(); }
  void SaveMachineOptionGroups() override {
    SaveOptions(m.m_store, SettingsRoot::LocalMachine, m.m_options, kMachineGroups);
  }
  void SaveMachineAdapters() override {
    SaveMonitoredList(m.m_store, SettingsRoot::LocalMachine, m.m_adapters, kSaveIdentity | kSaveRecording);
  }
  void SaveMachineEmailSettings() override { WriteEmailSettings(m.m_store, SettingsRoot::LocalMachine, m.m_email); }
  void CloseRateFiles() override {
    for (AdapterEntry& e : m.m_adapters) e.rateFile.reset();
  }
  void ReopenLogAsReader() override {
    m.m_log.CloseTrafficLog();
    m.m_log.SetServiceMode(true);
    // Today's totals stay as counted; the service starts from the records just written.
    if (!m.m_log.OpenTrafficLog()) PostMessageW(m.m_hwnd, UM_LOG_OPEN_FAILED, 0, 0);
    // No longer the owner: the endpoint stops before the service starts and takes the port.
    m.UpdateMetricsServing();
  }
  int32_t QueryServiceState() override { return m.m_serviceState.QueryServiceState(kServiceName); }
  bool InstallService() override {
    return m.m_serviceState.InstallService(ServiceProgramPath(), kServiceName, kServiceDisplayName, L"", false, true);
  }
  bool StartServiceAndWait() override { return m.m_serviceState.StartServiceAndWait(kServiceName); }
  bool StopServiceAndWait() override { return m.m_serviceState.StopServiceAndWait(kServiceName); }
  bool RemoveService() override { return m.m_serviceState.RemoveService(kServiceName); }
  void ReopenLogAsOwner() override { m.TakeLogBackFromService(); }
  void PrepareNotification() override { m.PrepareNotification(); }
  void PrepareRateRecording() override { m.StartRateRecording(); }

 private:
  CMainDlg& m;
};

void CMainDlg::ReadServiceKey() { m_service = ReadServiceSettings(m_store, SettingsRoot::CurrentUser); }

void CMainDlg::WriteServiceKey(SettingsRoot root) { WriteServiceSettings(m_store, root, m_service); }

void CMainDlg::ApplyServiceSettings(const ServicePageData& page) {
  // The SCM waits block this thread; the wait cursor says so.
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  ServiceApplySteps steps(*this);
  ApplyServicePage(page, m_options.notificationEnabled != 0, &m_service, steps);
  SetCursor(previous);
}

void CMainDlg::TakeLogBackFromService() {
  // What this program counted while it only read the log: the service may have missed some
  // of it (the seconds before it started, or all of it when it never ran), so no total
  // goes below it.
  std::vector<std::pair<uint64_t, uint64_t>> counted;
  for (const AdapterEntry& e : m_adapters) counted.emplace_back(e.todayDown, e.todayUp);
  m_log.CloseTrafficLog();
  m_log.SetServiceMode(false);
  if (!m_log.OpenTrafficLog()) {
    PostMessageW(m_hwnd, UM_LOG_OPEN_FAILED, 0, 0);
    UpdateMetricsServing();
    return;
  }
  m_log.LoadTodayTotals(m_adapters, Today());
  size_t i = 0;
  for (AdapterEntry& e : m_adapters) {
    if (i >= counted.size()) break;
    e.todayDown = std::max(e.todayDown, counted[i].first);
    e.todayUp = std::max(e.todayUp, counted[i].second);
    ++i;
  }
  UpdateMetricsServing();
}

}  // namespace vantrel
