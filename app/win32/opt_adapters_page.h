#pragma once
// The Adapters page of the Options sheet (dialog 209): which adapters have a rate view, their
// names and connection speeds, and the tray icon's settings.
#include "app/win32/options_sheet.h"
#include "ui/sort_list.h"

namespace vantrel {

class COptAdaptersPage : public COptionsPage {
 public:
  explicit COptAdaptersPage(COptionsSheet& sheet);

  // The page's values, handed to the main window with code 203.
  const AdaptersPageValues& Values() const { return m_values; }

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void FillRows();
  void NumberRows();
  void FillTrayList(int selected);
  void EnableTrayControls();
  void ClearSelectionControls();
  void OnRowSelection();
  void OnSpeedChosen();
  void OnSpeedEdited();
  void OnNameEdited();
  void OnChecksMaybeChanged();
  void OnReset();
  // The copy's adapter shown in the selected row, or null.
  OptionsAdapter* SelectedAdapter();
  std::vector<AdapterRowState> RowStates() const;
  void SetProgramText(int id, const std::wstring& text);

  AdaptersPageValues m_values;
  std::vector<OptionsAdapter> m_trayItems;  // the tray-adapter list's adapters, in its order
  ui::CSortListCtrl m_list;
  bool m_programText = false;  // the program itself is setting an edit's text
  int m_shownRow = -1;         // the row whose values the edits show
};

}  // namespace vantrel
