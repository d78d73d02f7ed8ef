// CReportJobDlg: the report job dialog.
#include "app/win32/report_job_dlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/logic/main_messages.h"
#include "app/logic/service_page_logic.h"
#include "ui/file_dialog.h"

namespace vantrel {

namespace {

constexpr int kFileChars = 260;

// The save dialogue's filters, each ended by a NUL, the list by two.
constexpr wchar_t kReportFileFilter[] =
    L"Text File (*.txt)\0*.txt\0Microsoft Excel (*.csv)\0*.csv\0Web Page (*.htm;*.html)\0*.htm;*.html\0";

std::wstring ItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  if (control) GetWindowTextW(control, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

int ComboSelection(HWND dialog, int id) {
  LRESULT sel = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  return sel == CB_ERR ? -1 : static_cast<int>(sel);
}

}  // namespace

CReportJobDlg::CReportJobDlg(const ServiceReportJob& job, const MonitoredList& adapters)
    : m_job(job), m_adapters(adapters) {}

bool CReportJobDlg::Run(HINSTANCE instance, HWND owner) { return DoModal(instance, IDD_REPORT_JOB, owner) == IDOK; }

BOOL CReportJobDlg::OnInitDialog() {
  for (const wchar_t* type : {L"Summary report", L"Daily report", L"Weekly report", L"Monthly report"})
    SendDlgItemMessageW(m_hwnd, IDC_JOB_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
  SendDlgItemMessageW(m_hwnd, IDC_JOB_TYPE, CB_SETCURSEL, static_cast<WPARAM>(JobTypeComboIndex(m_job.type)), 0);
  for (const AdapterEntry& e : m_adapters)
    SendDlgItemMessageW(m_hwnd, IDC_JOB_ADAPTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.displayName.c_str()));
  SendDlgItemMessageW(m_hwnd, IDC_JOB_ADAPTER, CB_SETCURSEL,
                      static_cast<WPARAM>(JobAdapterComboIndex(m_job, m_adapters)), 0);
  SendDlgItemMessageW(m_hwnd, IDC_JOB_INTERVAL_SPIN, UDM_SETRANGE32, kJobIntervalMin, kJobIntervalMax);
  SendDlgItemMessageW(m_hwnd, IDC_JOB_INTERVAL, EM_LIMITTEXT, 10, 0);
  SetDlgItemTextW(m_hwnd, IDC_JOB_INTERVAL, std::to_wstring(m_job.interval).c_str());
  SendDlgItemMessageW(m_hwnd, IDC_JOB_FILE, EM_LIMITTEXT, kFileChars - 1, 0);
  SetDlgItemTextW(m_hwnd, IDC_JOB_FILE, m_job.path.c_str());
  return TRUE;
}

void CReportJobDlg::OnBrowse() {
  ui::FileDialogRequest ask;
  ask.owner = m_hwnd;
  ask.filter = kReportFileFilter;
  ask.file = ItemText(m_hwnd, IDC_JOB_FILE);
  ask.flags = OFN_OVERWRITEPROMPT;
  ask.capacity = kFileChars;
  if (!ui::AskSaveFile(ask)) return;
  SetDlgItemTextW(m_hwnd, IDC_JOB_FILE, ask.file.c_str());
}

void CReportJobDlg::OnOk() {
  JobDialogInput in;
  in.typeIndex = ComboSelection(m_hwnd, IDC_JOB_TYPE);
  in.adapterIndex = ComboSelection(m_hwnd, IDC_JOB_ADAPTER);
  in.intervalText = ItemText(m_hwnd, IDC_JOB_INTERVAL);
  in.file = ItemText(m_hwnd, IDC_JOB_FILE);
  JobDialogCheck check = CheckJobDialog(in);
  if (!check.ok) {
    MessageBoxW(m_hwnd, check.message.c_str(), kAppCaption, MB_OK | MB_ICONWARNING);
    if (HWND control = GetDlgItem(m_hwnd, check.focusControl)) SetFocus(control);
    return;
  }
  TakeJobDialog(in, m_adapters, &m_job);
  EndModal(IDOK);
}

bool CReportJobDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT*) {
  if (msg != WM_COMMAND) return false;
  switch (LOWORD(wp)) {
    case IDOK:
      OnOk();
      return true;
    case IDCANCEL:
      EndModal(IDCANCEL);
      return true;
    case IDC_JOB_BROWSE:
      if (HIWORD(wp) == BN_CLICKED) OnBrowse();
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
