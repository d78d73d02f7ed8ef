// CRatesRecorderDlg: the Traffic Rates Recorder dialog.
#include "app/win32/rates_recorder_dlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "app/logic/main_messages.h"
#include "app/res/rates_recorder_ids.h"
#include "reports/report_sort.h"
#include "ui/file_dialog.h"

namespace vantrel {

namespace {

struct RowIndex : ui::CSortListCtrl::ItemData {
  explicit RowIndex(size_t i) : index(i) {}
  size_t index;
};

constexpr int kColumnRecord = 1, kColumnInterval = 2, kColumnFile = 3;
constexpr int kMinInterval = 1;
constexpr int kMaxInterval = 32767;
constexpr int kFileChars = 520;

// The filter the browse dialog showed last during this run (1 text, 2 CSV).
int g_lastRecordFilter = 1;

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  if (control) GetWindowTextW(control, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

std::vector<std::wstring> NamesOf(const MonitoredList& list) {
  std::vector<std::wstring> names;
  for (const AdapterEntry& e : list) names.push_back(e.displayName);
  return names;
}

}  // namespace

CRatesRecorderDlg::CRatesRecorderDlg(const MonitoredList& adapters)
    : m_model(NamesOf(adapters), RecorderSettingsOf(adapters)), m_list(&CompareSortCells) {}

bool CRatesRecorderDlg::Run(HINSTANCE instance, HWND owner) { return DoModal(instance, IDD_RATES_RECORDER, owner) == IDOK; }

BOOL CRatesRecorderDlg::OnInitDialog() {
  SendDlgItemMessageW(m_hwnd, IDC_RECORD_INTERVAL_SPIN, UDM_SETRANGE32, kMinInterval, kMaxInterval);
  SendDlgItemMessageW(m_hwnd, IDC_RECORD_INTERVAL, EM_LIMITTEXT, 10, 0);
  SendDlgItemMessageW(m_hwnd, IDC_RECORD_FILE, EM_LIMITTEXT, kFileChars - 1, 0);
  m_list.Attach(GetDlgItem(m_hwnd, IDC_RECORD_LIST), m_hwnd);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_list.AddColumn(L"Name", 200, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"Record", 50, LVCFMT_LEFT, kSortText);
  m_list.AddColumn(L"Interval", 60, LVCFMT_RIGHT, kSortNumeric);
  m_list.AddColumn(L"File", 200, LVCFMT_LEFT, kSortText);
  FillList();
  ShowControls();
  return TRUE;
}

void CRatesRecorderDlg::FillList() {
  m_rowData.assign(m_model.size(), nullptr);
  for (size_t i = 0; i < m_model.size(); ++i) {
    RecorderRowCells c = m_model.Cells(i);
    auto data = std::make_unique<RowIndex>(i);
    m_rowData[i] = data.get();
    if (m_list.InsertRow(INT_MAX, {c.name, c.record, c.interval, c.file}, std::move(data)) < 0) m_rowData[i] = nullptr;
  }
}

void CRatesRecorderDlg::ShowRowCells(size_t row) {
  int at = row < m_rowData.size() ? m_list.FindRow(m_rowData[row]) : -1;
  if (at < 0) return;
  RecorderRowCells c = m_model.Cells(row);
  m_list.SetCellText(at, kColumnRecord, c.record);
  m_list.SetCellText(at, kColumnInterval, c.interval);
  m_list.SetCellText(at, kColumnFile, c.file);
}

int CRatesRecorderDlg::SelectedRow() const {
  const auto* data = static_cast<const RowIndex*>(m_list.RowData(m_list.SelectedRow()));
  return data ? static_cast<int>(data->index) : -1;
}

void CRatesRecorderDlg::ShowControls() {
  int row = SelectedRow();
  RecorderControls c = m_model.Controls(row);
  m_updating = true;
  CheckDlgButton(m_hwnd, IDC_RECORD_CHECK, c.checked ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(m_hwnd, IDC_RECORD_CHECK), c.checkEnabled);
  SetDlgItemTextW(m_hwnd, IDC_RECORD_INTERVAL, c.intervalText.c_str());
  SetDlgItemTextW(m_hwnd, IDC_RECORD_FILE, c.fileText.c_str());
  CheckDlgButton(m_hwnd, IDC_RECORD_NUMBERS_ONLY, row >= 0 && c.numbersOnly ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, IDC_RECORD_LETTERS, row >= 0 && !c.numbersOnly ? BST_CHECKED : BST_UNCHECKED);
  for (int id : {IDC_RECORD_INTERVAL, IDC_RECORD_INTERVAL_SPIN, IDC_RECORD_NUMBERS_ONLY, IDC_RECORD_LETTERS,
                 IDC_RECORD_FILE, IDC_RECORD_BROWSE})
    EnableWindow(GetDlgItem(m_hwnd, id), c.othersEnabled);
  m_updating = false;
}

void CRatesRecorderDlg::OnRecordClicked() {
  int row = SelectedRow();
  if (row < 0) return;
  m_model.SetRecord(static_cast<size_t>(row), IsDlgButtonChecked(m_hwnd, IDC_RECORD_CHECK) == BST_CHECKED);
  ShowRowCells(static_cast<size_t>(row));
  ShowControls();
}

void CRatesRecorderDlg::OnIntervalChanged() {
  int row = SelectedRow();
  if (row >= 0 && m_model.SetIntervalText(static_cast<size_t>(row), ControlText(m_hwnd, IDC_RECORD_INTERVAL)))
    ShowRowCells(static_cast<size_t>(row));
}

void CRatesRecorderDlg::OnFileChanged() {
  int row = SelectedRow();
  if (row >= 0 && m_model.SetFile(static_cast<size_t>(row), ControlText(m_hwnd, IDC_RECORD_FILE)))
    ShowRowCells(static_cast<size_t>(row));
}

void CRatesRecorderDlg::OnStyleClicked(bool numbersOnly) {
  int row = SelectedRow();
  if (row >= 0) m_model.SetNumbersOnly(static_cast<size_t>(row), numbersOnly);
}

void CRatesRecorderDlg::OnBrowse() {
  int row = SelectedRow();
  if (row < 0) return;
  std::wstring name = m_model.Name(static_cast<size_t>(row));
  std::wstring file = ControlText(m_hwnd, IDC_RECORD_FILE);
  ui::FileDialogRequest ask;
  ask.owner = m_hwnd;
  ask.filter = kRecordFileFilter;
  ask.filterIndex = static_cast<DWORD>(g_lastRecordFilter);
  ask.title = name.c_str();
  ask.file = file;
  ask.capacity = kFileChars;
  if (!ui::AskSaveFile(ask)) return;
  g_lastRecordFilter = ask.filterIndex == 2 ? 2 : 1;
  std::wstring chosen = RecordFileWithExtension(ask.file, g_lastRecordFilter);
  // Through the edit, as if typed: the row takes it with the edit's change.
  SetDlgItemTextW(m_hwnd, IDC_RECORD_FILE, chosen.c_str());
}

void CRatesRecorderDlg::OnOk() {
  std::vector<size_t> shown;
  for (int at = 0; at < m_list.RowCount(); ++at)
    if (const auto* data = static_cast<const RowIndex*>(m_list.RowData(at))) shown.push_back(data->index);
  RecorderCheck check = m_model.Check(shown, SystemFileSystem());
  if (check.ok()) {
    EndModal(IDOK);
    return;
  }
  MessageBoxW(m_hwnd, check.message.c_str(), kAppCaption, MB_OK | MB_ICONWARNING);
  int at = static_cast<size_t>(check.row) < m_rowData.size() ? m_list.FindRow(m_rowData[static_cast<size_t>(check.row)]) : -1;
  if (at >= 0) m_list.SelectRow(at, true);
  ShowControls();
}

bool CRatesRecorderDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND: {
      const UINT code = HIWORD(wp);
      switch (LOWORD(wp)) {
        case IDOK:
          OnOk();
          return true;
        case IDCANCEL:
          EndModal(IDCANCEL);
          return true;
        case IDC_RECORD_CHECK:
          if (code == BN_CLICKED) OnRecordClicked();
          return true;
        case IDC_RECORD_NUMBERS_ONLY:
        case IDC_RECORD_LETTERS:
          if (code == BN_CLICKED) OnStyleClicked(LOWORD(wp) == IDC_RECORD_NUMBERS_ONLY);
          return true;
        case IDC_RECORD_INTERVAL:
          if (code == EN_CHANGE && !m_updating) OnIntervalChanged();
          return true;
        case IDC_RECORD_FILE:
          if (code == EN_CHANGE && !m_updating) OnFileChanged();
          return true;
        case IDC_RECORD_BROWSE:
          if (code == BN_CLICKED) OnBrowse();
          return true;
        default:
          return false;
      }
    }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (m_list.HandleNotify(hdr, result)) return true;
      if (hdr && hdr->hwndFrom == m_list.hwnd() && hdr->code == LVN_ITEMCHANGED) {
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) ShowControls();
      }
      return false;
    }
    case WM_DESTROY:
      m_list.Detach();
      return false;
    default:
      return false;
  }
}

}  // namespace vantrel
