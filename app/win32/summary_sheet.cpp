// CSummarySheet: the Traffic Reports window.
#include "app/win32/summary_sheet.h"

#include <commctrl.h>

#include "app/res/reports_ids.h"
#include "app/win32/report_page_common.h"
#include "platform/clock.h"
#include "ui/dpi.h"

namespace vantrel {

namespace {

PixelRect ChildRect(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return PixelRect{r.left, r.top, r.right, r.bottom};
}

HWND MakeChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const PixelRect& r, int id,
               HINSTANCE instance) {
  return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, r.left, r.top, r.Width(),
                         r.Height(), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

CSummarySheet::CSummarySheet(HINSTANCE instance, HWND mainWindow, HICON icon, const SummarySheetSettings& settings)
    : CPropertySheet(instance),
      m_main(mainWindow),
      m_settings(settings),
      m_logPath(settings.logPath),
      m_summary(instance, *this, settings.lastDays),
      m_daily(instance, *this),
      m_weekly(instance, *this),
      m_monthly(instance, *this),
      m_chart(instance, *this, ChartRangeFromValue(settings.chartRange)) {
  if (settings.adapters) {
    for (const AdapterEntry& e : *settings.adapters) {
      m_items.push_back(ReportAdapter{e.kind, e.id});
      m_names.push_back(e.displayName);
    }
  }
  // Decided before the sheet exists, so that the first page builds for the adapter shown.
  AdapterSelection selection = SelectReportAdapter(m_items, settings.adapter);
  m_selected = selection.index;
  m_adapter = selection.adapter;
  m_adapterName = m_selected >= 0 ? m_names[static_cast<size_t>(m_selected)] : std::wstring(L"All Connections");

  AddPage(&m_summary);
  AddPage(&m_daily);
  AddPage(&m_weekly);
  AddPage(&m_monthly);
  AddPage(&m_chart);
  SetCaption(ReportsCaption(m_adapterName));
  SetIcon(icon);
  SetStartPage(settings.startPage);
  SetExtraFlags(PSH_NOAPPLYNOW);
  SetExtraStyle(WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_APPWINDOW);
}

void CSummarySheet::Run() { DoModal(m_main); }

const AdapterEntry* CSummarySheet::EntryFor(const ReportAdapter& adapter) const {
  return m_settings.adapters ? m_settings.adapters->Find(adapter.kind, adapter.id) : nullptr;
}

ReportContext CSummarySheet::Context(const ReportAdapter& adapter, int lastDays) const {
  ReportContext ctx;
  ctx.log = m_settings.log;
  ctx.kind = adapter.kind;
  ctx.id = adapter.id;
  if (const AdapterEntry* e = EntryFor(adapter))
    ctx.live = TrafficPair{static_cast<int64_t>(e->todayDown), static_cast<int64_t>(e->todayUp)};
  SetReportToday(&ctx, SystemClock().Now());
  ctx.weekStart = m_settings.weekStart;
  ctx.monthStart = m_settings.monthStart;
  ctx.dateFormat = m_settings.dateFormat;
  ctx.lastDays = lastDays;
  ctx.byteUnits = m_settings.byteUnits;
  return ctx;
}

void CSummarySheet::OnInitSheet() {
  // Centred on the desktop's work area.
  RECT sheet{}, work{};
  GetWindowRect(m_hwnd, &sheet);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = sheet.right - sheet.left, height = sheet.bottom - sheet.top;
  SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  ShowWindow(GetDlgItem(m_hwnd, IDOK), SW_HIDE);
  SetDlgItemTextW(m_hwnd, IDCANCEL, L"&Close");
  PlaceOwnControls();
  FillAdapterList();
  SetWindowTextW(m_hwnd, ReportsCaption(m_adapterName).c_str());
}

void CSummarySheet::PlaceOwnControls() {
  HWND close = GetDlgItem(m_hwnd, IDCANCEL);
  if (!close) return;
  SheetButtonRow row =
      LayoutSheetButtons(ChildRect(m_hwnd, close), PageArea().left, kAdapterListHeight, ui::DpiOfWindow(m_hwnd));
  m_exportButton = MakeChild(m_hwnd, L"BUTTON", L"&Export", BS_PUSHBUTTON, row.exportButton, IDC_REPORT_EXPORT, m_instance);
  m_clearButton = MakeChild(m_hwnd, L"BUTTON", L"Clea&r", BS_PUSHBUTTON, row.clearButton, IDC_REPORT_CLEAR, m_instance);
  m_adapterList = MakeChild(m_hwnd, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, row.adapterList,
                            IDC_REPORT_ADAPTER, m_instance);
  // Tab order: the drop-down and the two buttons before Close.
  SetWindowPos(m_adapterList, GetDlgItem(m_hwnd, IDOK), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(m_exportButton, m_adapterList, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(m_clearButton, m_exportButton, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The sheet's own buttons and tabs have the dialog font already; these are new.
  for (HWND control : {m_exportButton, m_clearButton, m_adapterList})
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui::DialogFontFor(m_hwnd)), TRUE);
}

void CSummarySheet::FillAdapterList() {
  if (!m_adapterList) return;
  for (size_t i = 0; i < m_names.size(); ++i) {
    LRESULT at = SendMessageW(m_adapterList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_names[i].c_str()));
    if (at >= 0) SendMessageW(m_adapterList, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
  if (m_selected >= 0) SendMessageW(m_adapterList, CB_SETCURSEL, static_cast<WPARAM>(m_selected), 0);
}

void CSummarySheet::SendToActivePage(UINT msg) {
  HWND page = reinterpret_cast<HWND>(SendMessageW(m_hwnd, PSM_GETCURRENTPAGEHWND, 0, 0));
  if (page) SendMessageW(page, msg, 0, 0);
}

void CSummarySheet::OnAdapterSelected() {
  LRESULT at = SendMessageW(m_adapterList, CB_GETCURSEL, 0, 0);
  if (at < 0) return;
  LRESULT index = SendMessageW(m_adapterList, CB_GETITEMDATA, static_cast<WPARAM>(at), 0);
  if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return;
  const ReportAdapter& chosen = m_items[static_cast<size_t>(index)];
  if (SameReportAdapter(chosen, m_adapter)) return;
  m_adapter = chosen;
  m_adapterName = m_names[static_cast<size_t>(index)];
  SetWindowTextW(m_hwnd, ReportsCaption(m_adapterName).c_str());
  // Only the page in front rebuilds now; the others notice when they are next shown.
  SendToActivePage(kUmReportAdapter);
}

void CSummarySheet::OnClear() {
  if (ReportMessage(Owner(), kClearQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // The main window owns the log. Where it could not empty the file (the service owns it, or
  // no log is open), emptying the pages would show a history that is in fact still there.
  if (!SendMessageW(m_main, kUmClearHistory, 0, 0)) {
    ReportMessage(Owner(), ClearRefusedText(m_settings.serviceMode, m_settings.openLogPath), MB_OK | MB_ICONWARNING);
    return;
  }
  for (int i = 0; i < PageCount(); ++i) {
    ui::CPropertyPage* page = Page(i);
    if (page && page->HasWindow()) SendMessageW(page->hwnd(), kUmClearHistory, 0, 0);
  }
}

bool CSummarySheet::OnSheetMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  if (msg != WM_COMMAND) return false;
  switch (LOWORD(wp)) {
    case IDC_REPORT_EXPORT:
      if (HIWORD(wp) != BN_CLICKED) return false;
      SendToActivePage(kUmExportReport);
      break;
    case IDC_REPORT_CLEAR:
      if (HIWORD(wp) != BN_CLICKED) return false;
      OnClear();
      break;
    case IDC_REPORT_ADAPTER:
      if (HIWORD(wp) != CBN_SELCHANGE) return false;
      OnAdapterSelected();
      break;
    default:
      return false;
  }
  *result = 0;
  return true;
}

}  // namespace vantrel
