#pragma once
// The Remote Monitoring page without a window: what it hands to the main window (page code
// 206), its checks in their order with the first failure's message and control, which
// controls follow which box, and the address line to give Prometheus.
#include <cstdint>
#include <string>

#include "app/logic/options_pages.h"
#include "app/res/metrics_page_ids.h"
#include "settings/options.h"

namespace vantrel {

inline constexpr wchar_t kMetricsPortText[] = L"The port must be between 1 and 65535.";
inline constexpr wchar_t kMetricsAllowText[] =
    L"Each allowed address must be an IPv4 address or a range such as 192.168.1.0/24.";

// The page's values, and what the main window tells it.
struct MetricsPageData {
  bool enabled = false;       // MetricsEnabled
  uint32_t port = kDefaultMetricsPort;
  bool remote = false;        // MetricsRemote
  std::wstring allow;         // MetricsAllow
  bool serviceMode = false;   // the service serves; changes reach it when it restarts
  std::wstring computerName;  // for the address line
  // Filled by the main window: why this program does not serve (a port in use), else empty.
  std::wstring status;
};

// The page's values from the options.
MetricsPageData MetricsPageDataOf(const Options& options);
// Takes the page's values into the options (the four Metrics values).
void TakeMetricsValues(const MetricsPageData& page, Options* options);

// What the check reads from the controls.
struct MetricsPageInput {
  bool enabled = false;
  std::wstring portText;
  bool remote = false;
  std::wstring allowText;
};
// The port (while the endpoint is enabled), then the allow list (while it is also open to
// other computers). On success the values are written to `page`; a field that is not
// checked keeps its value unless its text is valid. On failure `page` is left as it was.
PageCheck CheckMetricsPage(const MetricsPageInput& in, MetricsPageData* page);

// A port's text: 1 to 65535 in decimal digits (blanks around allowed); false otherwise.
bool ParseMetricsPort(const std::wstring& text, uint32_t* port);

// The line to give Prometheus: "http://<computer name>:<port>/metrics" while open to other
// computers, "http://127.0.0.1:<port>/metrics" otherwise; empty for a port that is not one.
std::wstring MetricsAddressLine(const std::wstring& computerName, const std::wstring& portText, bool remote);

// Which controls are enabled: the port, the remote box and the address follow the enable
// box; the allow list also needs the remote box.
struct MetricsPageEnables {
  bool settings = false;
  bool allow = false;
};
MetricsPageEnables MetricsPageEnablesOf(bool enabled, bool remote);

}  // namespace vantrel
