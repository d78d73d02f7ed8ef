// CMainDlg: the metrics endpoint while this program owns the traffic log. It serves only as
// the log's owner, so that exactly one program on the computer answers on the port: the
// service in service mode, this program otherwise.
#include <string>

#include "app/win32/main_dlg.h"
#include "platform/text.h"

namespace vantrel {

namespace {

// The name other computers know this one by, for the address line.
std::wstring ComputerName() {
  wchar_t name[256] = {};
  DWORD size = 256;
  if (GetComputerNameExW(ComputerNameDnsHostname, name, &size) && size > 0) return name;
  size = 256;
  if (GetComputerNameW(name, &size)) return name;
  return std::wstring();
}

}  // namespace

void CMainDlg::UpdateMetricsServing() {
  MetricsSettings settings = MetricsSettingsOf(m_options);
  if (m_log.Access() != LogAccess::Owner || !settings.enabled) {
    m_metrics.endpoint.Stop();
    m_metrics.status.clear();
    return;
  }
  ListenResult r = m_metrics.endpoint.Serve(settings);
  if (r == ListenResult::InUse)
    m_metrics.status = AnsiToWide(PortInUseText(settings.port));
  else if (r == ListenResult::Failed)
    m_metrics.status = L"Metrics: cannot listen on port " + std::to_wstring(settings.port) + L".";
  else
    m_metrics.status.clear();
  PublishMetrics();
}

void CMainDlg::ApplyMetricsPage(MetricsPageData& page) {
  TakeMetricsValues(page, &m_options);
  // The Metrics values travel with the General group (machine-wide too in service mode).
  SaveOptionGroups(kGroupGeneral, true);
  UpdateMetricsServing();
  page.status = m_metrics.status;
}

MetricsPageData CMainDlg::MetricsPageValues() const {
  MetricsPageData d = MetricsPageDataOf(m_options);
  d.serviceMode = ServiceMode();
  d.computerName = ComputerName();
  d.status = m_metrics.status;
  return d;
}

void CMainDlg::PublishMetrics() {
  if (!m_metrics.endpoint.Serving()) return;
  LocalTime today = Today();
  PublishContext context;
  context.sampleTime = today;
  context.unixMs = UnixMillisecondsNow();
  context.options = &m_options;
  context.logPath = m_log.Path();
  if (m_options.notificationEnabled) {
    Period period = RulePeriod(m_options.notification, today, static_cast<int>(m_options.weekStartDay),
                               static_cast<int>(m_options.monthStartDay));
    // The alert is out from the moment the rule fires until the rule is armed again.
    bool fired = m_alerts.state() != AlertState::Armed;
    context.quota =
        QuotaOf(m_options.notification, m_alerts.prepared(), m_adapters, m_metrics.quota.Exceeded(fired, period));
  }
  m_metrics.endpoint.Publish(m_adapters, context);
}

}  // namespace vantrel
