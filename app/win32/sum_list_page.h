#pragma once
// The daily, weekly and monthly pages of the Traffic Reports window: one sortable list of the
// report's rows, the selection line under it, and for weekly and monthly the start-day label.
// The row for today or the current period follows the live totals once a second while the
// page is in front; the table is rebuilt when the sheet's adapter differs from the one it was
// built for (ReportPageTracker).
#include <windows.h>

#include "app/logic/summary_sheet_logic.h"
#include "app/win32/report_page_common.h"
#include "engine/adapter_entry.h"
#include "reports/report_tables.h"
#include "ui/sort_list.h"

namespace vantrel {

class CSumListPage : public CReportPage {
 public:
  CSumListPage(HINSTANCE instance, UINT templateId, ReportKind kind, CSummarySheet& sheet);

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void AddColumns();
  // Reads the log for the adapter the tracker holds and fills the list; the sort in force (or,
  // the first time, the newest row on top) is applied again.
  void Build() override;
  void Fill(const ReportTable& table);
  void Refresh() override;
  void FindCurrentRow();
  void UpdateSelectionLine();
  void Export() override;
  void ClearHistory() override;

  ReportKind m_kind;
  ui::CSortListCtrl m_list;
  ReportTable m_table;  // the range, the current period and its logged totals; rows live in the list
  int m_currentRow = -1;
  bool m_filling = false;
  bool m_selectionPending = false;  // a selection line update is posted
};

class CSumDailyPage : public CSumListPage {
 public:
  CSumDailyPage(HINSTANCE instance, CSummarySheet& sheet);
};

class CSumWeeklyPage : public CSumListPage {
 public:
  CSumWeeklyPage(HINSTANCE instance, CSummarySheet& sheet);
};

class CSumMonthlyPage : public CSumListPage {
 public:
  CSumMonthlyPage(HINSTANCE instance, CSummarySheet& sheet);
};

}  // namespace vantrel
