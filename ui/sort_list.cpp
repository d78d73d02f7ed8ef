#include "ui/sort_list.h"

#include <algorithm>
#include <numeric>

#include "ui/dpi.h"

namespace vantrel::ui {

CSortListCtrl::~CSortListCtrl() { Detach(); }

bool CSortListCtrl::Attach(HWND list, HWND notify) {
  Detach();
  if (!list) return false;
  m_list = list;
  m_notify = notify;
  m_sortColumn = -1;
  m_ascending = true;
  m_sortKinds.clear();
  return true;
}

void CSortListCtrl::Detach() {
  // Empty the control first: its rows point at the records.
  if (m_list && IsWindow(m_list)) SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
  m_records.clear();
  m_list = nullptr;
  m_notify = nullptr;
}

void CSortListCtrl::SetExtendedStyle(DWORD exStyle) {
  if (m_list) SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, exStyle, exStyle);
}

int CSortListCtrl::AddColumn(const std::wstring& title, int width, int format, int sortKind) {
  if (!m_list || static_cast<int>(m_sortKinds.size()) >= kMaxColumns) return -1;
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  col.fmt = format;
  col.cx = ScaleToWindow(m_list, width);
  col.pszText = const_cast<wchar_t*>(title.c_str());
  int index = static_cast<int>(m_sortKinds.size());
  col.iSubItem = index;
  int got = static_cast<int>(SendMessageW(m_list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col)));
  if (got < 0) return -1;
  m_sortKinds.push_back(sortKind);
  return got;
}

void CSortListCtrl::SetColumnSortKind(int column, int sortKind) {
  if (column >= 0 && column < static_cast<int>(m_sortKinds.size())) m_sortKinds[static_cast<size_t>(column)] = sortKind;
}

int CSortListCtrl::ColumnSortKind(int column) const {
  return column >= 0 && column < static_cast<int>(m_sortKinds.size()) ? m_sortKinds[static_cast<size_t>(column)] : 0;
}

int CSortListCtrl::InsertRow(int index, const std::vector<std::wstring>& cells, std::unique_ptr<ItemData> data) {
  if (!m_list) return -1;
  auto record = std::make_unique<Record>();
  record->data = std::move(data);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = std::max(0, std::min(index, RowCount()));
  std::wstring first = cells.empty() ? std::wstring() : cells[0];
  item.pszText = first.data();
  item.lParam = reinterpret_cast<LPARAM>(record.get());
  int row = static_cast<int>(SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  m_records.push_back(std::move(record));
  for (size_t c = 1; c < cells.size(); ++c) {
    LVITEMW sub{};
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = const_cast<wchar_t*>(cells[c].c_str());
    SendMessageW(m_list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
  }
  return row;
}

CSortListCtrl::Record* CSortListCtrl::RecordOf(int row) const {
  if (!m_list || row < 0) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<Record*>(item.lParam);
}

bool CSortListCtrl::DeleteRow(int row) {
  Record* record = RecordOf(row);
  if (!record || !SendMessageW(m_list, LVM_DELETEITEM, row, 0)) return false;
  auto it = std::find_if(m_records.begin(), m_records.end(), [&](const auto& r) { return r.get() == record; });
  if (it != m_records.end()) m_records.erase(it);
  return true;
}

void CSortListCtrl::DeleteAllRows() {
  if (m_list) SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
  m_records.clear();
}

int CSortListCtrl::RowCount() const {
  return m_list ? static_cast<int>(SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring CSortListCtrl::CellText(int row, int column) const {
  if (!m_list) return {};
  // The control copies at most the buffer's size; grow until the text fits.
  std::wstring text(256, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    int got = static_cast<int>(SendMessageW(m_list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (got < static_cast<int>(text.size()) - 1) {
      text.resize(static_cast<size_t>(std::max(got, 0)));
      return text;
    }
    text.assign(text.size() * 4, L'\0');
  }
  text.resize(wcslen(text.c_str()));
  return text;
}

bool CSortListCtrl::SetCellText(int row, int column, const std::wstring& text) {
  if (!m_list || row < 0 || row >= RowCount() || CellText(row, column) == text) return false;
  LVITEMW sub{};
  sub.iSubItem = column;
  sub.pszText = const_cast<wchar_t*>(text.c_str());
  return SendMessageW(m_list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub)) != 0;
}

CSortListCtrl::ItemData* CSortListCtrl::RowData(int row) const {
  Record* record = RecordOf(row);
  return record ? record->data.get() : nullptr;
}

int CSortListCtrl::FindRow(const ItemData* data) const {
  if (!data) return -1;
  for (int row = 0, n = RowCount(); row < n; ++row)
    if (RowData(row) == data) return row;
  return -1;
}

std::vector<int> CSortListCtrl::SelectedRows() const {
  std::vector<int> rows;
  if (!m_list) return rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) rows.push_back(row);
  return rows;
}

int CSortListCtrl::SelectedRow() const {
  return m_list ? static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void CSortListCtrl::SelectRow(int row, bool focus) {
  if (!m_list) return;
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (row < 0 || row >= RowCount()) return;
  LVITEMW set{};
  set.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  set.state = LVIS_SELECTED | (focus ? LVIS_FOCUSED : 0);
  SendMessageW(m_list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&set));
  SendMessageW(m_list, LVM_ENSUREVISIBLE, row, FALSE);
  if (focus) SetFocus(m_list);
}

int CALLBACK CSortListCtrl::CompareRanks(LPARAM a, LPARAM b, LPARAM) {
  int ra = reinterpret_cast<const Record*>(a)->rank;
  int rb = reinterpret_cast<const Record*>(b)->rank;
  return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

void CSortListCtrl::Sort(int column, bool ascending) {
  if (!m_list || column < 0 || column >= static_cast<int>(m_sortKinds.size())) return;
  m_sortColumn = column;
  m_ascending = ascending;
  // Read every cell of the column once and order the rows by it, keeping the order of equal
  // cells; the control then only moves rows by their rank.
  const int n = RowCount();
  std::vector<std::wstring> texts(static_cast<size_t>(n));
  std::vector<Record*> records(static_cast<size_t>(n));
  for (int row = 0; row < n; ++row) {
    texts[static_cast<size_t>(row)] = CellText(row, column);
    records[static_cast<size_t>(row)] = RecordOf(row);
    if (records[static_cast<size_t>(row)]) records[static_cast<size_t>(row)]->indexBeforeSort = row;
  }
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  const int kind = m_sortKinds[static_cast<size_t>(column)];
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    int c = m_comparer(kind, texts[static_cast<size_t>(a)], texts[static_cast<size_t>(b)]);
    return ascending ? c < 0 : c > 0;
  });
  for (int pos = 0; pos < n; ++pos)
    if (Record* r = records[static_cast<size_t>(order[static_cast<size_t>(pos)])]) r->rank = pos;
  SendMessageW(m_list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CSortListCtrl::CompareRanks));
  if (m_notify) PostMessageW(m_notify, UM_FIND_CURRENT_ROW, static_cast<WPARAM>(column), ascending ? 1 : 0);
}

void CSortListCtrl::ReapplySort() {
  if (m_sortColumn >= 0) Sort(m_sortColumn, m_ascending);
}

bool CSortListCtrl::HandleNotify(const NMHDR* hdr, LRESULT* result) {
  if (!m_list || !hdr || hdr->hwndFrom != m_list) return false;
  if (hdr->code != LVN_COLUMNCLICK) return false;
  const auto* nm = reinterpret_cast<const NMLISTVIEW*>(hdr);
  bool ascending = nm->iSubItem == m_sortColumn ? !m_ascending : true;
  Sort(nm->iSubItem, ascending);
  *result = 0;
  return true;
}

}  // namespace vantrel::ui
