#pragma once
// The chart page of the Traffic Reports window: the adapter's traffic as a bar per day, week
// or accounting month over the range chosen above the chart, the notification rule's threshold
// and window, and under it the line of what is used and where the period is heading. The
// current bar follows the live totals once a second while the page is in front; the chart is
// rebuilt when the sheet's adapter differs from the one it was built for, or the day changed.
// Export writes the chart as a PNG file.
#include <windows.h>

#include "app/logic/summary_sheet_logic.h"
#include "app/win32/report_page_common.h"
#include "app/win32/traffic_chart_view.h"
#include "engine/adapter_entry.h"
#include "reports/traffic_chart.h"

namespace vantrel {

class CSumChartPage : public CReportPage {
 public:
  CSumChartPage(HINSTANCE instance, CSummarySheet& sheet, ChartRange range);

  // The range chosen, for ReportChartRange.
  ChartRange Range() const { return m_range; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  // Reads the log for the adapter the tracker holds and the range chosen.
  void Build() override;
  void Refresh() override;
  // The chart and the line under it show m_chart.
  void Show();
  void OnRangeChosen(ChartRange range);
  void Export() override;
  void ClearHistory() override;
  const NotificationRule* Rule() const;

  ChartRange m_range;
  ChartData m_chart;
  CTrafficChartView m_view;
};

}  // namespace vantrel
