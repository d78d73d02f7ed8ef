#pragma once
// The test driver's tools for the controls of another process's dialogs, sheets and pages:
// texts, check boxes, buttons, combo boxes, list views (read through memory of the target
// process, as the control's messages carry pointers), property-sheet tabs, keys, and the
// system's file dialogues. Commands that may open a modal window are posted, so the driver
// never blocks on a message box the program shows.
#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::e2e {

// A dialog's control by id (null when there is none).
HWND Control(HWND dialog, int id);
// The text of a dialog's control.
std::wstring ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);

// Presses a button: posts BN_CLICKED to its dialog.
bool ClickButton(HWND dialog, int id);
// Sets a check box or radio button and tells its dialog as a click would.
bool SetCheck(HWND dialog, int id, bool checked);
bool IsChecked(HWND dialog, int id);
// Replaces an edit's text (the edit tells its dialog with EN_CHANGE).
bool SetControlText(HWND dialog, int id, const std::wstring& text);

// Combo boxes: the items' texts, the selection, and a selection made as the user would
// (CBN_SELCHANGE posted to the dialog). Selecting by text: the first item equal to it.
std::vector<std::wstring> ComboItems(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);
bool SelectComboItem(HWND dialog, int id, int index);
bool SelectComboText(HWND dialog, int id, const std::wstring& text);

// List views of another process.
int ListViewRowCount(HWND list);
int ListViewColumnCount(HWND list);
std::wstring ListViewCell(HWND list, int row, int column);
// Every row's cells, top to bottom.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list);
// Selects (and focuses) one row alone; the control tells its parent as for a click.
bool ListViewSelectRow(HWND list, int row);
std::vector<int> ListViewSelectedRows(HWND list);
// Sets a row's check box (lists with check boxes).
bool ListViewSetChecked(HWND list, int row, bool checked);
bool ListViewChecked(HWND list, int row);
// A click on a column's header, as the control reports it to its parent.
bool ListViewClickHeader(HWND list, int column);

// Property sheets: the page window in front, and a tab chosen as the user would.
HWND SheetCurrentPage(HWND sheet);
bool SheetSelectPage(HWND sheet, int index);
// The texts of the sheet's tabs, in order.
std::vector<std::wstring> SheetTabTexts(HWND sheet);
// The page window (a child of the sheet) that holds a control with this id, or null.
HWND SheetPageWithControl(HWND sheet, int controlId);

// A key pressed on a window (WM_KEYDOWN/WM_KEYUP posted), for accelerators.
void PressKey(HWND hwnd, UINT virtualKey);

// The system's file dialogue of a process with this title, within the time.
HWND WaitForFileDialog(DWORD pid, const wchar_t* title, DWORD timeoutMs);
// Types the file name into a file dialogue and presses its OK button.
bool AnswerFileDialog(HWND dialog, const std::wstring& path);
// Cancels a file dialogue.
void CancelFileDialog(HWND dialog);
// Chooses a file dialogue's file type (0 for its first filter) as the user would.
bool SelectFileDialogFilter(HWND dialog, int index);

// A visible top-level dialog of the process that holds a control with this id (dialogs whose
// caption is a localized text), within the time.
HWND WaitForDialogWithControl(DWORD pid, int controlId, DWORD timeoutMs);

}  // namespace vantrel::e2e
