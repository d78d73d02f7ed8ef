#include "app/win32/report_page_common.h"

#include <commdlg.h>
#include <shellapi.h>
#include <uxtheme.h>

#include "app/logic/main_messages.h"
#include "app/win32/summary_sheet.h"
#include "ui/file_dialog.h"

namespace vantrel {

void ExportReportWithDialog(HWND owner, ReportKind kind, const std::function<ReportDocument()>& document) {
  std::wstring title = ExportDialogTitle(kind);
  ui::FileDialogRequest ask;
  ask.owner = owner;
  ask.filter = kExportFilter;
  ask.title = title.c_str();
  ask.flags = OFN_OVERWRITEPROMPT;
  if (!ui::AskSaveFile(ask)) return;
  int filter = static_cast<int>(ask.filterIndex);
  std::wstring path = ApplyExportExtension(ask.file, filter);
  bool written = ExportReportFile(SystemFileSystem(), path, ExportFormatOfFilter(filter), document());
  EndExport(owner, written, path, ExportSuccessQuestion(kind, path));
}

void EndExport(HWND owner, bool written, const std::wstring& path, const std::wstring& question) {
  if (!written) {
    ReportMessage(owner, CreateFileFailedMessage(path), MB_OK | MB_ICONWARNING);
    return;
  }
  if (ReportMessage(owner, question, MB_YESNO | MB_ICONQUESTION) == IDYES)
    ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT ColouredLabel(HDC dc, HWND label, COLORREF colour) {
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  if (IsThemeDialogTextureEnabled(GetParent(label))) {
    // The page shows the tab's textured body: paint it under the text, as the system does for
    // the page's other labels.
    RECT rc;
    GetClientRect(label, &rc);
    DrawThemeParentBackground(label, dc, &rc);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

int ReportMessage(HWND owner, const std::wstring& text, UINT flags) {
  return MessageBoxW(owner, text.c_str(), kAppCaption, flags);
}

bool CReportPage::OnSetActive() {
  switch (m_tracker.Shown(m_sheet.Adapter())) {
    case PageWork::Build:
    case PageWork::Rebuild:
      Build();
      break;
    case PageWork::Refresh:
      Refresh();
      break;
    case PageWork::None:
      break;
  }
  return true;
}

void CReportPage::StartFollowing() {
  m_tracker.Created(m_sheet.Adapter());
  Build();
  SetTimer(m_hwnd, kReportPageTimer, kReportPageTimerMs, nullptr);
}

bool CReportPage::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  switch (msg) {
    case WM_TIMER:
      if (wp != kReportPageTimer) return false;
      if (IsActive()) Refresh();
      return true;
    case kUmReportAdapter: {
      PageWork work = m_tracker.AdapterChosen(m_sheet.Adapter());
      if (work == PageWork::Build || work == PageWork::Rebuild) Build();
      return true;
    }
    case kUmExportReport:
      Export();
      return true;
    case kUmClearHistory:
      ClearHistory();
      *result = TRUE;
      return true;
    case WM_DESTROY:
      KillTimer(m_hwnd, kReportPageTimer);
      m_tracker.Destroyed();
      m_entry = nullptr;
      return false;
    default:
      return false;
  }
}

TrafficPair CReportPage::Live() const {
  if (!m_entry) return {};
  return TrafficPair{static_cast<int64_t>(m_entry->todayDown), static_cast<int64_t>(m_entry->todayUp)};
}

}  // namespace vantrel
