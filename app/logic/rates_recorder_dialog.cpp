#include "app/logic/rates_recorder_dialog.h"

#include <cstdint>

#include "platform/text.h"

namespace vantrel {

namespace {

bool EndsWithIgnoreCase(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && EqualsIgnoreCase(s.substr(s.size() - tail.size()), tail);
}

uint32_t ParseInterval(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + static_cast<uint64_t>(text[i] - L'0');
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace

RecorderDialogModel::RecorderDialogModel(std::vector<std::wstring> names, std::vector<RecorderSettings> rows)
    : m_names(std::move(names)), m_rows(std::move(rows)) {
  m_names.resize(m_rows.size());
}

RecorderCheck RecorderDialogModel::Check(const std::vector<size_t>& shown, IFileSystem& fs) const {
  std::vector<size_t> order;
  std::vector<bool> placed(m_rows.size(), false);
  for (size_t row : shown) {
    if (row >= m_rows.size() || placed[row]) continue;
    placed[row] = true;
    order.push_back(row);
  }
  for (size_t row = 0; row < m_rows.size(); ++row)
    if (!placed[row]) order.push_back(row);
  std::vector<RecorderSettings> inOrder;
  for (size_t row : order) inOrder.push_back(m_rows[row]);
  RecorderCheck check = CheckRecorderSettings(inOrder, fs);
  if (!check.ok()) check.row = static_cast<int>(order[static_cast<size_t>(check.row)]);
  return check;
}

RecorderRowCells RecorderDialogModel::Cells(size_t row) const {
  RecorderRowCells cells;
  if (row >= m_rows.size()) return cells;
  const RecorderSettings& r = m_rows[row];
  cells.name = m_names[row];
  cells.record = r.record ? L"Yes" : L"No";
  if (r.record) {
    cells.interval = std::to_wstring(r.interval) + L" sec.";
    cells.file = r.file;
  }
  return cells;
}

RecorderControls RecorderDialogModel::Controls(int row) const {
  RecorderControls c;
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return c;
  const RecorderSettings& r = m_rows[static_cast<size_t>(row)];
  c.checkEnabled = true;
  c.checked = r.record;
  c.othersEnabled = r.record;
  c.intervalText = std::to_wstring(r.interval);
  c.fileText = r.file;
  c.numbersOnly = r.numbersOnly;
  return c;
}

void RecorderDialogModel::SetRecord(size_t row, bool on) {
  if (row < m_rows.size()) m_rows[row].record = on;
}

bool RecorderDialogModel::SetIntervalText(size_t row, const std::wstring& text) {
  if (row >= m_rows.size() || !m_rows[row].record) return false;
  m_rows[row].interval = ParseInterval(text);
  return true;
}

bool RecorderDialogModel::SetFile(size_t row, const std::wstring& path) {
  if (row >= m_rows.size() || !m_rows[row].record) return false;
  m_rows[row].file = path;
  return true;
}

bool RecorderDialogModel::SetNumbersOnly(size_t row, bool numbersOnly) {
  if (row >= m_rows.size() || !m_rows[row].record) return false;
  m_rows[row].numbersOnly = numbersOnly;
  return true;
}

const wchar_t kRecordFileFilter[] = L"Text File (*.txt)\0*.txt\0Microsoft Excel (*.csv)\0*.csv\0";
const size_t kRecordFileFilterChars = sizeof kRecordFileFilter / sizeof kRecordFileFilter[0];

std::wstring RecordFileWithExtension(const std::wstring& name, int filterIndex) {
  const wchar_t* ext = filterIndex == 2 ? L".csv" : L".txt";
  return EndsWithIgnoreCase(name, ext) ? name : name + ext;
}

}  // namespace vantrel
