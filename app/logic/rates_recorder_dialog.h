#pragma once
// The Traffic Rates Recorder dialog's rows and controls without a window: the edited copy of
// every adapter's recorder values, what the list shows for a row, which controls the selected
// row enables, and how typing, the check box, the radio pair and the browse dialog change a
// row. The OK checks and the apply rules are those of reports/rates_recorder.h.
#include <string>
#include <vector>

#include "reports/rates_recorder.h"

namespace vantrel {

// The list's cells of one row: "Name", "Record" ("Yes" or "No"), "Interval" ("%ld sec.")
// and "File"; a row that does not record leaves Interval and File empty.
struct RecorderRowCells {
  std::wstring name;
  std::wstring record;
  std::wstring interval;
  std::wstring file;
};

// The controls for the selected row.
struct RecorderControls {
  bool checkEnabled = false;   // the record check box (1091)
  bool checked = false;
  bool othersEnabled = false;  // interval, spin, radio pair, file edit, browse: only while checked
  std::wstring intervalText;   // "%ld", empty with no row
  std::wstring fileText;
  bool numbersOnly = false;    // radio 1095 (else 1096)
};

class RecorderDialogModel {
 public:
  // Row i is the i-th adapter: its display name and its recorder values.
  RecorderDialogModel(std::vector<std::wstring> names, std::vector<RecorderSettings> rows);

  size_t size() const { return m_rows.size(); }
  const std::vector<RecorderSettings>& rows() const { return m_rows; }
  const std::wstring& Name(size_t row) const { return m_names[row]; }

  RecorderRowCells Cells(size_t row) const;
  // No row (out of range, -1): the check box cleared and disabled, the edits empty, all disabled.
  RecorderControls Controls(int row) const;

  // The check box: the switch alone changes; interval, style and file stay as typed.
  void SetRecord(size_t row, bool on);
  // Typing in the interval edit while the row records: its number (0 when not a number,
  // saturated at 4294967295); false when the row does not record and nothing changed.
  bool SetIntervalText(size_t row, const std::wstring& text);
  // Typing in the file edit while the row records.
  bool SetFile(size_t row, const std::wstring& path);
  // The radio pair while the row records.
  bool SetNumbersOnly(size_t row, bool numbersOnly);

  // OK: the checks of CheckRecorderSettings over the rows in the order the list shows them
  // (`shown`: the row at each position, after any sort; rows it leaves out come last), so the
  // failure reported is the first one the user sees. The failing row is a row of this model.
  RecorderCheck Check(const std::vector<size_t>& shown, IFileSystem& fs) const;

 private:
  std::vector<std::wstring> m_names;
  std::vector<RecorderSettings> m_rows;
};

// The browse dialog's filters, "Text File (*.txt)" and "Microsoft Excel (*.csv)", as a
// double-NUL-ended list.
extern const wchar_t kRecordFileFilter[];
extern const size_t kRecordFileFilterChars;  // including every NUL
// The browse result with its filter's extension: ".txt" for filter 1 (and any other index),
// ".csv" for filter 2, appended unless the name already ends in it, ignoring case.
std::wstring RecordFileWithExtension(const std::wstring& name, int filterIndex);

}  // namespace vantrel
