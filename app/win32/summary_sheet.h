#pragma once
// CSummarySheet: the Traffic Reports window, a modal property sheet with the summary, daily,
// weekly and monthly reports and the chart of one adapter chosen in its drop-down list. It
// reads the main window's open traffic log and live totals, exports the page in front, asks
// the main window to clear the history, and lets the user choose, back up or restore the log
// file. The main window reads back the adapter, the page, N, the chart's range and the log
// path when it closes.
#include <windows.h>

#include <string>
#include <vector>

#include "app/logic/summary_sheet_logic.h"
#include "app/win32/sum_chart_page.h"
#include "app/win32/sum_list_page.h"
#include "app/win32/sum_summary_page.h"
#include "engine/adapter_entry.h"
#include "platform/file.h"
#include "reports/report_tables.h"
#include "ui/dialog_font.h"
#include "ui/property_sheet.h"

namespace vantrel {

// What the main window hands over when it opens the window.
struct SummarySheetSettings {
  IFile* log = nullptr;                     // the open traffic log, read only; null without one
  const MonitoredList* adapters = nullptr;  // the engine's list, the source of the live totals
  int weekStart = 0;
  int monthStart = 1;
  uint32_t dateFormat = 17;
  bool byteUnits = false;                   // DisplayUnitByte
  bool serviceMode = false;                 // the service owns the log: it cannot be cleared here
  ReportAdapter adapter;                    // chosen last time during this run
  std::wstring logPath;                     // TrafficLogFile: shown, and changed by Change and Restore
  std::wstring openLogPath;                 // the log open until the next start: backed up, restored beside
  int lastDays = 30;                        // SumLastDays
  int startPage = 0;                        // the page in front when it last closed
  // The chart page: its range (ReportChartRange), the graph's colours and the notification rule.
  uint32_t chartRange = kDefaultChartRange;
  uint32_t downColor = 0x0000FF;            // DownColor, 0x00BBGGRR
  uint32_t upColor = 0x00CC00;              // UpColor
  bool notificationEnabled = false;
  NotificationRule notificationRule;
};

class CSummarySheet : public ui::CPropertySheet {
 public:
  CSummarySheet(HINSTANCE instance, HWND mainWindow, HICON icon, const SummarySheetSettings& settings);

  // Runs the window modally over the main window; returns when it is closed.
  void Run();

  // After the run: what the main window keeps and saves.
  const ReportAdapter& Adapter() const { return m_adapter; }
  int PageIndex() const { return LastActivePageIndex(); }
  int LastDays() const { return m_summary.LastDays(); }
  const std::wstring& LogPath() const { return m_logPath; }
  uint32_t ChartRangeValue() const { return static_cast<uint32_t>(m_chart.Range()); }

  // For the pages.
  const SummarySheetSettings& Settings() const { return m_settings; }
  const std::wstring& AdapterName() const { return m_adapterName; }
  // The report context for an adapter now: today's date read once, the live totals of the
  // engine's entry (0 and 0 without one), the settings' calendar and units, N.
  ReportContext Context(const ReportAdapter& adapter, int lastDays) const;
  // The engine's first entry for an adapter, or null.
  const AdapterEntry* EntryFor(const ReportAdapter& adapter) const;
  void SetLogPath(const std::wstring& path) { m_logPath = path; }
  // The window that owns message boxes and file dialogs.
  HWND Owner() const { return m_hwnd ? m_hwnd : m_main; }

 protected:
  void OnInitSheet() override;
  bool OnSheetMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void PlaceOwnControls();
  void FillAdapterList();
  void OnAdapterSelected();
  void OnClear();
  void SendToActivePage(UINT msg);

  HWND m_main;
  SummarySheetSettings m_settings;
  ReportAdapter m_adapter;
  std::wstring m_adapterName;
  std::wstring m_logPath;
  std::vector<ReportAdapter> m_items;  // the drop-down's items, in the engine's order
  std::vector<std::wstring> m_names;
  int m_selected = -1;
  CSumSummaryPage m_summary;
  CSumDailyPage m_daily;
  CSumWeeklyPage m_weekly;
  CSumMonthlyPage m_monthly;
  CSumChartPage m_chart;
  HWND m_exportButton = nullptr;
  HWND m_clearButton = nullptr;
  HWND m_adapterList = nullptr;
};

}  // namespace vantrel
