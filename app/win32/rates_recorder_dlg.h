#pragma once
// CRatesRecorderDlg: the Traffic Rates Recorder dialog (217). Every adapter in a sortable list
// (Name, Record, Interval, File); under it the controls for the selected row: the record check
// box, the interval with its spin, numbers only or K and M letters, and the file with a browse
// button. It edits a copy of the recorder values; OK runs the checks and, when they pass,
// closes so that the main window applies the copy to the live adapters.
#include <windows.h>

#include <vector>

#include "app/logic/rates_recorder_dialog.h"
#include "engine/adapter_entry.h"
#include "ui/dialog_font.h"
#include "ui/sort_list.h"
#include "ui/window.h"

namespace vantrel {

class CRatesRecorderDlg : public ui::CDialog {
 public:
  // A copy of every entry's display name and recorder values, in list order.
  explicit CRatesRecorderDlg(const MonitoredList& adapters);

  // Runs the dialog modally; true when it closed with OK after the checks passed.
  bool Run(HINSTANCE instance, HWND owner);
  // The edited values, row i for the i-th entry of the list it was made from.
  const std::vector<RecorderSettings>& Rows() const { return m_model.rows(); }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void FillList();
  void ShowRowCells(size_t row);
  // The selected row's index in the model, -1 when none.
  int SelectedRow() const;
  // The controls as the selected row says (texts set without counting as typing).
  void ShowControls();
  void OnRecordClicked();
  void OnIntervalChanged();
  void OnFileChanged();
  void OnStyleClicked(bool numbersOnly);
  void OnBrowse();
  void OnOk();

  RecorderDialogModel m_model;
  ui::CSortListCtrl m_list;
  std::vector<const ui::CSortListCtrl::ItemData*> m_rowData;  // per model row
  bool m_updating = false;
};

}  // namespace vantrel
