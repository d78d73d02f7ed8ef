// COptServicePage: the Service page.
#include "app/win32/opt_service_page.h"

#include <commctrl.h>
#include <shellapi.h>

#include <climits>
#include <memory>

#include "app/logic/main_messages.h"
#include "app/logic/service_page_logic.h"
#include "app/win32/main_dlg.h"
#include "app/win32/report_job_dlg.h"
#include "platform/win32/service_control.h"
#include "reports/report_sort.h"

namespace vantrel {

namespace {

// Each row owns its copy of the job.
struct JobRow : ui::CSortListCtrl::ItemData {
  explicit JobRow(const ServiceReportJob& j) : job(j) {}
  ServiceReportJob job;
};

constexpr int kColumns = 4;

}  // namespace

COptServicePage::COptServicePage(HINSTANCE instance, HWND mainWindow, const ServicePageData& values,
                                 const MonitoredList& adapters)
    : ui::CPropertyPage(instance, IDD_OPT_SERVICE),
      m_main(mainWindow),
      m_data(values),
      m_adapters(adapters),
      m_list(&CompareSortCells) {}

BOOL COptServicePage::OnInitDialog() {
  if (ui::CreateDialogFont(&m_font)) ui::SetFontOnChildren(m_hwnd, m_font.get());
  m_enabledAtOpening = m_data.enabled;
  CheckDlgButton(m_hwnd, IDC_SERVICE_ENABLE, m_data.enabled ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, IDC_SERVICE_NOTIFY, m_data.notifyInService ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, IDC_SERVICE_RECORD, m_data.recordInService ? BST_CHECKED : BST_UNCHECKED);
  m_list.Attach(GetDlgItem(m_hwnd, IDC_SERVICE_JOBS), m_hwnd);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_list.AddColumn(L"Report Type", 100, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"Adapter", 200, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"Interval", 50, LVCFMT_LEFT, kSortNumeric);
  m_list.AddColumn(L"Report File", 150, LVCFMT_LEFT, kSortText);
  for (const ServiceReportJob& job : m_data.jobs) AddRow(job, INT_MAX);
  UpdateEnables();
  return TRUE;
}

void COptServicePage::AddRow(const ServiceReportJob& job, int at) {
  JobRowTexts t = JobRowTextsOf(job, m_adapters);
  m_list.InsertRow(at, {t.type, t.adapter, t.interval, t.file}, std::make_unique<JobRow>(job));
}

void COptServicePage::ShowRow(int row) {
  const auto* data = static_cast<const JobRow*>(m_list.RowData(row));
  if (!data) return;
  JobRowTexts t = JobRowTextsOf(data->job, m_adapters);
  const std::wstring* cells[kColumns] = {&t.type, &t.adapter, &t.interval, &t.file};
  for (int c = 0; c < kColumns; ++c) m_list.SetCellText(row, c, *cells[c]);
}

void COptServicePage::UpdateEnables() {
  ServicePageEnables e =
      ServicePageEnablesOf(IsDlgButtonChecked(m_hwnd, IDC_SERVICE_ENABLE) == BST_CHECKED, m_list.SelectedRow() >= 0);
  for (int id : {IDC_SERVICE_NOTIFY, IDC_SERVICE_RECORD, IDC_SERVICE_JOBS, IDC_SERVICE_JOBS_LABEL, IDC_SERVICE_ADD})
    EnableWindow(GetDlgItem(m_hwnd, id), e.options);
  for (int id : {IDC_SERVICE_EDIT, IDC_SERVICE_REMOVE}) EnableWindow(GetDlgItem(m_hwnd, id), e.editRemove);
}

void COptServicePage::Modified() {
  m_modified = true;
  SetModified(true);
}

void COptServicePage::OnAdd() {
  ServiceReportJob job;
  job.type = kReportSummary;
  job.kind = static_cast<int32_t>(kKindAllConnections);
  job.interval = kNewJobInterval;
  CReportJobDlg dialog(job, m_adapters);
  if (!dialog.Run(GetModuleHandleW(nullptr), m_hwnd)) return;
  ServiceReportJob added = dialog.Job();
  added.secondsLeft = 0;
  AddRow(added, INT_MAX);
  Modified();
}

void COptServicePage::OnEdit() {
  int row = m_list.SelectedRow();
  auto* data = static_cast<JobRow*>(m_list.RowData(row));
  if (!data) return;
  CReportJobDlg dialog(data->job, m_adapters);
  if (!dialog.Run(GetModuleHandleW(nullptr), m_hwnd)) return;
  data->job = dialog.Job();
  ShowRow(row);
  Modified();
}

void COptServicePage::OnRemove() {
  int row = m_list.SelectedRow();
  if (row < 0) return;
  m_list.DeleteRow(row);
  UpdateEnables();
  Modified();
}

bool COptServicePage::OnApply() {
  if (!m_modified) return true;
  const bool enabled = IsDlgButtonChecked(m_hwnd, IDC_SERVICE_ENABLE) == BST_CHECKED;
  if (enabled != m_enabledAtOpening && !HasServiceAdminRights())
    return RefuseWithWarning(kAppCaption, kServiceRightsText, IDC_SERVICE_ENABLE);
  ServicePageData data;
  data.enabled = enabled;
  data.notifyInService = IsDlgButtonChecked(m_hwnd, IDC_SERVICE_NOTIFY) == BST_CHECKED;
  data.recordInService = IsDlgButtonChecked(m_hwnd, IDC_SERVICE_RECORD) == BST_CHECKED;
  for (int row = 0; row < m_list.RowCount(); ++row)
    if (const auto* r = static_cast<const JobRow*>(m_list.RowData(row))) data.jobs.push_back(r->job);
  m_data = data;
  SendMessageW(m_main, UM_APPLY_OPTIONS, kPageService, reinterpret_cast<LPARAM>(&m_data));
  // The switch as it is now is what the next apply compares with.
  m_enabledAtOpening = enabled;
  m_modified = false;
  SetModified(false);
  return true;
}

bool COptServicePage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return false;
      switch (LOWORD(wp)) {
        case IDC_SERVICE_ENABLE:
          UpdateEnables();
          Modified();
          return true;
        case IDC_SERVICE_NOTIFY:
        case IDC_SERVICE_RECORD:
          Modified();
          return true;
        case IDC_SERVICE_ADD:
          OnAdd();
          return true;
        case IDC_SERVICE_EDIT:
          OnEdit();
          return true;
        case IDC_SERVICE_REMOVE:
          OnRemove();
          return true;
        case IDC_SERVICE_CONSOLE:
          ShellExecuteW(m_hwnd, L"open", L"services.msc", nullptr, nullptr, SW_SHOWNORMAL);
          return true;
        default:
          return false;
      }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (m_list.HandleNotify(hdr, result)) return true;
      if (!hdr || hdr->hwndFrom != m_list.hwnd()) return false;
      if (hdr->code == LVN_ITEMCHANGED) {
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) UpdateEnables();
      } else if (hdr->code == NM_DBLCLK) {
        if (m_list.SelectedRow() >= 0 && IsWindowEnabled(GetDlgItem(m_hwnd, IDC_SERVICE_EDIT))) OnEdit();
      }
      return false;
    }
    case WM_DESTROY:
      m_list.Detach();
      return false;
    default:
      return false;
  }
}

}  // namespace vantrel
