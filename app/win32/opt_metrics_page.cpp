// COptMetricsPage: the Remote Monitoring page.
#include "app/win32/opt_metrics_page.h"

#include "app/logic/options_apply.h"

namespace vantrel {

namespace {

constexpr int kAllowMaxChars = 4000;  // what MetricsAllow holds when it is read back

}  // namespace

COptMetricsPage::COptMetricsPage(COptionsSheet& sheet)
    : COptionsPage(sheet, IDD_OPT_METRICS), m_values(sheet.Data().metrics), m_checked(m_values) {}

void COptMetricsPage::InitPage() {
  SendDlgItemMessageW(m_hwnd, IDC_METRICS_PORT, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageW(m_hwnd, IDC_METRICS_ALLOW, EM_LIMITTEXT, kAllowMaxChars, 0);
  Check(IDC_METRICS_ENABLE, m_values.enabled);
  SetNumber(IDC_METRICS_PORT, m_values.port);
  Check(IDC_METRICS_REMOTE, m_values.remote);
  SetDlgItemTextW(m_hwnd, IDC_METRICS_ALLOW, m_values.allow.c_str());
  ShowWindow(Item(IDC_METRICS_SERVICE_NOTE), m_values.serviceMode ? SW_SHOW : SW_HIDE);
  UpdateEnables();
  UpdateAddress();
  ShowStatus();
}

MetricsPageInput COptMetricsPage::ReadInput() const {
  MetricsPageInput in;
  in.enabled = Checked(IDC_METRICS_ENABLE);
  in.portText = Text(IDC_METRICS_PORT);
  in.remote = Checked(IDC_METRICS_REMOTE);
  in.allowText = Text(IDC_METRICS_ALLOW);
  return in;
}

void COptMetricsPage::UpdateEnables() {
  MetricsPageEnables e = MetricsPageEnablesOf(Checked(IDC_METRICS_ENABLE), Checked(IDC_METRICS_REMOTE));
  for (int id : {IDC_METRICS_PORT_LABEL, IDC_METRICS_PORT, IDC_METRICS_REMOTE, IDC_METRICS_ADDRESS_LABEL,
                 IDC_METRICS_ADDRESS})
    Enable(id, e.settings);
  for (int id : {IDC_METRICS_ALLOW_LABEL, IDC_METRICS_ALLOW, IDC_METRICS_ALLOW_HINT}) Enable(id, e.allow);
}

void COptMetricsPage::UpdateAddress() {
  std::wstring line = MetricsAddressLine(m_values.computerName, Text(IDC_METRICS_PORT), Checked(IDC_METRICS_REMOTE));
  SetDlgItemTextW(m_hwnd, IDC_METRICS_ADDRESS, line.c_str());
}

void COptMetricsPage::ShowStatus() { SetDlgItemTextW(m_hwnd, IDC_METRICS_STATUS, m_values.status.c_str()); }

PageCheck COptMetricsPage::CheckPage() {
  m_checked = m_values;
  return CheckMetricsPage(ReadInput(), &m_checked);
}

bool COptMetricsPage::SendToMain() {
  m_values = m_checked;
  m_values.status.clear();
  if (!OptionsSheet().ApplyToMain(kPageMetrics, &m_values)) return false;
  // The main window has restarted the endpoint and says whether it could.
  ShowStatus();
  return true;
}

bool COptMetricsPage::OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg != WM_COMMAND) return false;
  switch (LOWORD(wp)) {
    case IDC_METRICS_ENABLE:
    case IDC_METRICS_REMOTE:
      if (HIWORD(wp) != BN_CLICKED) return false;
      UpdateEnables();
      UpdateAddress();
      MarkChanged();
      return true;
    case IDC_METRICS_PORT:
      if (HIWORD(wp) != EN_CHANGE) return false;
      UpdateAddress();
      MarkChanged();
      return true;
    case IDC_METRICS_ALLOW:
      if (HIWORD(wp) != EN_CHANGE) return false;
      MarkChanged();
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
