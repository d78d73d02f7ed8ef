#pragma once
// COptMetricsPage: the Remote Monitoring page of the options sheet (222), after Service. The
// metrics endpoint's switch, its port, access from other computers with the allow list, the
// address to give Prometheus, and why this program does not serve (a port in use). Applying
// it hands the values to the main window (UM_APPLY_OPTIONS, page code 206), which restarts
// the endpoint with them; in service mode the service takes them when it restarts.
#include <windows.h>

#include "app/logic/metrics_page_logic.h"
#include "app/win32/options_sheet.h"

namespace vantrel {

class COptMetricsPage : public COptionsPage {
 public:
  explicit COptMetricsPage(COptionsSheet& sheet);

  // The values as the page last handed them over (or as it was opened with).
  const MetricsPageData& Values() const { return m_values; }

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  MetricsPageInput ReadInput() const;
  void UpdateEnables();
  void UpdateAddress();
  void ShowStatus();

  MetricsPageData m_values;
  MetricsPageData m_checked;  // the values of the last passed check, handed over next
};

}  // namespace vantrel
