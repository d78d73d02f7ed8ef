// The daily, weekly and monthly pages of the Traffic Reports window.
#include "app/win32/sum_list_page.h"

#include <climits>
#include <memory>

#include "app/res/reports_ids.h"
#include "app/win32/report_page_common.h"
#include "app/win32/summary_sheet.h"
#include "reports/report_export.h"
#include "reports/report_sort.h"

namespace vantrel {

namespace {

// A list row's item data: the current flag and the stored counts.
struct RowData : ui::CSortListCtrl::ItemData {
  RowData(bool c, int64_t d, int64_t u) : current(c), down(d), up(u) {}
  bool current;
  int64_t down;
  int64_t up;
};

// Posted to the page itself: selecting many rows at once sends a change per row, and the
// selection line is summed once after them.
constexpr UINT kUmSelectionChanged = WM_APP + 1;

const RowData* DataOf(const ui::CSortListCtrl& list, int row) { return static_cast<const RowData*>(list.RowData(row)); }

// The wait cursor for the length of a pass over the log.
class WaitCursor {
 public:
  WaitCursor() : m_old(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(m_old); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR m_old;
};

}  // namespace

CSumListPage::CSumListPage(HINSTANCE instance, UINT templateId, ReportKind kind, CSummarySheet& sheet)
    : CReportPage(instance, templateId, sheet), m_kind(kind), m_list(&CompareSortCells) {}

CSumDailyPage::CSumDailyPage(HINSTANCE instance, CSummarySheet& sheet)
    : CSumListPage(instance, IDD_SUM_DAILY, ReportKind::Daily, sheet) {}
CSumWeeklyPage::CSumWeeklyPage(HINSTANCE instance, CSummarySheet& sheet)
    : CSumListPage(instance, IDD_SUM_WEEKLY, ReportKind::Weekly, sheet) {}
CSumMonthlyPage::CSumMonthlyPage(HINSTANCE instance, CSummarySheet& sheet)
    : CSumListPage(instance, IDD_SUM_MONTHLY, ReportKind::Monthly, sheet) {}

void CSumListPage::AddColumns() {
  const std::array<int, kReportColumns> kinds = ReportColumnSortKinds(m_kind, m_sheet.Settings().dateFormat);
  if (m_kind == ReportKind::Daily) {
    m_list.AddColumn(L"Date", 95, LVCFMT_LEFT, kinds[0]);
    m_list.AddColumn(L"Day", 95, LVCFMT_LEFT, kinds[1]);
  } else {
    m_list.AddColumn(L"#", 30, LVCFMT_LEFT, kinds[0]);
    m_list.AddColumn(m_kind == ReportKind::Weekly ? L"Week" : L"Month", 160, LVCFMT_CENTER, kinds[1]);
  }
  m_list.AddColumn(L"Downloaded", 100, LVCFMT_RIGHT, kinds[2]);
  m_list.AddColumn(L"Uploaded", 100, LVCFMT_RIGHT, kinds[3]);
  m_list.AddColumn(L"Both", 100, LVCFMT_RIGHT, kinds[4]);
}

BOOL CSumListPage::OnInitDialog() {
  m_list.Attach(GetDlgItem(m_hwnd, IDC_REPORT_LIST), m_hwnd);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  AddColumns();
  const SummarySheetSettings& s = m_sheet.Settings();
  if (m_kind == ReportKind::Weekly) {
    std::wstring label = std::wstring(L"Start day of week is: ") + DayName(s.weekStart >= 0 && s.weekStart <= 6 ? s.weekStart : 0);
    SetDlgItemTextW(m_hwnd, IDC_WEEK_START_LABEL, label.c_str());
  } else if (m_kind == ReportKind::Monthly) {
    std::wstring label = L"Start day of month is: " + std::to_wstring(s.monthStart);
    SetDlgItemTextW(m_hwnd, IDC_MONTH_START_LABEL, label.c_str());
  }
  StartFollowing();
  return TRUE;
}

void CSumListPage::Build() {
  ReportTable table;
  {
    WaitCursor wait;
    ReportContext ctx = m_sheet.Context(m_tracker.BuiltFor(), 0);
    m_entry = m_sheet.EntryFor(m_tracker.BuiltFor());
    table = BuildReportTable(m_kind, ctx);
  }
  Fill(table);
}

void CSumListPage::Fill(const ReportTable& table) {
  m_filling = true;
  SendMessageW(m_list.hwnd(), WM_SETREDRAW, FALSE, 0);
  m_list.DeleteAllRows();
  for (const ReportRow& row : table.rows) {
    std::vector<std::wstring> cells(row.cells.begin(), row.cells.end());
    m_list.InsertRow(INT_MAX, cells, std::make_unique<RowData>(row.current, row.down, row.up));
  }
  m_table = table;
  m_table.rows.clear();
  // The sort in force stays; the first time, the newest row goes on top.
  if (m_list.SortColumn() >= 0)
    m_list.ReapplySort();
  else
    m_list.Sort(InitialSortColumn(m_kind), false);
  SendMessageW(m_list.hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_list.hwnd(), nullptr, TRUE);
  m_filling = false;
  FindCurrentRow();
  UpdateSelectionLine();
}

void CSumListPage::FindCurrentRow() {
  m_currentRow = -1;
  for (int row = 0, n = m_list.RowCount(); row < n; ++row) {
    const RowData* data = DataOf(m_list, row);
    if (data && data->current) {
      m_currentRow = row;
      return;
    }
  }
}

void CSumListPage::Refresh() {
  const RowData* data = DataOf(m_list, m_currentRow);
  if (!data || !data->current) FindCurrentRow();
  if (m_currentRow < 0) return;
  TrafficPair shown = CurrentShownTotals(m_table, Live());
  std::array<std::wstring, 3> cells = MakeByteCells(shown.down, shown.up, m_table.byteUnits);
  bool changed = false;
  for (int i = 0; i < 3; ++i) changed |= m_list.SetCellText(m_currentRow, kColumnDown + i, cells[static_cast<size_t>(i)]);
  if (!changed) return;
  // The selection line counts the current row as it is shown.
  for (int row : m_list.SelectedRows()) {
    if (row == m_currentRow) {
      UpdateSelectionLine();
      break;
    }
  }
}

void CSumListPage::UpdateSelectionLine() {
  std::vector<RowTotals> selected;
  for (int row : m_list.SelectedRows()) {
    if (const RowData* data = DataOf(m_list, row)) selected.push_back(RowTotals{data->current, data->down, data->up});
  }
  std::wstring line = SelectionLine(selected, CurrentShownTotals(m_table, Live()), m_table.byteUnits);
  wchar_t shown[512] = {};
  GetDlgItemTextW(m_hwnd, IDC_SELECTION_LINE, shown, 512);
  if (line != shown) SetDlgItemTextW(m_hwnd, IDC_SELECTION_LINE, line.c_str());
}

void CSumListPage::Export() {
  ExportReportWithDialog(m_sheet.Owner(), m_kind, [this] {
    const SummarySheetSettings& s = m_sheet.Settings();
    ReportDocument doc = TableDocument(m_table, m_sheet.AdapterName(), s.dateFormat, s.weekStart, s.monthStart);
    // The rows as the list shows them now, top to bottom, the live row included.
    for (int row = 0, n = m_list.RowCount(); row < n; ++row) {
      std::array<std::wstring, kReportColumns> cells;
      for (int c = 0; c < kReportColumns; ++c) cells[static_cast<size_t>(c)] = m_list.CellText(row, c);
      doc.rows.push_back(std::move(cells));
    }
    return doc;
  });
}

void CSumListPage::ClearHistory() {
  // The page's own adapter: a page in the back may still show another one until it is shown.
  m_entry = m_sheet.EntryFor(m_tracker.BuiltFor());
  Fill(ClearedReportTable(m_kind, m_sheet.Context(m_tracker.BuiltFor(), 0)));
}

bool CSumListPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (m_list.HandleNotify(hdr, result)) return true;
      if (hdr && hdr->hwndFrom == m_list.hwnd() && hdr->code == LVN_ITEMCHANGED && !m_filling) {
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) && !m_selectionPending)
          m_selectionPending = PostMessageW(m_hwnd, kUmSelectionChanged, 0, 0) != FALSE;
      }
      return false;
    }
    case kUmSelectionChanged:
      m_selectionPending = false;
      UpdateSelectionLine();
      return true;
    case ui::UM_FIND_CURRENT_ROW:
      FindCurrentRow();
      return true;
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (id != IDC_SELECTION_LINE && id != IDC_WEEK_START_LABEL && id != IDC_MONTH_START_LABEL) return false;
      *result = ColouredLabel(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), kReportRed);
      return true;
    }
    case WM_DESTROY:
      m_list.Detach();
      m_currentRow = -1;
      break;
    default:
      break;
  }
  return CReportPage::OnMessage(msg, wp, lp, result);
}

}  // namespace vantrel
