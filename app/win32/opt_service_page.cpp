// COptServicePage: the Service page.
#include "app/win32/opt_service_page.h"

#include <commctrl.h>
#include <shellapi.h>

#include <climits>
#include <memory>

#include "app/logic/main_messages.h"
#include "app/logic/options_apply.h"
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
constexpr int kApplyButton = 0x3021;  // the sheet's Apply button (ID_APPLY_NOW)

}  // namespace

COptServicePage::COptServicePage(COptionsSheet& sheet)
    : COptionsPage(sheet, IDD_OPT_SERVICE), m_values(sheet.Data().service), m_list(&CompareSortCells) {}

void COptServicePage::InitPage() {
  m_enabledAtOpening = m_values.enabled;
  Check(IDC_SERVICE_ENABLE, m_values.enabled);
  Check(IDC_SERVICE_NOTIFY, m_values.notifyInService);
  Check(IDC_SERVICE_RECORD, m_values.recordInService);
  m_list.Attach(Item(IDC_SERVICE_JOBS), m_hwnd);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_list.AddColumn(L"Report Type", 100, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"Adapter", 200, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"Interval", 50, LVCFMT_LEFT, kSortNumeric);
  m_list.AddColumn(L"Report File", 150, LVCFMT_LEFT, kSortText);
  for (const ServiceReportJob& job : m_values.jobs) AddRow(job);
  UpdateEnables();
  UpdateShield();
}

void COptServicePage::UpdateShield() {
  bool differs = Checked(IDC_SERVICE_ENABLE) != m_enabledAtOpening;
  // Asked once, and only when it matters (the check creates the machine-wide key).
  if (differs && !m_hasRights) m_hasRights = HasServiceAdminRights();
  bool shield = differs && !*m_hasRights;
  HWND sheet = GetParent(m_hwnd);
  if (HWND apply = sheet ? GetDlgItem(sheet, kApplyButton) : nullptr)
    SendMessageW(apply, BCM_SETSHIELD, 0, shield ? TRUE : FALSE);
}

void COptServicePage::OfferRestartAsAdministrator() {
  HWND sheet = GetParent(m_hwnd);
  std::wstring text = std::wstring(kServiceRightsText) + L"\n\n" + kRestartAsAdminQuestion;
  if (MessageBoxW(sheet, text.c_str(), kAppCaption, MB_YESNO | MB_ICONWARNING) == IDYES &&
      SendMessageW(OptionsSheet().MainWindow(), UM_RESTART_AS_ADMIN, reinterpret_cast<WPARAM>(sheet), 0))
    return;
  SetFocus(Item(IDC_SERVICE_ENABLE));
}

void COptServicePage::AddRow(const ServiceReportJob& job) {
  JobRowTexts t = JobRowTextsOf(job, Adapters());
  m_list.InsertRow(INT_MAX, {t.type, t.adapter, t.interval, t.file}, std::make_unique<JobRow>(job));
}

void COptServicePage::ShowRow(int row) {
  const auto* data = static_cast<const JobRow*>(m_list.RowData(row));
  if (!data) return;
  JobRowTexts t = JobRowTextsOf(data->job, Adapters());
  const std::wstring* cells[kColumns] = {&t.type, &t.adapter, &t.interval, &t.file};
  for (int c = 0; c < kColumns; ++c) m_list.SetCellText(row, c, *cells[c]);
}

void COptServicePage::UpdateEnables() {
  ServicePageEnables e = ServicePageEnablesOf(Checked(IDC_SERVICE_ENABLE), m_list.SelectedRow() >= 0);
  for (int id : {IDC_SERVICE_NOTIFY, IDC_SERVICE_RECORD, IDC_SERVICE_JOBS, IDC_SERVICE_JOBS_LABEL, IDC_SERVICE_ADD})
    Enable(id, e.options);
  for (int id : {IDC_SERVICE_EDIT, IDC_SERVICE_REMOVE}) Enable(id, e.editRemove);
}

void COptServicePage::OnAdd() {
  ServiceReportJob job;
  job.type = kReportSummary;
  job.kind = static_cast<int32_t>(kKindAllConnections);
  job.interval = kNewJobInterval;
  CReportJobDlg dialog(job, Adapters());
  if (!dialog.Run(OptionsSheet().Instance(), OptionsSheet().Owner())) return;
  AddRow(dialog.Job());
  MarkChanged();
}

void COptServicePage::OnEdit() {
  int row = m_list.SelectedRow();
  auto* data = static_cast<JobRow*>(m_list.RowData(row));
  if (!data) return;
  CReportJobDlg dialog(data->job, Adapters());
  if (!dialog.Run(OptionsSheet().Instance(), OptionsSheet().Owner())) return;
  data->job = dialog.Job();
  ShowRow(row);
  MarkChanged();
}

void COptServicePage::OnRemove() {
  int row = m_list.SelectedRow();
  if (row < 0) return;
  m_list.DeleteRow(row);
  UpdateEnables();
  MarkChanged();
}

PageCheck COptServicePage::CheckPage() {
  // Switching the service mode needs the machine-wide settings and the SCM; without them
  // nothing is written.
  if (Checked(IDC_SERVICE_ENABLE) != m_enabledAtOpening && !HasServiceAdminRights()) {
    BringToFront();
    OfferRestartAsAdministrator();
    return PageCheck{false, L"", IDC_SERVICE_ENABLE};
  }
  return PageCheck{};
}

bool COptServicePage::SendToMain() {
  ServicePageData data;
  data.enabled = Checked(IDC_SERVICE_ENABLE);
  data.notifyInService = Checked(IDC_SERVICE_NOTIFY);
  data.recordInService = Checked(IDC_SERVICE_RECORD);
  for (int row = 0; row < m_list.RowCount(); ++row)
    if (const auto* r = static_cast<const JobRow*>(m_list.RowData(row))) data.jobs.push_back(r->job);
  data.statusWindow = reinterpret_cast<uintptr_t>(Item(IDC_SERVICE_STATUS));
  m_values = data;
  if (!OptionsSheet().ApplyToMain(kPageService, &m_values)) return false;
  // The switch as it is now is what the next apply compares with.
  m_enabledAtOpening = m_values.enabled;
  UpdateShield();
  return true;
}

bool COptServicePage::OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return false;
      switch (LOWORD(wp)) {
        case IDC_SERVICE_ENABLE:
          UpdateEnables();
          UpdateShield();
          MarkChanged();
          return true;
        case IDC_SERVICE_NOTIFY:
        case IDC_SERVICE_RECORD:
          MarkChanged();
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
      } else if (hdr->code == NM_DBLCLK && m_list.SelectedRow() >= 0 && Checked(IDC_SERVICE_ENABLE)) {
        OnEdit();
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
