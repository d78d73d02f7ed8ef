#pragma once
// The summary page of the Traffic Reports window: eighteen cells (Today, This Week, This
// Month, This Year, Last N Days and Total, each downloaded, uploaded and both) that follow the
// live totals once a second while the page is in front, the days edit N with its spin, the
// "Until today" line, and the traffic log file with its Change, Backup and Restore buttons.
#include <windows.h>

#include "app/logic/summary_sheet_logic.h"
#include "app/win32/report_page_common.h"
#include "engine/adapter_entry.h"
#include "reports/report_tables.h"

namespace vantrel {

class CSumSummaryPage : public CReportPage {
 public:
  CSumSummaryPage(HINSTANCE instance, CSummarySheet& sheet, int lastDays);

  // N: as given, or as the days edit read when the page's window closed.
  int LastDays() const { return m_lastDays; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void Build() override;
  // Sets the cells whose text differs from what they show.
  void Refresh() override;
  void Export() override;
  void ClearHistory() override;
  void OnDaysChanged();
  void OnChangeLog();
  void OnBackupLog();
  void OnRestoreLog();
  void ShowLogPath();

  int m_lastDays;
  SummaryTotals m_totals;
  SummaryCells m_shown;  // what the eighteen cells show
  bool m_daysReady = false;  // the days edit is filled: its changes count from now on
};

}  // namespace vantrel
