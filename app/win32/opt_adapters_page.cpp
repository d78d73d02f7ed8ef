#include "app/win32/opt_adapters_page.h"

#include <commctrl.h>

#include "app/logic/options_apply.h"
#include "app/res/options_ids.h"
#include "platform/text.h"
#include "reports/report_sort.h"

namespace vantrel {

namespace {

// The page answers a click or key in the list once the list has updated its check boxes.
constexpr UINT kUmChecksUpdated = 0x05F5;

struct RowIndex : ui::CSortListCtrl::ItemData {
  explicit RowIndex(size_t i) : index(i) {}
  size_t index;
};

constexpr int kColumnNo = 0, kColumnName = 1;
constexpr int kNameChars = 259;

int SpeedItemCount() { return static_cast<int>(ConnectionSpeedChoices().size()); }

}  // namespace

COptAdaptersPage::COptAdaptersPage(COptionsSheet& sheet)
    : COptionsPage(sheet, IDD_OPT_ADAPTERS), m_list(&CompareSortCells) {
  // 1. The page's copy; every edit acts on it.
  m_values.adapters = sheet.Data().adapters;
  m_values.tray = TraySettingsOf(sheet.Data().options);
}

void COptAdaptersPage::InitPage() {
  // 2. The rows.
  m_list.Attach(Item(IDC_ADAPTER_LIST), m_hwnd);
  m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  m_list.AddColumn(L"No.", 40, LVCFMT_LEFT, kSortNumeric);
  m_list.AddColumn(L"Name", 200, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"IP", 110, LVCFMT_LEFT, kSortText);
  FillRows();
  // 3. The speeds.
  FillList(IDC_CONN_SPEED, ConnectionSpeedChoices(), -1);
  // 4. The tray adapter.
  TraySelection tray = SelectTrayAdapter(m_values.adapters, m_values.tray.kind, m_values.tray.id);
  m_values.tray.kind = tray.kind;
  m_values.tray.id = tray.id;
  FillTrayList(tray.index);
  Check(IDC_TRAY_ICON, m_values.tray.icon);
  Check(IDC_TRAY_GRAPH, m_values.tray.graph);
  Check(IDC_TRAY_TIP_NAME, m_values.tray.tipName);
  Check(IDC_TRAY_TIP_IP, m_values.tray.tipIp);
  // 5. Nothing selected yet.
  SendDlgItemMessageW(m_hwnd, IDC_ADAPTER_NAME, EM_LIMITTEXT, kNameChars, 0);
  SendDlgItemMessageW(m_hwnd, IDC_CONN_RATE, EM_LIMITTEXT, 10, 0);
  SendDlgItemMessageW(m_hwnd, IDC_CONN_RATE_SPIN, UDM_SETRANGE32, 0, kMaxConnRate);
  UDACCEL step{0, 1000};
  SendDlgItemMessageW(m_hwnd, IDC_CONN_RATE_SPIN, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
  ClearSelectionControls();
  // 6. The tray controls follow the tray icon box.
  EnableTrayControls();
}

void COptAdaptersPage::FillRows() {
  m_list.DeleteAllRows();
  for (size_t i = 0; i < m_values.adapters.size(); ++i) {
    const OptionsAdapter& a = m_values.adapters[i];
    int row = m_list.InsertRow(static_cast<int>(i), {std::to_wstring(i + 1), a.name, AsciiToWide(a.ip)},
                               std::make_unique<RowIndex>(i));
    if (row >= 0) ListView_SetCheckState(m_list.hwnd(), row, a.monitored ? TRUE : FALSE);
  }
}

void COptAdaptersPage::NumberRows() {
  for (int row = 0; row < m_list.RowCount(); ++row) m_list.SetCellText(row, kColumnNo, std::to_wstring(row + 1));
}

void COptAdaptersPage::FillTrayList(int selected) {
  m_trayItems = m_values.adapters;
  HWND list = Item(IDC_TRAY_ADAPTER);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  // In the monitored list's order (the drop-down is not sorted), so an item's position is its
  // index in m_trayItems, which carries its kind and identifier.
  for (const OptionsAdapter& a : m_trayItems)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(a.name.c_str()));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void COptAdaptersPage::EnableTrayControls() {
  bool on = Checked(IDC_TRAY_ICON);
  for (int id : {IDC_TRAY_GRAPH, IDC_TRAY_ADAPTER, IDC_TRAY_TIP_NAME, IDC_TRAY_TIP_IP}) Enable(id, on);
}

void COptAdaptersPage::SetProgramText(int id, const std::wstring& text) {
  m_programText = true;
  SetDlgItemTextW(m_hwnd, id, text.c_str());
  m_programText = false;
}

void COptAdaptersPage::ClearSelectionControls() {
  m_shownRow = -1;
  SetProgramText(IDC_ADAPTER_NAME, L"");
  Enable(IDC_ADAPTER_NAME, false);
  SendDlgItemMessageW(m_hwnd, IDC_CONN_SPEED, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Enable(IDC_CONN_SPEED, false);
  SetProgramText(IDC_CONN_RATE, L"0");
  Enable(IDC_CONN_RATE, false);
  Enable(IDC_CONN_RATE_SPIN, false);
}

OptionsAdapter* COptAdaptersPage::SelectedAdapter() {
  int row = m_list.SelectedRow();
  auto* data = row >= 0 ? static_cast<RowIndex*>(m_list.RowData(row)) : nullptr;
  if (!data || data->index >= m_values.adapters.size()) return nullptr;
  return &m_values.adapters[data->index];
}

void COptAdaptersPage::OnRowSelection() {
  int row = m_list.SelectedRow();
  if (row == m_shownRow) return;
  OptionsAdapter* adapter = SelectedAdapter();
  if (!adapter) {
    ClearSelectionControls();
    return;
  }
  m_shownRow = row;
  SetProgramText(IDC_ADAPTER_NAME, adapter->name);
  Enable(IDC_ADAPTER_NAME, true);
  Enable(IDC_CONN_SPEED, true);
  SpeedSelection speed = SelectSpeed(adapter->connRateBps);
  SendDlgItemMessageW(m_hwnd, IDC_CONN_SPEED, CB_SETCURSEL, static_cast<WPARAM>(speed.index), 0);
  Enable(IDC_CONN_RATE, speed.specify);
  Enable(IDC_CONN_RATE_SPIN, speed.specify);
  SetProgramText(IDC_CONN_RATE, std::to_wstring(speed.editValue));
}

void COptAdaptersPage::OnSpeedChosen() {
  int index = Selection(IDC_CONN_SPEED);
  if (index < 0) return;
  SpeedChoice choice = ChooseSpeed(index);
  // What the page shows is what OK stores: "Specify Speed" puts 0 in the edit, and the
  // adapter takes it now rather than through the edit's change, which the program's own
  // text does not count as.
  if (OptionsAdapter* adapter = SelectedAdapter()) adapter->connRateBps = choice.connRateBps;
  Enable(IDC_CONN_RATE, choice.specify);
  Enable(IDC_CONN_RATE_SPIN, choice.specify);
  if (choice.specify) SetProgramText(IDC_CONN_RATE, std::to_wstring(choice.connRateBps));
  MarkChanged();
}

void COptAdaptersPage::OnSpeedEdited() {
  if (m_programText || !Initialized()) return;
  if (Selection(IDC_CONN_SPEED) != SpeedItemCount() - 1) return;
  OptionsAdapter* adapter = SelectedAdapter();
  if (!adapter) return;
  adapter->connRateBps = ConnRateFromText(Text(IDC_CONN_RATE));
  MarkChanged();
}

void COptAdaptersPage::OnNameEdited() {
  if (m_programText || !Initialized()) return;
  OptionsAdapter* adapter = SelectedAdapter();
  if (!adapter) return;
  adapter->name = Text(IDC_ADAPTER_NAME);
  m_list.SetCellText(m_list.SelectedRow(), kColumnName, adapter->name);
  // The tray-adapter list names the adapter the same way.
  size_t index = static_cast<size_t>(adapter - m_values.adapters.data());
  if (index < m_trayItems.size()) {
    HWND tray = Item(IDC_TRAY_ADAPTER);
    LRESULT selected = SendMessageW(tray, CB_GETCURSEL, 0, 0);
    m_trayItems[index].name = adapter->name;
    SendMessageW(tray, CB_DELETESTRING, index, 0);
    SendMessageW(tray, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(adapter->name.c_str()));
    SendMessageW(tray, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  MarkChanged();
}

std::vector<AdapterRowState> COptAdaptersPage::RowStates() const {
  std::vector<AdapterRowState> rows;
  for (int row = 0; row < m_list.RowCount(); ++row) {
    auto* data = static_cast<RowIndex*>(m_list.RowData(row));
    if (!data) continue;
    rows.push_back({data->index, ListView_GetCheckState(m_list.hwnd(), row) != FALSE});
  }
  return rows;
}

void COptAdaptersPage::OnChecksMaybeChanged() {
  if (MonitoredChanged(RowStates(), m_values.adapters)) MarkChanged();
}

void COptAdaptersPage::OnReset() {
  int traySelected = Selection(IDC_TRAY_ADAPTER);
  m_values.adapters = ResetAdapterNames(OptionsSheet().Data().adapters);
  FillRows();
  m_list.ReapplySort();
  FillTrayList(traySelected);
  ClearSelectionControls();
  MarkChanged();
}

PageCheck COptAdaptersPage::CheckPage() {
  AdaptersPageInput in;
  in.trayIcon = Checked(IDC_TRAY_ICON);
  in.trayIndex = Selection(IDC_TRAY_ADAPTER);
  in.rows = RowStates();
  AdaptersPageValues values = m_values;
  values.tray.graph = Checked(IDC_TRAY_GRAPH);
  values.tray.tipName = Checked(IDC_TRAY_TIP_NAME);
  values.tray.tipIp = Checked(IDC_TRAY_TIP_IP);
  PageCheck check = CheckAdaptersPage(in, m_trayItems, &values);
  if (check.ok) m_values = values;
  return check;
}

bool COptAdaptersPage::SendToMain() {
  if (!OptionsSheet().ApplyToMain(kPageAdapters, &m_values)) return false;
  // The main window's list is now what the page applied: a later Reset starts from it.
  std::vector<OptionsAdapter>& shared = OptionsSheet().Data().adapters;
  for (OptionsAdapter& a : shared)
    for (const OptionsAdapter& applied : m_values.adapters)
      if (a.SameAdapter(applied)) {
        a.name = applied.name;
        a.connRateBps = applied.connRateBps;
        a.monitored = applied.monitored;
      }
  return true;
}

bool COptAdaptersPage::OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case kUmChecksUpdated:
      OnChecksMaybeChanged();
      *result = 0;
      return true;
    case ui::UM_FIND_CURRENT_ROW:
      // After a sort the rows are numbered again from 1, and the edits follow the selection.
      NumberRows();
      m_shownRow = m_list.SelectedRow();
      *result = 0;
      return true;
    case WM_DESTROY:
      m_list.Detach();
      return false;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (!hdr || hdr->hwndFrom != m_list.hwnd()) return false;
      if (m_list.HandleNotify(hdr, result)) return true;
      if (hdr->code == NM_CLICK || hdr->code == LVN_KEYDOWN) {
        PostMessageW(m_hwnd, kUmChecksUpdated, 0, 0);
      } else if (hdr->code == LVN_ITEMCHANGED && Initialized()) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        if (change->uChanged & LVIF_STATE) {
          if ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK)
            PostMessageW(m_hwnd, kUmChecksUpdated, 0, 0);
          if ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) OnRowSelection();
        }
      }
      *result = 0;
      return true;
    }
    case WM_COMMAND:
      break;
    default:
      return false;
  }
  int id = LOWORD(wp);
  UINT code = HIWORD(wp);
  switch (id) {
    case IDC_ADAPTER_NAME:
      if (code != EN_CHANGE) return false;
      OnNameEdited();
      break;
    case IDC_CONN_RATE:
      if (code != EN_CHANGE) return false;
      OnSpeedEdited();
      break;
    case IDC_CONN_SPEED:
      if (code != CBN_SELCHANGE) return false;
      OnSpeedChosen();
      break;
    case IDC_TRAY_ADAPTER:
      if (code != CBN_SELCHANGE) return false;
      MarkChanged();
      break;
    case IDC_RESET_ADAPTERS:
      if (code != BN_CLICKED) return false;
      OnReset();
      break;
    case IDC_TRAY_ICON:
      if (code != BN_CLICKED) return false;
      EnableTrayControls();
      MarkChanged();
      break;
    case IDC_TRAY_GRAPH:
    case IDC_TRAY_TIP_NAME:
    case IDC_TRAY_TIP_IP:
      if (code != BN_CLICKED) return false;
      MarkChanged();
      break;
    default:
      return false;
  }
  *result = 0;
  return true;
}

}  // namespace vantrel
