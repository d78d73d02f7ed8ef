// The chart page of the Traffic Reports window.
#include "app/win32/sum_chart_page.h"

#include <commdlg.h>

#include "app/logic/chart_layout.h"
#include "app/res/reports_ids.h"
#include "app/win32/report_page_common.h"
#include "app/win32/summary_sheet.h"
#include "platform/clock.h"
#include "ui/file_dialog.h"

namespace vantrel {

namespace {

constexpr int kRangeButtons[] = {IDC_CHART_DAYS, IDC_CHART_WEEKS, IDC_CHART_MONTHS};

// "PNG Image (*.png)" with "*.png", ended by an empty pair.
const wchar_t kPngFilter[] = L"PNG Image (*.png)\0*.png\0";

}  // namespace

CSumChartPage::CSumChartPage(HINSTANCE instance, CSummarySheet& sheet, ChartRange range)
    : CReportPage(instance, IDD_SUM_CHART, sheet), m_range(range) {}

BOOL CSumChartPage::OnInitDialog() {
  CheckRadioButton(m_hwnd, IDC_CHART_DAYS, IDC_CHART_MONTHS, kRangeButtons[static_cast<int>(m_range)]);
  const SummarySheetSettings& s = m_sheet.Settings();
  m_view.CreateOver(GetModuleHandleW(nullptr), GetDlgItem(m_hwnd, IDC_CHART_VIEW));
  m_view.SetColours(static_cast<COLORREF>(s.downColor), static_cast<COLORREF>(s.upColor));
  StartFollowing();
  return TRUE;
}

const NotificationRule* CSumChartPage::Rule() const {
  const SummarySheetSettings& s = m_sheet.Settings();
  return s.notificationEnabled ? &s.notificationRule : nullptr;
}

void CSumChartPage::Build() {
  {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ReportContext ctx = m_sheet.Context(m_tracker.BuiltFor(), 0);
    m_entry = m_sheet.EntryFor(m_tracker.BuiltFor());
    m_chart = BuildChart(ctx, m_range, Rule());
    SetCursor(old);
  }
  Show();
}

void CSumChartPage::Refresh() {
  // Past midnight the bars move on by a day: the engine's totals are the new day's now.
  LocalTime now = SystemClock().Now();
  if (Date{now.year, now.month, now.day} != m_chart.today) {
    Build();
    return;
  }
  if (UpdateChartLive(&m_chart, Live())) Show();
}

void CSumChartPage::Show() {
  m_view.SetChart(m_chart);
  std::wstring line = ChartOutlookLine(ChartOutlookOf(m_chart), m_chart.byteUnits, m_chart.dateFormat);
  wchar_t shown[512] = {};
  GetDlgItemTextW(m_hwnd, IDC_CHART_OUTLOOK, shown, 512);
  if (line != shown) SetDlgItemTextW(m_hwnd, IDC_CHART_OUTLOOK, line.c_str());
}

void CSumChartPage::OnRangeChosen(ChartRange range) {
  CheckRadioButton(m_hwnd, IDC_CHART_DAYS, IDC_CHART_MONTHS, kRangeButtons[static_cast<int>(range)]);
  if (range == m_range) return;
  m_range = range;
  Build();
}

void CSumChartPage::Export() {
  ui::FileDialogRequest ask;
  ask.owner = m_sheet.Owner();
  ask.filter = kPngFilter;
  ask.title = kChartExportTitle;
  ask.flags = OFN_OVERWRITEPROMPT;
  if (!ui::AskSaveFile(ask)) return;
  std::wstring path = ChartExportPath(ask.file);
  EndExport(ask.owner, m_view.SaveAsPng(path), path, ChartExportQuestion(path));
}

void CSumChartPage::ClearHistory() {
  // The page's own adapter: a page in the back may still show another one until it is shown.
  m_entry = m_sheet.EntryFor(m_tracker.BuiltFor());
  m_chart = ClearedChart(m_sheet.Context(m_tracker.BuiltFor(), 0), m_range, Rule());
  Show();
}

bool CSumChartPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return false;
      for (int i = 0; i < 3; ++i) {
        if (LOWORD(wp) == kRangeButtons[i]) {
          OnRangeChosen(static_cast<ChartRange>(i));
          return true;
        }
      }
      break;
    default:
      break;
  }
  return CReportPage::OnMessage(msg, wp, lp, result);
}

}  // namespace vantrel
