#pragma once
// The sortable list: a report-style list view of a dialog or page whose every column has a
// sort kind. A header click sorts by that column, ascending first and reversing when the same
// column is clicked again; equal cells keep their order. Every row owns an item record with
// the row's index before sorting and the row's data. After each sort the list posts
// UM_FIND_CURRENT_ROW (column, ascending) to the window it notifies, so that window can find
// rows whose position it remembers again.
//
// The list view's notifications reach its parent; the parent hands them to HandleNotify.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace vantrel::ui {

constexpr UINT UM_FIND_CURRENT_ROW = 0x0510;

class CSortListCtrl {
 public:
  // What a row carries besides its texts; owners derive their row data from it.
  struct ItemData {
    virtual ~ItemData() = default;
  };
  // Negative, zero or positive as cell a sorts before, with or after cell b under a kind.
  using CellComparer = int (*)(int sortKind, const std::wstring& a, const std::wstring& b);

  static constexpr int kMaxColumns = 100;

  explicit CSortListCtrl(CellComparer comparer) : m_comparer(comparer) {}
  ~CSortListCtrl();
  CSortListCtrl(const CSortListCtrl&) = delete;
  CSortListCtrl& operator=(const CSortListCtrl&) = delete;

  // Takes over a list view (a dialog's control); `notify` receives UM_FIND_CURRENT_ROW.
  // Any rows of an earlier list are released.
  bool Attach(HWND list, HWND notify);
  // Releases every row's record and forgets the control (at the page's WM_DESTROY).
  void Detach();
  HWND hwnd() const { return m_list; }

  void SetExtendedStyle(DWORD exStyle);
  // Appends a column `width` pixels wide at 96 DPI (scaled to the list's DPI); format
  // LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER. Returns its index or -1.
  int AddColumn(const std::wstring& title, int width, int format, int sortKind);
  void SetColumnSortKind(int column, int sortKind);
  int ColumnSortKind(int column) const;

  // Inserts a row at `index` (past the end: appended) with its cells and data; returns its
  // index, -1 on failure (the data is then released).
  int InsertRow(int index, const std::vector<std::wstring>& cells, std::unique_ptr<ItemData> data = nullptr);
  bool DeleteRow(int row);
  void DeleteAllRows();
  int RowCount() const;
  std::wstring CellText(int row, int column) const;
  // Sets a cell's text only when it differs from what the cell shows; true when changed.
  bool SetCellText(int row, int column, const std::wstring& text);
  ItemData* RowData(int row) const;
  // The row that carries this data, -1 when none.
  int FindRow(const ItemData* data) const;
  std::vector<int> SelectedRows() const;
  int SelectedRow() const;  // the first selected row, -1 when none
  void SelectRow(int row, bool focus = true);

  // Sorts by a column in a direction and remembers both; posts UM_FIND_CURRENT_ROW.
  void Sort(int column, bool ascending);
  // Sorts again by the remembered column and direction, if any.
  void ReapplySort();
  int SortColumn() const { return m_sortColumn; }
  bool SortAscending() const { return m_ascending; }

  // A WM_NOTIFY the parent received; true when it was this list's and handled here (a header
  // click sorts). Other notifications of the list (selection changes) are left to the parent.
  bool HandleNotify(const NMHDR* hdr, LRESULT* result);

 private:
  struct Record {
    int indexBeforeSort = 0;
    int rank = 0;
    std::unique_ptr<ItemData> data;
  };
  Record* RecordOf(int row) const;
  static int CALLBACK CompareRanks(LPARAM a, LPARAM b, LPARAM);

  CellComparer m_comparer;
  HWND m_list = nullptr;
  HWND m_notify = nullptr;
  std::vector<int> m_sortKinds;
  int m_sortColumn = -1;
  bool m_ascending = true;
  std::vector<std::unique_ptr<Record>> m_records;
};

}  // namespace vantrel::ui
