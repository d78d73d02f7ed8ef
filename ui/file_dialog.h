#pragma once
// The system's open and save dialogs, asked the one way every window of the program asks them.
#include <windows.h>

#include <string>

namespace vantrel::ui {

struct FileDialogRequest {
  HWND owner = nullptr;
  // "Name\0pattern\0" pairs, ended by a second NUL.
  const wchar_t* filter = nullptr;
  // 1-based: the filter shown first; after the dialog, the one the user chose.
  DWORD filterIndex = 1;
  const wchar_t* title = nullptr;            // the dialog's own caption when null
  const wchar_t* defaultExtension = nullptr;  // added to a name typed without one
  const wchar_t* folder = nullptr;            // the folder shown first
  // Before: the name shown in the dialog; after: the path chosen.
  std::wstring file;
  // The longest path taken, its NUL included.
  size_t capacity = MAX_PATH;
  // OFN_OVERWRITEPROMPT, OFN_FILEMUSTEXIST and the like; read-only box hidden, path must exist.
  DWORD flags = 0;
};

// False when the user cancelled (or the dialog could not be shown); `request` then keeps its
// file and filter index.
bool AskSaveFile(FileDialogRequest& request);
bool AskOpenFile(FileDialogRequest& request);

}  // namespace vantrel::ui
