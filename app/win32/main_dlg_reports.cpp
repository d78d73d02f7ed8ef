// CMainDlg: opening the Traffic Reports window and the Traffic Rates Recorder dialog, taking
// back what they changed, and clearing the traffic history on the reports window's request.
#include "app/logic/main_messages.h"
#include "app/win32/main_dlg.h"
#include "app/win32/rates_recorder_dlg.h"
#include "app/win32/summary_sheet.h"
#include "platform/file.h"
#include "platform/text.h"
#include "reports/rates_recorder.h"

namespace vantrel {

static_assert(UM_CLEAR_HISTORY == kUmClearHistory, "the reports window asks with UM_CLEAR_HISTORY");

void CMainDlg::OpenTrafficReports() {
  SummarySheetSettings s;
  s.log = m_log.ReadHandle();
  s.adapters = &m_adapters;
  s.weekStart = static_cast<int>(m_options.weekStartDay);
  s.monthStart = static_cast<int>(m_options.monthStartDay);
  s.dateFormat = m_options.dateFormat;
  s.byteUnits = m_options.displayUnitByte != 0;
  s.serviceMode = ServiceWritesLog();
  s.adapter = m_reportsAdapter;
  s.logPath = m_log.StoredPath();
  s.openLogPath = m_log.Path();
  s.lastDays = m_options.sumLastDays;
  s.startPage = m_reportsPage;
  s.chartRange = m_options.reportChartRange;
  s.downColor = m_options.downColor;
  s.upColor = m_options.upColor;
  s.notificationEnabled = m_options.notificationEnabled != 0;
  s.notificationRule = m_options.notification;

  CSummarySheet sheet(m_instance, m_hwnd, m_icon, s);
  sheet.Run();

  m_reportsAdapter = sheet.Adapter();
  m_reportsPage = sheet.PageIndex();
  m_options.sumLastDays = sheet.LastDays();
  SaveOptionGroups(kGroupSumLastDays, true);
  if (sheet.ChartRangeValue() != m_options.reportChartRange) {
    m_options.reportChartRange = sheet.ChartRangeValue();
    SaveOptionGroups(kGroupReportChart, false);
  }
  // The open log stays as it is: a new path takes effect at the next start.
  if (!EqualsIgnoreCase(sheet.LogPath(), m_log.StoredPath())) m_log.ChangeLogPath(sheet.LogPath());
}

void CMainDlg::OpenRatesRecorder() {
  CRatesRecorderDlg dialog(m_adapters);
  if (!dialog.Run(m_instance, m_hwnd)) return;
  ApplyRecorderSettings(m_adapters, dialog.Rows(), SystemFileSystem(), ServiceRecordsRates(), m_clock.Now(),
                        m_options.displayUnitByte != 0, m_options.dateFormat, m_options.showIPInTitle != 0);
  SaveMonitoredList(m_store, SettingsRoot::CurrentUser, m_adapters, kSaveRecording);
  if (ServiceMode()) SaveMonitoredList(m_store, SettingsRoot::LocalMachine, m_adapters, kSaveRecording);
  if (ServiceRecordsRates()) ShowMessage(ServiceRecordsNotice(), MB_ICONINFORMATION);
}

bool CMainDlg::ClearTrafficHistory() {
  if (!m_log.ClearTrafficLog(m_adapters)) return false;
  // The notification's totals before today came from the records just removed.
  if (m_options.notificationEnabled) PrepareNotification();
  return true;
}

}  // namespace vantrel
