// The summary page of the Traffic Reports window.
#include "app/win32/sum_summary_page.h"

#include <commctrl.h>
#include <commdlg.h>

#include <ctime>
#include <cwchar>

#include "app/logic/main_messages.h"
#include "app/res/reports_ids.h"
#include "app/win32/report_page_common.h"
#include "app/win32/summary_sheet.h"
#include "ui/file_dialog.h"

namespace vantrel {

namespace {

// The cells by row (in SummaryRow order) and column.
constexpr int kCellIds[kSummaryRows][3] = {
    {IDC_SUM_TODAY_DOWN, IDC_SUM_TODAY_UP, IDC_SUM_TODAY_BOTH},
    {IDC_SUM_WEEK_DOWN, IDC_SUM_WEEK_UP, IDC_SUM_WEEK_BOTH},
    {IDC_SUM_MONTH_DOWN, IDC_SUM_MONTH_UP, IDC_SUM_MONTH_BOTH},
    {IDC_SUM_YEAR_DOWN, IDC_SUM_YEAR_UP, IDC_SUM_YEAR_BOTH},
    {IDC_SUM_LAST_DOWN, IDC_SUM_LAST_UP, IDC_SUM_LAST_BOTH},
    {IDC_SUM_TOTAL_DOWN, IDC_SUM_TOTAL_UP, IDC_SUM_TOTAL_BOTH},
};

constexpr int kMinDays = 1;
constexpr int kMaxDays = 32767;

// "Log File (*.log)" with "*.log", ended by an empty pair.
const wchar_t kLogFilter[] = L"Log File (*.log)\0*.log\0";

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  if (control) GetWindowTextW(control, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

// A log file from a save or open dialog; false when cancelled.
bool ChooseLogFile(HWND owner, const wchar_t* title, DWORD flags, bool open, std::wstring* path) {
  ui::FileDialogRequest ask;
  ask.owner = owner;
  ask.filter = kLogFilter;
  ask.title = title;
  ask.defaultExtension = L"log";
  ask.flags = flags;
  if (!(open ? ui::AskOpenFile(ask) : ui::AskSaveFile(ask))) return false;
  *path = ask.file;
  return true;
}

std::wstring UntilTodayText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::tm tm{};
  tm.tm_year = now.wYear - 1900;
  tm.tm_mon = now.wMonth - 1;
  tm.tm_mday = now.wDay;
  tm.tm_wday = now.wDayOfWeek;
  wchar_t text[128] = {};
  if (std::wcsftime(text, 128, L"Until today - %A, %B %d, %Y", &tm) == 0) return L"Until today";
  return text;
}

}  // namespace

CSumSummaryPage::CSumSummaryPage(HINSTANCE instance, CSummarySheet& sheet, int lastDays)
    : CReportPage(instance, IDD_SUM_SUMMARY, sheet), m_lastDays(lastDays) {}

BOOL CSumSummaryPage::OnInitDialog() {
  // The spin moves its edit's text when its range and position are set: N goes in last.
  HWND spin = GetDlgItem(m_hwnd, IDC_LAST_DAYS_SPIN);
  SendMessageW(spin, UDM_SETRANGE32, kMinDays, kMaxDays);
  SendMessageW(spin, UDM_SETPOS32, 0, m_lastDays);
  SetDlgItemTextW(m_hwnd, IDC_LAST_DAYS, std::to_wstring(m_lastDays).c_str());
  SetDlgItemTextW(m_hwnd, IDC_UNTIL_TODAY, UntilTodayText().c_str());
  StartFollowing();
  ShowLogPath();
  m_daysReady = true;
  return TRUE;
}

void CSumSummaryPage::Build() {
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  m_entry = m_sheet.EntryFor(m_tracker.BuiltFor());
  m_totals = BuildSummary(m_sheet.Context(m_tracker.BuiltFor(), m_lastDays));
  SetCursor(old);
  Refresh();
}

void CSumSummaryPage::Refresh() {
  SummaryCells cells = MakeSummaryCells(m_totals, Live(), m_lastDays, m_sheet.Settings().byteUnits);
  for (int row = 0; row < kSummaryRows; ++row) {
    for (int col = 0; col < 3; ++col) {
      const std::wstring& text = cells[static_cast<size_t>(row)][static_cast<size_t>(col)];
      std::wstring& shown = m_shown[static_cast<size_t>(row)][static_cast<size_t>(col)];
      if (text == shown) continue;
      SetDlgItemTextW(m_hwnd, kCellIds[row][col], text.c_str());
      shown = text;
    }
  }
}

void CSumSummaryPage::OnDaysChanged() {
  m_lastDays = ParseDaysText(ControlText(m_hwnd, IDC_LAST_DAYS));
  RecomputeLastDays(m_sheet.Context(m_tracker.BuiltFor(), m_lastDays), &m_totals);
  Refresh();
}

void CSumSummaryPage::ShowLogPath() { SetDlgItemTextW(m_hwnd, IDC_LOG_PATH, m_sheet.LogPath().c_str()); }

void CSumSummaryPage::OnChangeLog() {
  std::wstring path;
  // Without an overwrite prompt: a new file or an existing log may be named.
  if (!ChooseLogFile(m_sheet.Owner(), kChooseLogTitle, 0, false, &path)) return;
  m_sheet.SetLogPath(path);
  ShowLogPath();
  ReportMessage(m_sheet.Owner(), kLogChangeNotice, MB_OK | MB_ICONINFORMATION);
}

void CSumSummaryPage::OnBackupLog() {
  std::wstring target;
  if (!ChooseLogFile(m_sheet.Owner(), kBackupTitle, OFN_OVERWRITEPROMPT, false, &target)) return;
  // The log that is open, whatever path was chosen for the next start.
  if (BackupTrafficLog(SystemFileSystem(), m_sheet.Settings().openLogPath, target) == LogCopyResult::Failed)
    ReportMessage(m_sheet.Owner(), kCopyFailedText, MB_OK | MB_ICONWARNING);
}

void CSumSummaryPage::OnRestoreLog() {
  std::wstring backup;
  if (!ChooseLogFile(m_sheet.Owner(), kRestoreTitle, OFN_FILEMUSTEXIST, true, &backup)) return;
  std::wstring restored;
  switch (RestoreTrafficLog(SystemFileSystem(), m_sheet.Settings().openLogPath, backup, &restored)) {
    case LogCopyResult::Copied:
      m_sheet.SetLogPath(restored);
      ShowLogPath();
      ReportMessage(m_sheet.Owner(), kLogChangeNotice, MB_OK | MB_ICONINFORMATION);
      break;
    case LogCopyResult::Failed:
      ReportMessage(m_sheet.Owner(), kCopyFailedText, MB_OK | MB_ICONWARNING);
      break;
    case LogCopyResult::SameFile:
      break;
  }
}

bool CSumSummaryPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_LAST_DAYS:
          if (HIWORD(wp) == EN_CHANGE && m_daysReady) OnDaysChanged();
          return true;
        case IDC_LOG_CHANGE:
          OnChangeLog();
          return true;
        case IDC_LOG_BACKUP:
          OnBackupLog();
          return true;
        case IDC_LOG_RESTORE:
          OnRestoreLog();
          return true;
        default:
          return false;
      }
    case WM_CTLCOLORSTATIC:
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) != IDC_UNTIL_TODAY) return false;
      *result = ColouredLabel(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), kReportBlue);
      return true;
    case WM_DESTROY:
      m_daysReady = false;
      m_lastDays = ParseDaysText(ControlText(m_hwnd, IDC_LAST_DAYS));
      break;
    default:
      break;
  }
  return CReportPage::OnMessage(msg, wp, lp, result);
}

void CSumSummaryPage::Export() {
  ExportReportWithDialog(m_sheet.Owner(), ReportKind::Summary, [this] {
    return SummaryDocument(m_shown, m_totals.range, m_sheet.AdapterName(), m_sheet.Settings().dateFormat, m_lastDays);
  });
}

void CSumSummaryPage::ClearHistory() {
  m_entry = m_sheet.EntryFor(m_tracker.BuiltFor());
  m_totals = ClearedSummary(m_sheet.Context(m_tracker.BuiltFor(), m_lastDays).today);
  Refresh();
}

}  // namespace vantrel
