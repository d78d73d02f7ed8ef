#include "app/win32/stopwatch_dlg.h"

#include "app/logic/main_messages.h"
#include "app/res/small_windows_ids.h"

namespace vantrel {

namespace {
constexpr COLORREF kElapsedColour = RGB(0, 0, 187);

void CentreOnDesktop(HWND hwnd) {
  RECT work{}, rc{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
std::wstring WindowTextOf(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}
}  // namespace

CStopwatchDlg::CStopwatchDlg(MonitoredList& adapters, bool byteUnits, StopwatchOptions options, HWND mainWindow,
                             HICON icon)
    : m_adapters(adapters), m_byteUnits(byteUnits), m_options(options), m_main(mainWindow), m_icon(icon) {}

void CStopwatchDlg::Run(HINSTANCE instance, HWND owner) { DoModal(instance, IDD_STOPWATCH, owner); }

BOOL CStopwatchDlg::OnInitDialog() {
  // 1. Icon, centred on the desktop, a taskbar button of its own.
  if (m_icon) {
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
  }
  CentreOnDesktop(m_hwnd);
  SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  // 2. The elapsed time in its own large font and colour.
  m_elapsed.Attach(GetDlgItem(m_hwnd, IDC_SW_ELAPSED));
  m_elapsed.SetFont(L"Tahoma", -20, FW_BOLD);
  m_elapsed.SetTextColor(kElapsedColour);
  ShowElapsed();
  // 3. The adapters in list order; the first is selected.
  HWND combo = GetDlgItem(m_hwnd, IDC_SW_ADAPTER);
  for (AdapterEntry& entry : m_adapters) {
    LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.displayName.c_str()));
    if (at < 0) continue;
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(m_items.size()));
    m_items.push_back(&entry);
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  CheckDlgButton(m_hwnd, IDC_SW_ALWAYS_ON_TOP, m_options.alwaysOnTop ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, IDC_SW_RESET_GRAPH, m_options.resetGraph ? BST_CHECKED : BST_UNCHECKED);
  // 4. The value fields.
  Refresh();
  // 5. Topmost once the dialog is up.
  if (m_options.alwaysOnTop) PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(IDC_SW_ALWAYS_ON_TOP, BN_CLICKED), 0);
  return TRUE;
}

void CStopwatchDlg::ReadChecks() {
  m_options.alwaysOnTop = IsDlgButtonChecked(m_hwnd, IDC_SW_ALWAYS_ON_TOP) == BST_CHECKED;
  m_options.resetGraph = IsDlgButtonChecked(m_hwnd, IDC_SW_RESET_GRAPH) == BST_CHECKED;
}

void CStopwatchDlg::ApplyTopmost() {
  ReadChecks();
  SetWindowPos(m_hwnd, m_options.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CStopwatchDlg::OnStartStop() {
  if (m_counter.Running())
    Stop();
  else
    Start();
}

void CStopwatchDlg::Start() {
  // 1. The check boxes, and an adapter must be chosen.
  ReadChecks();
  HWND combo = GetDlgItem(m_hwnd, IDC_SW_ADAPTER);
  LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  LRESULT item = sel >= 0 ? SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0) : CB_ERR;
  if (item == CB_ERR || item < 0 || static_cast<size_t>(item) >= m_items.size()) {
    MessageBoxW(m_hwnd, L"Please select an adapter.", kAppCaption, MB_OK | MB_ICONWARNING);
    SetFocus(combo);
    return;
  }
  AdapterEntry* entry = m_items[static_cast<size_t>(item)];
  // 3. The adapter's graph in the main window starts afresh when asked to.
  if (m_options.resetGraph && entry->resetCmdId && m_main)
    SendMessageW(m_main, WM_COMMAND, MAKEWPARAM(entry->resetCmdId, 0), 0);
  // 2, 4. Everything from zero; only samples after this moment count.
  m_measured = entry;
  m_counter.Start(*entry);
  // 5.
  ShowElapsed();
  Refresh();
  SetTimer(m_hwnd, kTimerId, kTimerMilliseconds, nullptr);
  EnableWindow(combo, FALSE);
  SetDlgItemTextW(m_hwnd, IDC_SW_START_STOP, L"&Stop");
}

void CStopwatchDlg::Stop() {
  m_measured = nullptr;
  m_counter.Stop();
  KillTimer(m_hwnd, kTimerId);
  EnableWindow(GetDlgItem(m_hwnd, IDC_SW_ADAPTER), TRUE);
  SetDlgItemTextW(m_hwnd, IDC_SW_START_STOP, L"&Start");
}

void CStopwatchDlg::OnTimer() {
  if (!m_counter.Running()) return;
  m_counter.AddSecond();
  ShowElapsed();
  Refresh();
}

void CStopwatchDlg::ShowElapsed() {
  std::wstring text = ElapsedTimeText(m_counter.Figures().elapsedSeconds);
  if (WindowTextOf(GetDlgItem(m_hwnd, IDC_SW_ELAPSED)) != text) m_elapsed.SetText(text);
}

void CStopwatchDlg::SetField(int id, const std::wstring& text) {
  HWND field = GetDlgItem(m_hwnd, id);
  if (field && WindowTextOf(field) != text) SetWindowTextW(field, text.c_str());
}

void CStopwatchDlg::Refresh() {
  if (m_measured) m_counter.Refresh(*m_measured);
  StopwatchTexts t = StopwatchFieldTexts(m_counter.Figures(), m_byteUnits);
  SetField(IDC_SW_TOTAL_DOWN_BYTES, t.totalDownBytes);
  SetField(IDC_SW_TOTAL_UP_BYTES, t.totalUpBytes);
  SetField(IDC_SW_TOTAL_DOWN_BITS, t.totalDownBits);
  SetField(IDC_SW_TOTAL_UP_BITS, t.totalUpBits);
  SetField(IDC_SW_MAX_DOWN, t.maxDown);
  SetField(IDC_SW_MAX_UP, t.maxUp);
  SetField(IDC_SW_MIN_DOWN, t.minDown);
  SetField(IDC_SW_MIN_UP, t.minUp);
  SetField(IDC_SW_AVG_DOWN, t.avgDown);
  SetField(IDC_SW_AVG_UP, t.avgUp);
}

void CStopwatchDlg::Close() {
  ReadChecks();
  KillTimer(m_hwnd, kTimerId);
  m_measured = nullptr;
  m_counter.Stop();
  EndModal(IDOK);
}

bool CStopwatchDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT*) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_SW_START_STOP:
          OnStartStop();
          return true;
        case IDC_SW_ALWAYS_ON_TOP:
          ApplyTopmost();
          return true;
        case IDC_SW_CLOSE:
        case IDCANCEL:
          Close();
          return true;
        case IDOK:
          // Enter presses the default button, Start/Stop.
          OnStartStop();
          return true;
        default:
          return false;
      }
    case WM_TIMER:
      if (wp != kTimerId) return false;
      OnTimer();
      return true;
    case WM_CLOSE:
      Close();
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
