#include "app/logic/metrics_page_logic.h"

#include "platform/text.h"
#include "settings/allow_list.h"

namespace vantrel {

MetricsPageData MetricsPageDataOf(const Options& o) {
  MetricsPageData d;
  d.enabled = o.metricsEnabled == 1;
  d.port = o.metricsPort;
  d.remote = o.metricsRemote == 1;
  d.allow = o.metricsAllow;
  return d;
}

void TakeMetricsValues(const MetricsPageData& page, Options* o) {
  o->metricsEnabled = page.enabled ? 1 : 0;
  o->metricsPort = page.port;
  o->metricsRemote = page.remote ? 1 : 0;
  o->metricsAllow = page.allow;
}

bool ParseMetricsPort(const std::wstring& text, uint32_t* port) {
  std::wstring t = TrimWhite(text);
  if (t.empty() || t.size() > 5) return false;
  uint32_t v = 0;
  for (wchar_t c : t) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + static_cast<uint32_t>(c - L'0');
  }
  if (v < 1 || v > 65535) return false;
  *port = v;
  return true;
}

PageCheck CheckMetricsPage(const MetricsPageInput& in, MetricsPageData* page) {
  uint32_t port = page->port;
  bool portOk = ParseMetricsPort(in.portText, &port);
  if (in.enabled && !portOk) return PageCheck{false, kMetricsPortText, IDC_METRICS_PORT};
  std::wstring allow = TrimWhite(in.allowText);
  AllowList parsed;
  bool allowOk = AllowList::Parse(allow, &parsed);
  if (in.enabled && in.remote && !allowOk) return PageCheck{false, kMetricsAllowText, IDC_METRICS_ALLOW};
  page->enabled = in.enabled;
  page->remote = in.remote;
  if (portOk) page->port = port;
  if (allowOk) page->allow = allow;
  return PageCheck{};
}

std::wstring MetricsAddressLine(const std::wstring& computerName, const std::wstring& portText, bool remote) {
  uint32_t port = 0;
  if (!ParseMetricsPort(portText, &port)) return std::wstring();
  std::wstring host = remote && !computerName.empty() ? computerName : L"127.0.0.1";
  return L"http://" + host + L":" + std::to_wstring(port) + L"/metrics";
}

MetricsPageEnables MetricsPageEnablesOf(bool enabled, bool remote) {
  MetricsPageEnables e;
  e.settings = enabled;
  e.allow = enabled && remote;
  return e;
}

}  // namespace vantrel
